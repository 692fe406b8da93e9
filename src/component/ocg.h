// component/ocg.h: the collection-order component, class Ocg.
//
// Eighteen public operations, in the order of the interface's slots. Every
// argument is passed by reference: an operation reads its in arguments (and may
// clean some in place, as each one's contract says) and writes its out
// arguments. Value operations return the 16-bit integer 0 on success and 10 on
// failure; Boolean operations return true or false; mConsiste_Progr_Carga
// returns a Boolean inside its Value. The message argument carries the reason.
// No operation throws or lets an error escape: failures travel as the result
// and the message, and run-time errors are also written to LOG_MSG.
//
// Ocg holds no state: instances are free to create, copy and share between
// threads. Each operation runs in one database transaction on the calling
// thread (committed on success, rolled back on failure); an operation called by
// another joins its transaction.
#ifndef OCG_COMPONENT_OCG_H_
#define OCG_COMPONENT_OCG_H_

#include <cstdint>
#include <string>

#include "value/value.h"

namespace ocg {

class Ocg {
 public:
  // 1. Is a number, or a range of numbers, still free? (document numbering)
  bool gVerif_Exist_Docto(Value& inlngnum_docto_ini, Value& inlngnum_docto_fim,
                          Value& inlngTab_Tipo_Docto_ID, Value& InLngPonto_Operacao_ID,
                          Value& outstrMsg_Retorno, Value& invntConecta_db,
                          Value& invntUsuario_internet_id, Value& inVntBanco_Dados);

  // 2. Proposes the next automatic document number.
  bool gBusca_Numeracao_Automatica(Value& outstrMsg, Value& invntponto_operacao_id,
                                   Value& InVntTab_Tipo_Docto_Transp_ID, Value& invntConecta_db,
                                   Value& invntUsuario_internet_id, Value& inVntBanco_Dados,
                                   Value& OutStrFlag_Numero_Automatico, Value& OutLngNum_Atual,
                                   Value& OutLngNum_Docto_Transporte);

  // 3. Does another active order carry this number?
  bool mVer_Dup_Col_Geral(Value& invntNum_Docto_Transp, Value& InVntTab_Tipo_Docto_Transp_ID,
                          Value& invntponto_operacao_id, Value& InVntDocto_Transporte_ID,
                          Value& invntUsuario_internet_id, Value& vntConecta_db,
                          Value& inVntBanco_Dados, Value& outvntMsg_Ret);

  // 4. The customer's programme flag.
  Value gCons_Flag_Progr(Value& invntCliente_id, Value& outvntFlag_Program_Carga,
                         Value& outvntMsg_Ret, Value& vntConecta_db, Value& inVntBanco_Dados,
                         Value& invntUsuario_internet_id);

  // 5. The trailers coupled to a tractor.
  Value gBusca_Carreta_Veiculo(Value& outvntMsg_Ret, Value& InLngVeiculo_Fornecedor_ID,
                               Value& invntConecta_db, Value& invntUsuario_internet_id,
                               Value& inVntBanco_Dados, Value& outarrvntcarreta_veiculo_id,
                               Value& outarrvntcarreta_veiculo, Value& outvntqtde_carreta_veiculo);

  // 6. Reads one collection order.
  Value gCons_Docto_Transp(
      Value& invntDocto_Transp_id, Value& outvntCliente_id, Value& outvntCliente,
      Value& outvntPonto_Operacao_id, Value& outvntData_Emissao, Value& outvntEnd_Destinatario_id,
      Value& outvntIndic_Pj_Pf, Value& outvntPf_Cpf, Value& outvntPj_Cgc, Value& outvntNome,
      Value& outvntEndereco, Value& outvntMunicipio, Value& outvntEnd_Pessoa_id,
      Value& outvntPessoa_id, Value& outvntDestino_id, Value& outvntVeic_Fornecedor_id,
      Value& outvntPlaca, Value& outvntData_Prev_Carregamento, Value& outvntLocal_Carreg,
      Value& outvntPeso_Previsto, Value& outvntTxt_Embalagem, Value& outvntObserv1,
      Value& outvntNum_Docto_Transp, Value& outvntPedido_id, Value& outvntNum_Pedido_Externo,
      Value& outvntColaborador_id, Value& outvntColaborador, Value& outvntFornecedor_id,
      Value& outvntFornecedor, Value& outvntMsg_Ret, Value& vntConecta_db, Value& inVntBanco_Dados,
      Value& invntUsuario_internet_id, Value& outvntTab_Tipo_Docto_Transp_id,
      Value& outvntTAB_TIPO_RESPONSAVEL_ID, Value& outvntTAB_TIPO_EMERGENCIA_ID,
      Value& outvntFlag_Ademe, Value& OutVntFlag_Coleta_Impressa, Value& outvntveiculo_carreta_id,
      Value& outvntcva);

  // 7. Deletes a collection order.
  Value gExclui_Col_Geral(Value& invntDocto_Transp_id, Value& inVntNum_CVA,
                          Value& invntUsuario_internet_id, Value& vntConecta_db,
                          Value& inVntBanco_Dados, Value& outvntMsg_Ret);

  // 8. A user's e-mail address (the one operation with typed arguments).
  bool mBusca_EMail_Usuario(std::string& InStrBanco_Dados, int32_t& InLngUsuario_Internet_ID,
                            std::string& instrConecta_db, Value& outvntMsg_Ret,
                            std::string& outstremail);

  // 9. Alters a collection order.
  Value gAltera_Col_Geral(
      Value& invntDocto_Transp_id, Value& InVntTab_Tipo_Docto_Transp_ID, Value& invntCliente_id,
      Value& invntponto_operacao_id, Value& invntData_Atual, Value& invntEnd_Destinatario_id,
      Value& invntDestinatario_id, Value& invntMunicipio_Dest_id, Value& invntN_Docto_Cliente,
      Value& invntN_Docto_Transp, Value& invntData_Prev_Carreg, Value& invntVeiculo_Forn_id,
      Value& invntColaborador_id, Value& invntFornecedor_id, Value& invntLocal_Carreg,
      Value& invntPeso_Previsto, Value& invntTxt_Embalagem, Value& invntObs1,
      Value& invntQtde_Programacao, Value& inarrvntBaixas, Value& vntConecta_db,
      Value& inVntBanco_Dados, Value& invntUsuario_internet_id, Value& outvntMsg_Ret,
      Value& inarrvntProg_Carga_ID, Value& invntFlag_Ademe, Value& invntTAB_TIPO_RESPONSAVEL_ID,
      Value& invntTAB_TIPO_EMERGENCIA_ID, Value& invntveiculo_carreta_id);

  // 10. The print fields of an order.
  Value gImprime_Coleta(Value& invntDocto_Transp_id, Value& vntConecta_db, Value& inVntBanco_Dados,
                        Value& invntUsuario_internet_id, Value& outvnttam_resposta,
                        Value& outvntarrconteudo, Value& outvntMsg_Ret);

  // 11. Checks an order's spread of tonnage over its load programmes.
  Value mConsiste_Progr_Carga(Value& vntConecta_db, Value& inVntBanco_Dados, Value& invntCliente_id,
                              Value& invntDestinatario_id, Value& invntponto_operacao_id,
                              Value& outvntMsg_Ret, Value& invntQtde_Programacao,
                              Value& inarrvntBaixas, Value& invntPeso_Previsto,
                              Value& invntUsuario_internet_id, Value& inarrvntProg_Carga_ID,
                              Value& InVntDocto_Transporte_ID);

  // 12. Creates a collection order.
  Value gInclui_Col_Geral(
      Value& InVntTab_Tipo_Docto_Transp_ID, Value& invntCliente_id, Value& invntponto_operacao_id,
      Value& invntData_Atual, Value& invntEnd_Destinatario_id, Value& invntDestinatario_id,
      Value& invntMunicipio_Dest_id, Value& invntN_Docto_Cliente, Value& invntN_Docto_Transp,
      Value& invntData_Prev_Carreg, Value& invntVeiculo_Forn_id, Value& invntColaborador_id,
      Value& invntFornecedor_id, Value& invntLocal_Carreg, Value& invntPeso_Previsto,
      Value& invntTxt_Embalagem, Value& invntObs1, Value& invntQtde_Programacao,
      Value& outvntDocto_Transp_id, Value& inarrvntBaixas, Value& invntUsuario_internet_id,
      Value& vntConecta_db, Value& inVntBanco_Dados, Value& outvntMsg_Ret,
      Value& inarrvntProg_Carga_ID, Value& invntFlag_Ademe, Value& invntTAB_TIPO_RESPONSAVEL_ID,
      Value& invntTAB_TIPO_EMERGENCIA_ID, Value& invntveiculo_carreta_id);

  // 13. Cleans and checks an order's header fields.
  bool mconsiste_campos(
      Value& invntCliente_id, Value& invntponto_operacao_id, Value& invntData_Atual,
      Value& invntEnd_Destinatario_id, Value& invntMunicipio_Dest_id, Value& invntN_Docto_Cliente,
      Value& invntN_Docto_Transp, Value& invntData_Prev_Carreg, Value& invntVeiculo_Forn_id,
      Value& invntColaborador_id, Value& invntFornecedor_id, Value& invntLocal_Carreg,
      Value& invntPeso_Previsto, Value& invntTxt_Embalagem, Value& invntObs1,
      Value& invntQtde_Programacao, Value& invntUsuario_internet_id, Value& invntFlag_Ademe,
      Value& invntTAB_TIPO_RESPONSAVEL_ID, Value& invntTAB_TIPO_EMERGENCIA_ID, Value& outvntMsg_Ret,
      Value& InVntTab_Tipo_Docto_Transp_ID, Value& invntConecta_db, Value& inVntBanco_Dados);

  // 14. The load programmes an order may draw from.
  Value gBusca_Ton_Prog(Value& invntCliente_id, Value& invntDestinatario_id,
                        Value& invntponto_operacao_id, Value& outarrvntProgram_Carga_id,
                        Value& outarrvntNum_Programacao, Value& outarrvntTon_P_Escoar,
                        Value& outarrvntData_Disponivel, Value& outvntMsg_Ret, Value& outVntTam_Arr,
                        Value& vntConecta_db, Value& inVntBanco_Dados,
                        Value& invntUsuario_internet_id, Value& OutArrVntTon_Carregada,
                        Value& InVntDocto_Transporte_ID);

  // 15. A programme's customer and destination, by programme number.
  Value gBusca_Dados_Programacao(Value& invntnum_programacao, Value& invntponto_operacao_id,
                                 Value& outvntMsg_Ret, Value& vntConecta_db,
                                 Value& inVntBanco_Dados, Value& invntUsuario_internet_id,
                                 Value& outvntCliente_id, Value& outvntCliente,
                                 Value& outvntdestinatario_id, Value& outvntEnd_Destinatario_id,
                                 Value& outvntPj_Cgc_dest, Value& outvntPf_Cpf_dest,
                                 Value& outvntdestinatario, Value& outvntendereco_dest,
                                 Value& outvntmunic_uf_dest, Value& outvntindic_pf_pj,
                                 Value& outvntmunicipio_id);

  // 16. A vehicle's owner and capacity.
  Value gCons_Veic(Value& invntVeic_Fornec_id, Value& outvntProprietario,
                   Value& outvntProprietario_id, Value& outvntCapacidade_kg,
                   Value& outvntVeiculo_Fornecedor_id, Value& outvntMsg_Ret, Value& vntConecta_db,
                   Value& inVntBanco_Dados, Value& invntUsuario_internet_id);

  // 17. A person by CNPJ or CPF.
  Value gCons_geral(Value& invntNum_Pj_Pf, Value& invntIndic_Pj_Pf, Value& outvntindic_pf_pj,
                    Value& outvntCnpj_Cpf, Value& outvntNome, Value& outvntEndereco,
                    Value& outvntMunicipio, Value& outvntEnd_Pessoa_id, Value& outvntmunicipio_id,
                    Value& outvntPessoa_id, Value& outvntMsg_Ret, Value& vntConecta_db,
                    Value& inVntBanco_Dados, Value& invntUsuario_internet_id);

  // 18. A person's destination address.
  Value gCons_End_Dest(Value& InVntPessoa_id, Value& outvntindic_pf_pj, Value& outvntCnpj_Cpf,
                       Value& outvntNome, Value& outvntEndereco, Value& outvntMunicipio,
                       Value& outvntEnd_Pessoa_id, Value& outvntmunicipio_id, Value& outvntMsg_Ret,
                       Value& vntConecta_db, Value& inVntBanco_Dados,
                       Value& invntUsuario_internet_id);
};

}  // namespace ocg

#endif  // OCG_COMPONENT_OCG_H_
