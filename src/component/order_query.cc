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
  bool result = false;
  Status status = [&]() -> Status {
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
    result = true;
    return Status();
  }();
  if (!status.ok()) {
    RunFailureRoutine(kEmulationSite, status, strSQL, Value::Text(strBanco),
                      Value::Text(strConecta), usuario, msg);
  }
  return result;
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
  OperationScope scope(/*for_write=*/false);
  Value result = ValueFailed();
  std::string strSQL;
  Status status = [&]() -> Status {
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
    struct Column {
      std::string_view name;
      Value* out;
      bool numeric;
    };
    const Column columns[] = {
        {"CLIENTE_ID", &outvntCliente_id, false},
        {"CLIENTE", &outvntCliente, false},
        {"PONTO_OPERACAO_ID", &outvntPonto_Operacao_id, false},
        {"DATA_EMISSAO", &outvntData_Emissao, false},
        {"END_DESTINATARIO_ID", &outvntEnd_Destinatario_id, false},
        {"INDICATIVO_PF_PJ", &outvntIndic_Pj_Pf, false},
        {"PF_CPF", &outvntPf_Cpf, false},
        {"PJ_CGC", &outvntPj_Cgc, false},
        {"Destinatario", &outvntNome, false},
        {"ENDERECO", &outvntEndereco, false},
        {"MUNICIPIO", &outvntMunicipio, false},
        {"ENDERECO_PESSOA_ID", &outvntEnd_Pessoa_id, false},
        {"pessoa_id", &outvntPessoa_id, false},
        {"DESTINO_ID", &outvntDestino_id, false},
        {"veiculo_fornecedor_id", &outvntVeic_Fornecedor_id, false},
        {"PLACA", &outvntPlaca, false},
    };
    for (const Column& c : columns) {
      OCG_ASSIGN_OR_RETURN(Value v, rs.Field(c.name));
      *c.out = c.numeric ? gTrata_Numero(v) : gNulo_Vazio(v);
    }
    OCG_ASSIGN_OR_RETURN(Value prev, rs.Field("DATA_PREV_CARREGAMENTO"));
    outvntData_Prev_Carregamento = FormatAsDate(gNulo_Vazio(prev), "DD/MM/YYYY");
    const Column more[] = {
        {"LOCAL_CARREG", &outvntLocal_Carreg, false},
        {"PESO_PREVISTO", &outvntPeso_Previsto, false},
        {"TXT_EMBALAGEM", &outvntTxt_Embalagem, false},
        {"OBSERV1", &outvntObserv1, false},
        {"NUM_DOCTO_TRANSPORTE", &outvntNum_Docto_Transp, false},
        {"PEDIDO_ID", &outvntPedido_id, false},
        {"NUM_PEDIDO_EXTERNO", &outvntNum_Pedido_Externo, false},
        {"COLABORADOR_ID", &outvntColaborador_id, false},
        {"NOME_COLABORADOR", &outvntColaborador, false},
        {"FORNECEDOR_ID", &outvntFornecedor_id, false},
        {"NOME_FORNECEDOR", &outvntFornecedor, false},
        {"tab_tipo_docto_Transp_id", &outvntTab_Tipo_Docto_Transp_id, true},
        {"flag_ademe", &outvntFlag_Ademe, false},
        {"TAB_TIPO_RESPONSAVEL_ID", &outvntTAB_TIPO_RESPONSAVEL_ID, true},
        {"TAB_TIPO_EMERGENCIA_ID", &outvntTAB_TIPO_EMERGENCIA_ID, true},
    };
    for (const Column& c : more) {
      OCG_ASSIGN_OR_RETURN(Value v, rs.Field(c.name));
      *c.out = c.numeric ? gTrata_Numero(v) : gNulo_Vazio(v);
    }
    // Printed once a print date is stored; a date of blanks does not count.
    OutVntFlag_Coleta_Impressa = Value::Text("N");
    OCG_ASSIGN_OR_RETURN(Value printed, rs.Field("Data_Impressao"));
    if (!TrimBlanks(Cat(gNulo_Vazio(printed))).empty()) {
      OutVntFlag_Coleta_Impressa = Value::Text("S");
    }
    OCG_ASSIGN_OR_RETURN(Value trailer, rs.Field("veiculo_carreta_id"));
    outvntveiculo_carreta_id = gTrata_Numero(trailer);
    OCG_ASSIGN_OR_RETURN(Value cva, rs.Field("cva"));
    outvntcva = gNulo_Vazio(cva);
    rs.Close();
    result = ValueOk();
    return Status();
  }();
  if (!status.ok()) {
    RunFailureRoutine(kQuerySite, status, strSQL, inVntBanco_Dados, vntConecta_db,
                      invntUsuario_internet_id, outvntMsg_Ret);
  }
  if (IsValueOk(result)) scope.Succeed();
  return result;
}

}  // namespace ocg
