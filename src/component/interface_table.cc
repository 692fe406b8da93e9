#include "component/interface_table.h"

#include <cctype>
#include <string>
#include <utility>

#include "value/text.h"

namespace ocg {
namespace {

// The role of a common argument, from its name: every operation names its
// connection string, database kind, user and message after one of a few
// patterns.
CommonRole RoleOf(std::string_view name) {
  std::string lower;
  for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower.find("conecta_db") != std::string::npos) return CommonRole::kConnection;
  if (lower.find("banco_dados") != std::string::npos) return CommonRole::kDatabaseKind;
  if (lower.find("usuario_internet_id") != std::string::npos) return CommonRole::kUser;
  if (lower.rfind("outvntmsg_ret", 0) == 0 || lower.rfind("outstrmsg", 0) == 0) {
    return CommonRole::kMessage;
  }
  return CommonRole::kNone;
}

ArgumentInfo Arg(std::string_view name, ArgType type = ArgType::kValue) {
  return ArgumentInfo{name, type, RoleOf(name)};
}

Value AsResult(bool r) { return Value::Bool(r); }
Value AsResult(Value r) { return r; }

template <typename R, typename... A, size_t... I>
Value InvokeWith(R (Ocg::*fn)(A...), Ocg& ocg, std::vector<Value>& args,
                 std::index_sequence<I...>) {
  return AsResult((ocg.*fn)(args[I]...));
}

template <typename R, typename... A>
Value InvokeMember(R (Ocg::*fn)(A...), Ocg& ocg, std::vector<Value>& args) {
  return InvokeWith(fn, ocg, args, std::index_sequence_for<A...>{});
}

template <auto Fn>
Value Invoke(Ocg& ocg, std::vector<Value>& args) {
  return InvokeMember(Fn, ocg, args);
}

// The e-mail lookup takes typed arguments: the kind, the connection string and
// the address as texts, the user as a 32-bit integer. A value that does not
// convert reaches the operation as "" or 0, as the automation layer would
// coerce it; the callers (CLI, HTTP) check shapes before this.
Value InvokeEmail(Ocg& ocg, std::vector<Value>& args) {
  std::string kind = args[0].TextOrEmpty();
  Result<int32_t> user_read = args[1].ToInt32();
  int32_t user = user_read.ok() ? user_read.value() : 0;
  std::string connection = args[2].TextOrEmpty();
  std::string email = args[4].TextOrEmpty();
  bool r = ocg.mBusca_EMail_Usuario(kind, user, connection, args[3], email);
  args[0] = Value::Text(kind);
  args[1] = Value::Int32(user);
  args[2] = Value::Text(connection);
  args[4] = Value::Text(email);
  return Value::Bool(r);
}

}  // namespace

const std::vector<OperationInfo>& Operations() {
  static const std::vector<OperationInfo>* table = new std::vector<OperationInfo>{
      {"gVerif_Exist_Docto",
       {Arg("inlngnum_docto_ini"), Arg("inlngnum_docto_fim"), Arg("inlngTab_Tipo_Docto_ID"),
        Arg("InLngPonto_Operacao_ID"), Arg("outstrMsg_Retorno"), Arg("invntConecta_db"),
        Arg("invntUsuario_internet_id"), Arg("inVntBanco_Dados")},
       ResultKind::kBoolean,
       &Invoke<&Ocg::gVerif_Exist_Docto>},
      {"gBusca_Numeracao_Automatica",
       {Arg("outstrMsg"), Arg("invntponto_operacao_id"), Arg("InVntTab_Tipo_Docto_Transp_ID"),
        Arg("invntConecta_db"), Arg("invntUsuario_internet_id"), Arg("inVntBanco_Dados"),
        Arg("OutStrFlag_Numero_Automatico"), Arg("OutLngNum_Atual"),
        Arg("OutLngNum_Docto_Transporte")},
       ResultKind::kBoolean,
       &Invoke<&Ocg::gBusca_Numeracao_Automatica>},
      {"mVer_Dup_Col_Geral",
       {Arg("invntNum_Docto_Transp"), Arg("InVntTab_Tipo_Docto_Transp_ID"),
        Arg("invntponto_operacao_id"), Arg("InVntDocto_Transporte_ID"),
        Arg("invntUsuario_internet_id"), Arg("vntConecta_db"), Arg("inVntBanco_Dados"),
        Arg("outvntMsg_Ret")},
       ResultKind::kBoolean,
       &Invoke<&Ocg::mVer_Dup_Col_Geral>},
      {"gCons_Flag_Progr",
       {Arg("invntCliente_id"), Arg("outvntFlag_Program_Carga"), Arg("outvntMsg_Ret"),
        Arg("vntConecta_db"), Arg("inVntBanco_Dados"), Arg("invntUsuario_internet_id")},
       ResultKind::kValue,
       &Invoke<&Ocg::gCons_Flag_Progr>},
      {"gBusca_Carreta_Veiculo",
       {Arg("outvntMsg_Ret"), Arg("InLngVeiculo_Fornecedor_ID"), Arg("invntConecta_db"),
        Arg("invntUsuario_internet_id"), Arg("inVntBanco_Dados"),
        Arg("outarrvntcarreta_veiculo_id"), Arg("outarrvntcarreta_veiculo"),
        Arg("outvntqtde_carreta_veiculo")},
       ResultKind::kValue,
       &Invoke<&Ocg::gBusca_Carreta_Veiculo>},
      {"gCons_Docto_Transp",
       {Arg("invntDocto_Transp_id"),
        Arg("outvntCliente_id"),
        Arg("outvntCliente"),
        Arg("outvntPonto_Operacao_id"),
        Arg("outvntData_Emissao"),
        Arg("outvntEnd_Destinatario_id"),
        Arg("outvntIndic_Pj_Pf"),
        Arg("outvntPf_Cpf"),
        Arg("outvntPj_Cgc"),
        Arg("outvntNome"),
        Arg("outvntEndereco"),
        Arg("outvntMunicipio"),
        Arg("outvntEnd_Pessoa_id"),
        Arg("outvntPessoa_id"),
        Arg("outvntDestino_id"),
        Arg("outvntVeic_Fornecedor_id"),
        Arg("outvntPlaca"),
        Arg("outvntData_Prev_Carregamento"),
        Arg("outvntLocal_Carreg"),
        Arg("outvntPeso_Previsto"),
        Arg("outvntTxt_Embalagem"),
        Arg("outvntObserv1"),
        Arg("outvntNum_Docto_Transp"),
        Arg("outvntPedido_id"),
        Arg("outvntNum_Pedido_Externo"),
        Arg("outvntColaborador_id"),
        Arg("outvntColaborador"),
        Arg("outvntFornecedor_id"),
        Arg("outvntFornecedor"),
        Arg("outvntMsg_Ret"),
        Arg("vntConecta_db"),
        Arg("inVntBanco_Dados"),
        Arg("invntUsuario_internet_id"),
        Arg("outvntTab_Tipo_Docto_Transp_id"),
        Arg("outvntTAB_TIPO_RESPONSAVEL_ID"),
        Arg("outvntTAB_TIPO_EMERGENCIA_ID"),
        Arg("outvntFlag_Ademe"),
        Arg("OutVntFlag_Coleta_Impressa"),
        Arg("outvntveiculo_carreta_id"),
        Arg("outvntcva")},
       ResultKind::kValue,
       &Invoke<&Ocg::gCons_Docto_Transp>},
      {"gExclui_Col_Geral",
       {Arg("invntDocto_Transp_id"), Arg("inVntNum_CVA"), Arg("invntUsuario_internet_id"),
        Arg("vntConecta_db"), Arg("inVntBanco_Dados"), Arg("outvntMsg_Ret")},
       ResultKind::kValue,
       &Invoke<&Ocg::gExclui_Col_Geral>},
      {"mBusca_EMail_Usuario",
       {Arg("InStrBanco_Dados", ArgType::kText), Arg("InLngUsuario_Internet_ID", ArgType::kInt32),
        Arg("instrConecta_db", ArgType::kText), Arg("outvntMsg_Ret"),
        Arg("outstremail", ArgType::kText)},
       ResultKind::kBoolean,
       &InvokeEmail},
      {"gAltera_Col_Geral",
       {Arg("invntDocto_Transp_id"),
        Arg("InVntTab_Tipo_Docto_Transp_ID"),
        Arg("invntCliente_id"),
        Arg("invntponto_operacao_id"),
        Arg("invntData_Atual"),
        Arg("invntEnd_Destinatario_id"),
        Arg("invntDestinatario_id"),
        Arg("invntMunicipio_Dest_id"),
        Arg("invntN_Docto_Cliente"),
        Arg("invntN_Docto_Transp"),
        Arg("invntData_Prev_Carreg"),
        Arg("invntVeiculo_Forn_id"),
        Arg("invntColaborador_id"),
        Arg("invntFornecedor_id"),
        Arg("invntLocal_Carreg"),
        Arg("invntPeso_Previsto"),
        Arg("invntTxt_Embalagem"),
        Arg("invntObs1"),
        Arg("invntQtde_Programacao"),
        Arg("inarrvntBaixas"),
        Arg("vntConecta_db"),
        Arg("inVntBanco_Dados"),
        Arg("invntUsuario_internet_id"),
        Arg("outvntMsg_Ret"),
        Arg("inarrvntProg_Carga_ID"),
        Arg("invntFlag_Ademe"),
        Arg("invntTAB_TIPO_RESPONSAVEL_ID"),
        Arg("invntTAB_TIPO_EMERGENCIA_ID"),
        Arg("invntveiculo_carreta_id")},
       ResultKind::kValue,
       &Invoke<&Ocg::gAltera_Col_Geral>},
      {"gImprime_Coleta",
       {Arg("invntDocto_Transp_id"), Arg("vntConecta_db"), Arg("inVntBanco_Dados"),
        Arg("invntUsuario_internet_id"), Arg("outvnttam_resposta"), Arg("outvntarrconteudo"),
        Arg("outvntMsg_Ret")},
       ResultKind::kValue,
       &Invoke<&Ocg::gImprime_Coleta>},
      {"mConsiste_Progr_Carga",
       {Arg("vntConecta_db"), Arg("inVntBanco_Dados"), Arg("invntCliente_id"),
        Arg("invntDestinatario_id"), Arg("invntponto_operacao_id"), Arg("outvntMsg_Ret"),
        Arg("invntQtde_Programacao"), Arg("inarrvntBaixas"), Arg("invntPeso_Previsto"),
        Arg("invntUsuario_internet_id"), Arg("inarrvntProg_Carga_ID"),
        Arg("InVntDocto_Transporte_ID")},
       ResultKind::kValue,
       &Invoke<&Ocg::mConsiste_Progr_Carga>},
      {"gInclui_Col_Geral",
       {Arg("InVntTab_Tipo_Docto_Transp_ID"),
        Arg("invntCliente_id"),
        Arg("invntponto_operacao_id"),
        Arg("invntData_Atual"),
        Arg("invntEnd_Destinatario_id"),
        Arg("invntDestinatario_id"),
        Arg("invntMunicipio_Dest_id"),
        Arg("invntN_Docto_Cliente"),
        Arg("invntN_Docto_Transp"),
        Arg("invntData_Prev_Carreg"),
        Arg("invntVeiculo_Forn_id"),
        Arg("invntColaborador_id"),
        Arg("invntFornecedor_id"),
        Arg("invntLocal_Carreg"),
        Arg("invntPeso_Previsto"),
        Arg("invntTxt_Embalagem"),
        Arg("invntObs1"),
        Arg("invntQtde_Programacao"),
        Arg("outvntDocto_Transp_id"),
        Arg("inarrvntBaixas"),
        Arg("invntUsuario_internet_id"),
        Arg("vntConecta_db"),
        Arg("inVntBanco_Dados"),
        Arg("outvntMsg_Ret"),
        Arg("inarrvntProg_Carga_ID"),
        Arg("invntFlag_Ademe"),
        Arg("invntTAB_TIPO_RESPONSAVEL_ID"),
        Arg("invntTAB_TIPO_EMERGENCIA_ID"),
        Arg("invntveiculo_carreta_id")},
       ResultKind::kValue,
       &Invoke<&Ocg::gInclui_Col_Geral>},
      {"mconsiste_campos",
       {Arg("invntCliente_id"),
        Arg("invntponto_operacao_id"),
        Arg("invntData_Atual"),
        Arg("invntEnd_Destinatario_id"),
        Arg("invntMunicipio_Dest_id"),
        Arg("invntN_Docto_Cliente"),
        Arg("invntN_Docto_Transp"),
        Arg("invntData_Prev_Carreg"),
        Arg("invntVeiculo_Forn_id"),
        Arg("invntColaborador_id"),
        Arg("invntFornecedor_id"),
        Arg("invntLocal_Carreg"),
        Arg("invntPeso_Previsto"),
        Arg("invntTxt_Embalagem"),
        Arg("invntObs1"),
        Arg("invntQtde_Programacao"),
        Arg("invntUsuario_internet_id"),
        Arg("invntFlag_Ademe"),
        Arg("invntTAB_TIPO_RESPONSAVEL_ID"),
        Arg("invntTAB_TIPO_EMERGENCIA_ID"),
        Arg("outvntMsg_Ret"),
        Arg("InVntTab_Tipo_Docto_Transp_ID"),
        Arg("invntConecta_db"),
        Arg("inVntBanco_Dados")},
       ResultKind::kBoolean,
       &Invoke<&Ocg::mconsiste_campos>},
      {"gBusca_Ton_Prog",
       {Arg("invntCliente_id"), Arg("invntDestinatario_id"), Arg("invntponto_operacao_id"),
        Arg("outarrvntProgram_Carga_id"), Arg("outarrvntNum_Programacao"),
        Arg("outarrvntTon_P_Escoar"), Arg("outarrvntData_Disponivel"), Arg("outvntMsg_Ret"),
        Arg("outVntTam_Arr"), Arg("vntConecta_db"), Arg("inVntBanco_Dados"),
        Arg("invntUsuario_internet_id"), Arg("OutArrVntTon_Carregada"),
        Arg("InVntDocto_Transporte_ID")},
       ResultKind::kValue,
       &Invoke<&Ocg::gBusca_Ton_Prog>},
      {"gBusca_Dados_Programacao",
       {Arg("invntnum_programacao"), Arg("invntponto_operacao_id"), Arg("outvntMsg_Ret"),
        Arg("vntConecta_db"), Arg("inVntBanco_Dados"), Arg("invntUsuario_internet_id"),
        Arg("outvntCliente_id"), Arg("outvntCliente"), Arg("outvntdestinatario_id"),
        Arg("outvntEnd_Destinatario_id"), Arg("outvntPj_Cgc_dest"), Arg("outvntPf_Cpf_dest"),
        Arg("outvntdestinatario"), Arg("outvntendereco_dest"), Arg("outvntmunic_uf_dest"),
        Arg("outvntindic_pf_pj"), Arg("outvntmunicipio_id")},
       ResultKind::kValue,
       &Invoke<&Ocg::gBusca_Dados_Programacao>},
      {"gCons_Veic",
       {Arg("invntVeic_Fornec_id"), Arg("outvntProprietario"), Arg("outvntProprietario_id"),
        Arg("outvntCapacidade_kg"), Arg("outvntVeiculo_Fornecedor_id"), Arg("outvntMsg_Ret"),
        Arg("vntConecta_db"), Arg("inVntBanco_Dados"), Arg("invntUsuario_internet_id")},
       ResultKind::kValue,
       &Invoke<&Ocg::gCons_Veic>},
      {"gCons_geral",
       {Arg("invntNum_Pj_Pf"), Arg("invntIndic_Pj_Pf"), Arg("outvntindic_pf_pj"),
        Arg("outvntCnpj_Cpf"), Arg("outvntNome"), Arg("outvntEndereco"), Arg("outvntMunicipio"),
        Arg("outvntEnd_Pessoa_id"), Arg("outvntmunicipio_id"), Arg("outvntPessoa_id"),
        Arg("outvntMsg_Ret"), Arg("vntConecta_db"), Arg("inVntBanco_Dados"),
        Arg("invntUsuario_internet_id")},
       ResultKind::kValue,
       &Invoke<&Ocg::gCons_geral>},
      {"gCons_End_Dest",
       {Arg("InVntPessoa_id"), Arg("outvntindic_pf_pj"), Arg("outvntCnpj_Cpf"), Arg("outvntNome"),
        Arg("outvntEndereco"), Arg("outvntMunicipio"), Arg("outvntEnd_Pessoa_id"),
        Arg("outvntmunicipio_id"), Arg("outvntMsg_Ret"), Arg("vntConecta_db"),
        Arg("inVntBanco_Dados"), Arg("invntUsuario_internet_id")},
       ResultKind::kValue,
       &Invoke<&Ocg::gCons_End_Dest>},
  };
  return *table;
}

const OperationInfo* FindOperation(std::string_view name) {
  for (const OperationInfo& op : Operations()) {
    if (op.name == name) return &op;
  }
  return nullptr;
}

}  // namespace ocg
