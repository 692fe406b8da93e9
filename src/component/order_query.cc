// component/order_query.cc: reading one collection order.
//
//   gCons_Docto_Transp    public: the order with its customer, destination,
//                         vehicle, external order, collaborator and carrier
//   mTrataSP_ZOR_CON_OCG  the Oracle path's statement, equivalent to the
//                         stored procedure SP_ZOR_CON_OCG2
#include <string>

#include "component/ocg.h"
#include "component/procedure.h"
#include "infra/failure.h"
#include "infra/record_set.h"
#include "infra/session.h"
#include "infra/sql_builder.h"
#include "infra/sql_format.h"
#include "value/text.h"

namespace ocg {
namespace {

constexpr std::string_view kUserText =
    "Acesso aos dados da coleta não disponível. Favor tentar mais tarde.";
constexpr TrapSite kQuerySite{"ZorOCG.gCons_Docto_Transp", kUserText};
constexpr TrapSite kEmulationSite{"ZorOCG.mTrataSP_ZOR_CON_OCG", kUserText};

// Builds the order query of the Oracle path. The customer and the destination
// are inner joins; vehicle, external order, collaborator and carrier are outer
// joins. Only orders in status 1 or 615 whose destination person and address
// are both active are found. Opens nothing.
bool mTrataSP_ZOR_CON_OCG(const std::string& strBanco, const std::string& strConecta,
                          int32_t docto_id, std::string& strSQL, Value& msg, const Value& usuario) {
  const Value banco = Value::Text(strBanco), conecta = Value::Text(strConecta);
  return RunEmulation(Trap{kEmulationSite, banco, conecta, usuario, msg}, strSQL, [&](bool& built) {
    strSQL.clear();
    SqlBuilder sql(&strSQL);
    sql += " SELECT ";
    sql += " DCT.CLIENTE_ID , ";
    sql += " CLI.NOME_FANTASIA CLIENTE , ";
    sql += " DCT.PONTO_OPERACAO_ID , ";
    sql += " TO_CHAR(DCT.DATA_EMISSAO, 'DD/MM/YYYY') DATA_EMISSAO, ";
    sql += " DCT.END_DESTINATARIO_ID , ";
    sql += " DEST.INDICATIVO_PF_PJ , ";
    sql += " DEST.PF_CPF , ";
    sql += " DEST.PJ_CGC , ";
    sql += " DEST.NOME_Fantasia as Destinatario , ";
    sql += " DEST.ENDERECO , ";
    sql += " DEST.MUNICIPIO , ";
    sql += " DEST.ENDERECO_PESSOA_ID , ";
    sql += " DEST.PESSOA_ID , ";
    sql += " DCT.DESTINO_ID , ";
    sql += " DCT.VEICULO_FORNECEDOR_ID , ";
    sql += " VEI.PLACA , ";
    sql += " TO_CHAR(DCT.DATA_PREV_CARREGAMENTO, 'DD/MM/YYYY') DATA_PREV_CARREGAMENTO, ";
    sql += " DCT.LOCAL_CARREG , ";
    sql += " DCT.PESO_PREVISTO , ";
    sql += " DCT.TXT_EMBALAGEM , ";
    sql += " DCT.OBSERV1 , ";
    sql += " DCT.NUM_DOCTO_TRANSPORTE , ";
    sql += " DCT.PEDIDO_ID , ";
    sql += " PED.NUM_PEDIDO_EXTERNO , ";
    sql += " COL.PESSOA_ID COLABORADOR_ID , ";
    sql += " COL.NOME NOME_COLABORADOR , ";
    sql += " FORN.PESSOA_ID FORNECEDOR_ID , ";
    sql += " FORN.NOME NOME_FORNECEDOR , ";
    sql += " DCT.TAB_TIPO_DOCTO_TRANSP_ID, ";
    sql += " DCT.FLAG_ADEME , ";
    sql += " DCT.TAB_TIPO_RESPONSAVEL_ID , ";
    sql += " DCT.TAB_TIPO_EMERGENCIA_ID,  ";
    sql += " TO_CHAR(DCT.Data_Impressao, 'DD/MM/YYYY') Data_Impressao,  ";
    sql += " DCT.veiculo_carreta_id,  ";
    sql += " DCT.cva  ";
    sql += " FROM ";
    sql += " DOCTO_TRANSPORTE DCT , ";
    sql += " PESSOA CLI , ";
    sql += " VENDERECO_PESSOA DEST , ";
    sql += " VEICULO_FORNECEDOR VEI , ";
    sql += " PEDIDO PED , ";
    sql += " PESSOA COL , ";
    sql += " PESSOA FORN ";
    sql += " WHERE ";
    sql += " DCT.CLIENTE_ID = CLI.PESSOA_ID AND ";
    sql += " DCT.END_DESTINATARIO_ID = DEST.ENDERECO_PESSOA_ID AND ";
    sql += " DCT.VEICULO_FORNECEDOR_ID = VEI.VEICULO_FORNECEDOR_ID(+) AND ";
    sql += " DCT.PEDIDO_ID  = PED.PEDIDO_ID(+) AND ";
    sql += " DCT.COLABORADOR_ID  = COL.PESSOA_ID(+) AND ";
    sql += " DCT.FORNECEDOR_ID  = FORN.PESSOA_ID(+) AND ";
    sql += " DCT.DOCTO_TRANSPORTE_ID ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Int32(docto_id), "="));
    sql += " AND ";
    sql += " DCT.TAB_STATUS_ID IN (1,615) AND ";
    sql += " DEST.TAB_STATUS_ID_PES = 1 AND ";
    sql += " DEST.TAB_STATUS_ID_END = 1 ";
    built = true;
    return Status();
  });
}

}  // namespace

Value Ocg::gCons_Docto_Transp(
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
    Value& outvntcva) {
  const Trap trap{kQuerySite, inVntBanco_Dados, vntConecta_db, invntUsuario_internet_id,
                  outvntMsg_Ret};
  return RunValueOperation(/*for_write=*/false, trap, [&](std::string& strSQL, Value& result) {
    if (IsOracle(inVntBanco_Dados)) {
      OCG_ASSIGN_OR_RETURN(std::string banco, ToText(inVntBanco_Dados));
      OCG_ASSIGN_OR_RETURN(std::string conecta, ToText(vntConecta_db));
      OCG_ASSIGN_OR_RETURN(int32_t docto_id, NormalisedInt32(invntDocto_Transp_id));
      OCG_ASSIGN_OR_RETURN(std::string usuario, ToText(invntUsuario_internet_id));
      if (!mTrataSP_ZOR_CON_OCG(banco, conecta, docto_id, strSQL, outvntMsg_Ret,
                                Value::Text(usuario))) {
        return Status();
      }
    } else {
      SqlBuilder sql(&strSQL);
      sql += "Exec SP_ZOR_CON_OCG2 ";
      OCG_RETURN_IF_ERROR(sql.gZero_Nulo(invntDocto_Transp_id));
    }

    RecordSet rs;
    OCG_RETURN_IF_ERROR(rs.Open(strSQL, vntConecta_db));
    if (rs.Eof()) {
      outvntMsg_Ret = Value::Text("Erro na consulta da coleta. Nenhum registro encontrado.");
      return Status();
    }
    // Text columns pass through gNulo_Vazio, the type codes and the trailer
    // through gTrata_Numero (so a null reads 0, not "").
    using K = ColumnKind;
    OCG_RETURN_IF_ERROR(
        CopyColumns(rs, {{"CLIENTE_ID", &outvntCliente_id, K::kText},
                         {"CLIENTE", &outvntCliente, K::kText},
                         {"PONTO_OPERACAO_ID", &outvntPonto_Operacao_id, K::kText},
                         {"DATA_EMISSAO", &outvntData_Emissao, K::kText},
                         {"END_DESTINATARIO_ID", &outvntEnd_Destinatario_id, K::kText},
                         {"INDICATIVO_PF_PJ", &outvntIndic_Pj_Pf, K::kText},
                         {"PF_CPF", &outvntPf_Cpf, K::kText},
                         {"PJ_CGC", &outvntPj_Cgc, K::kText},
                         {"Destinatario", &outvntNome, K::kText},
                         {"ENDERECO", &outvntEndereco, K::kText},
                         {"MUNICIPIO", &outvntMunicipio, K::kText},
                         {"ENDERECO_PESSOA_ID", &outvntEnd_Pessoa_id, K::kText},
                         {"pessoa_id", &outvntPessoa_id, K::kText},
                         {"DESTINO_ID", &outvntDestino_id, K::kText},
                         {"veiculo_fornecedor_id", &outvntVeic_Fornecedor_id, K::kText},
                         {"PLACA", &outvntPlaca, K::kText},
                         {"DATA_PREV_CARREGAMENTO", &outvntData_Prev_Carregamento, K::kDate},
                         {"LOCAL_CARREG", &outvntLocal_Carreg, K::kText},
                         {"PESO_PREVISTO", &outvntPeso_Previsto, K::kText},
                         {"TXT_EMBALAGEM", &outvntTxt_Embalagem, K::kText},
                         {"OBSERV1", &outvntObserv1, K::kText},
                         {"NUM_DOCTO_TRANSPORTE", &outvntNum_Docto_Transp, K::kText},
                         {"PEDIDO_ID", &outvntPedido_id, K::kText},
                         {"NUM_PEDIDO_EXTERNO", &outvntNum_Pedido_Externo, K::kText},
                         {"COLABORADOR_ID", &outvntColaborador_id, K::kText},
                         {"NOME_COLABORADOR", &outvntColaborador, K::kText},
                         {"FORNECEDOR_ID", &outvntFornecedor_id, K::kText},
                         {"NOME_FORNECEDOR", &outvntFornecedor, K::kText},
                         {"tab_tipo_docto_Transp_id", &outvntTab_Tipo_Docto_Transp_id, K::kNumber},
                         {"flag_ademe", &outvntFlag_Ademe, K::kText},
                         {"TAB_TIPO_RESPONSAVEL_ID", &outvntTAB_TIPO_RESPONSAVEL_ID, K::kNumber},
                         {"TAB_TIPO_EMERGENCIA_ID", &outvntTAB_TIPO_EMERGENCIA_ID, K::kNumber}}));
    // Printed once a print date is stored; a date of blanks does not count.
    OutVntFlag_Coleta_Impressa = Value::Text("N");
    OCG_ASSIGN_OR_RETURN(Value printed, rs.Field("Data_Impressao"));
    if (!TrimBlanks(Cat(gNulo_Vazio(printed))).empty()) {
      OutVntFlag_Coleta_Impressa = Value::Text("S");
    }
    OCG_RETURN_IF_ERROR(
        CopyColumns(rs, {{"veiculo_carreta_id", &outvntveiculo_carreta_id, K::kNumber},
                         {"cva", &outvntcva, K::kText}}));
    rs.Close();
    result = ValueOk();
    return Status();
  });
}

}  // namespace ocg
