// component/order_row_steps.cc: the Oracle path's order insert, order update
// and link insert.
//
//   mTrataSP_ZOR_INC_OCG        equivalent of SP_ZOR_INC_OCG2
//   mTrataSP_ZOR_ALT_OCG        equivalent of SP_ZOR_ALT_OCG2
//   mTrataSP_ZOR_INC_RELAC_OCG  equivalent of SP_ZOR_INC_RELAC_OCG
//
// Number, date and text forms are the comparison routines with the empty
// operator: two blanks and the value, or " null" (" NULL" for texts) when it
// is absent.
#include <string>
#include <string_view>

#include "component/order_steps.h"
#include "component/procedure.h"
#include "infra/infra_ids.h"
#include "infra/record_set.h"
#include "infra/sql_builder.h"
#include "infra/sql_format.h"
#include "value/text.h"

namespace ocg {
namespace {

constexpr TrapSite kInsertSite{
    "ZorOCG.mTrataSP_ZOR_INC_OCG",
    "Acesso a incçusão da coleta não disponível. Favor tentar mais tarde."};
constexpr TrapSite kUpdateSite{"ZorOCG.mTrataSP_ZOR_ALT_OCG",
                               "Acesso a alteração da coleta não disponível. Favor tentar mais "
                               "tarde."};
constexpr TrapSite kLinkSite{"ZorOCG.mTrataSP_ZOR_INC_RELAC_OCG",
                             "Acesso a inclusão das programações ligadas a coleta não "
                             "disponível. Favor tentar mais tarde."};

constexpr std::string_view kNoSender = "Não foi encontrado o endereço do remetente.";

// The customer group whose dangerous loads leave from the carrier's address.
constexpr int32_t kCarrierShippedGroup = 32;

// The generator of the transport, by the responsible type: 1 the company, 2
// the customer, 3 the person of the destination address (while active), any
// other type none (0).
Status Generator(const OrderFields& o, const Value& connection, std::string& strSQL,
                 int32_t* generator) {
  *generator = 0;
  if (o.tipo_responsavel == 1) *generator = 1;
  if (o.tipo_responsavel == 2) *generator = o.cliente;
  if (o.tipo_responsavel != 3) return Status();
  strSQL.clear();
  SqlBuilder sql(&strSQL);
  sql += " SELECT  PESSOA_ID ";
  sql += " From ENDERECO_PESSOA ";
  sql += " WHERE  ENDERECO_PESSOA_ID ";
  OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Int32(o.end_destinatario), "="));
  sql += " AND TAB_STATUS_ID = 1 ";
  RecordSet rs;
  OCG_RETURN_IF_ERROR(rs.Open(strSQL, connection));
  if (rs.IsOpen() && !rs.Eof()) {
    OCG_ASSIGN_OR_RETURN(Value person, rs.Field("pessoa_id"));
    OCG_ASSIGN_OR_RETURN(*generator, gTrata_Numero(person).ToInt32());
    rs.Close();
  }
  return Status();
}

// The sender address: the person's first active address by address type.
// *found is false when the query ran and found none (the caller refuses); a
// closed result leaves the sender 0. The alteration writes the customer's
// query with two blanks after its last two conditions.
Status SenderAddress(int32_t person, bool two_blanks, const Value& connection, std::string& strSQL,
                     bool* found, int32_t* sender) {
  *found = true;
  *sender = 0;
  strSQL.clear();
  SqlBuilder sql(&strSQL);
  sql += " SELECT  A.ENDERECO_PESSOA_ID as END_REMETENTE_ID ";
  sql += " FROM VENDERECO_PESSOA A ";
  sql += " WHERE A.TAB_STATUS_ID_END = 1 ";
  sql += " AND A.PESSOA_ID = ";
  OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Int32(person), ""));
  sql += " ";
  sql += two_blanks ? " AND A.TAB_STATUS_ID_PES = 1  " : " AND A.TAB_STATUS_ID_PES = 1 ";
  sql += two_blanks ? " AND A.TAB_STATUS_ID_END = 1  " : " AND A.TAB_STATUS_ID_END = 1 ";
  sql += " Order By A.Tab_Tipo_Endereco_ID ";
  RecordSet rs;
  OCG_RETURN_IF_ERROR(rs.Open(strSQL, connection));
  if (!rs.IsOpen()) return Status();
  if (rs.Eof()) {
    *found = false;
    return Status();
  }
  rs.MoveFirst();
  OCG_ASSIGN_OR_RETURN(Value address, rs.Field("END_REMETENTE_ID"));
  OCG_ASSIGN_OR_RETURN(*sender, gTrata_Numero(address).ToInt32());
  rs.Close();
  return Status();
}

// The weight as a number form can write it: the decimal comma of its text
// turned into a point ("12,5" -> "12.5").
Value WeightText(double peso) {
  std::string text;
  gVirgula_Ponto(Cat(Value::Double(peso)), &text);
  return Value::Text(text);
}

Value Number(int32_t v) { return Value::Int32(v); }

}  // namespace

bool mTrataSP_ZOR_INC_OCG(const std::string& strBanco, const std::string& strConecta, int32_t tipo,
                          const OrderFields& o, std::string& strSQL, Value& msg,
                          const Value& usuario) {
  const Value banco = Value::Text(strBanco), conecta = Value::Text(strConecta);
  return RunEmulation(Trap{kInsertSite, banco, conecta, usuario, msg}, strSQL, [&](bool& built) {
    const Value weight = WeightText(o.peso);
    int32_t generator = 0;
    OCG_RETURN_IF_ERROR(Generator(o, conecta, strSQL, &generator));

    strSQL.clear();
    SqlBuilder group_sql(&strSQL);
    group_sql += " SELECT GRUPO_CLIENTE_ID ";
    group_sql += " FROM CLIENTE ";
    group_sql += " WHERE PESSOA_ID ";
    OCG_RETURN_IF_ERROR(group_sql.gCondicao_Numero(Number(o.cliente), "="));
    group_sql += " ";
    int32_t group = 0;
    {
      RecordSet rs;
      OCG_RETURN_IF_ERROR(rs.Open(strSQL, conecta));
      if (rs.IsOpen() && !rs.Eof()) {
        OCG_ASSIGN_OR_RETURN(Value g, rs.Field("GRUPO_CLIENTE_ID"));
        OCG_ASSIGN_OR_RETURN(group, gTrata_Numero(g).ToInt32());
        rs.Close();
      }
    }

    const bool carrier = group == kCarrierShippedGroup && o.tipo_emergencia > 0;
    bool found = false;
    int32_t sender = 0;
    OCG_RETURN_IF_ERROR(SenderAddress(carrier ? o.fornecedor : o.cliente, /*two_blanks=*/false,
                                      conecta, strSQL, &found, &sender));
    if (!found) {
      msg = Value::Text(std::string(kNoSender));
      return Status();
    }

    OCG_ASSIGN_OR_RETURN(int32_t user, usuario.ToInt32());
    std::string allocation_msg;
    int32_t id = 0;
    if (!gAtualiza_infra_ids(strBanco, user, 1, "NORTEX", "N", Value(), strConecta,
                             "DOCTO_TRANSPORTE_ID", allocation_msg, id)) {
      msg = Value::Text(allocation_msg);
      return Status();
    }

    strSQL.clear();
    SqlBuilder sql(&strSQL);
    sql += "  Insert ";
    sql += "   Into DOCTO_TRANSPORTE";
    sql += "  (";
    for (std::string_view column : {"DOCTO_TRANSPORTE_ID",
                                    "TAB_STATUS_ID",
                                    "TAB_TIPO_DOCTO_TRANSP_ID",
                                    "CLIENTE_ID",
                                    "PONTO_OPERACAO_ID",
                                    "DATA_EMISSAO",
                                    "END_DESTINATARIO_ID",
                                    "DESTINO_ID",
                                    "DATA_PREV_CARREGAMENTO",
                                    "VEICULO_FORNECEDOR_ID",
                                    "COLABORADOR_ID",
                                    "FORNECEDOR_ID",
                                    "LOCAL_CARREG",
                                    "PESO_PREVISTO",
                                    "TXT_EMBALAGEM",
                                    "OBSERV1",
                                    "NUM_DOCTO_TRANSPORTE",
                                    "FLAG_ADEME",
                                    "TAB_TIPO_RESPONSAVEL_ID",
                                    "TAB_TIPO_EMERGENCIA_ID",
                                    "GERADOR_TRANSPORTE_ID",
                                    "PEDIDO_ID",
                                    "End_Remetente_ID",
                                    "Empresa_ID"}) {
      sql += " ";
      sql += column;
      sql += ",";
    }
    sql += " veiculo_carreta_id )";
    sql += "  Values";
    sql += "  ( ";
    auto number = [&](const Value& v) -> Status {
      OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(v, ""));
      sql += ",";
      return Status();
    };
    auto text = [&](const std::string& v) -> Status {
      OCG_RETURN_IF_ERROR(sql.gCondicao_Texto(Value::Text(v), ""));
      sql += ",";
      return Status();
    };
    OCG_RETURN_IF_ERROR(number(Number(id)));
    sql += "  1  ,";
    OCG_RETURN_IF_ERROR(number(Number(tipo)));
    OCG_RETURN_IF_ERROR(number(Number(o.cliente)));
    OCG_RETURN_IF_ERROR(number(Number(o.ponto)));
    sql += " sysdate ,";
    OCG_RETURN_IF_ERROR(number(Number(o.end_destinatario)));
    OCG_RETURN_IF_ERROR(number(Number(o.municipio)));
    OCG_RETURN_IF_ERROR(sql.gCondicao_Data(Value::Text(o.data_prev), ""));
    sql += ",";
    OCG_RETURN_IF_ERROR(number(Number(o.veiculo)));
    OCG_RETURN_IF_ERROR(number(Number(o.colaborador)));
    OCG_RETURN_IF_ERROR(number(Number(o.fornecedor)));
    OCG_RETURN_IF_ERROR(text(o.local_carreg));
    OCG_RETURN_IF_ERROR(number(weight));
    OCG_RETURN_IF_ERROR(text(o.txt_embalagem));
    // The remark is stored in capitals; a remark of blanks is no remark.
    if (!TrimBlanks(o.obs1).empty()) {
      OCG_RETURN_IF_ERROR(sql.gTexto_SQL(Value::Text(ToUpperText(o.obs1))));
      sql += ",";
    } else {
      sql += "null,";
    }
    OCG_RETURN_IF_ERROR(number(Number(o.n_docto_transp)));
    OCG_RETURN_IF_ERROR(text(o.flag_ademe));
    OCG_RETURN_IF_ERROR(number(Number(o.tipo_responsavel)));
    OCG_RETURN_IF_ERROR(number(Number(o.tipo_emergencia)));
    OCG_RETURN_IF_ERROR(number(Number(generator)));
    OCG_RETURN_IF_ERROR(number(Number(0)));  // no sales order
    OCG_RETURN_IF_ERROR(number(Number(sender)));
    OCG_RETURN_IF_ERROR(number(Number(1)));  // the company
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(o.veiculo_carreta, ""));
    sql += " )";
    OCG_RETURN_IF_ERROR(Execute(strSQL, conecta));

    strSQL = " SELECT 0 RETORNO , '' MSG_RET , " + std::to_string(id) +
             " AS DOCTO_TRANSPORTE_ID  FROM INFRA_IDS ";
    built = true;
    return Status();
  });
}

bool mTrataSP_ZOR_INC_RELAC_OCG(const std::string& strBanco, const std::string& strConecta,
                                int32_t docto_id, int32_t prog_id, double ton_baixa,
                                std::string& strSQL, Value& msg, const Value& usuario) {
  const Value banco = Value::Text(strBanco), conecta = Value::Text(strConecta);
  return RunEmulation(Trap{kLinkSite, banco, conecta, usuario, msg}, strSQL, [&](bool& built) {
    OCG_ASSIGN_OR_RETURN(int32_t user, usuario.ToInt32());
    std::string allocation_msg;
    int32_t id = 0;
    if (!gAtualiza_infra_ids(strBanco, user, 1, "NORTEX", "N", Value(), strConecta,
                             "HIST_PROGR_ESCOAM_ID", allocation_msg, id)) {
      msg = Value::Text(allocation_msg);
      return Status();
    }
    const Value take_off = WeightText(ton_baixa);
    strSQL.clear();
    SqlBuilder sql(&strSQL);
    sql += " INSERT ";
    sql += " INTO HIST_PROGR_ESCOAM ";
    sql += " ( HIST_PROGR_ESCOAM_ID , ";
    sql += " DOCTO_TRANSPORTE_ID , ";
    sql += " PROGRAM_CARGA_ID , ";
    sql += " ULTIMA_TON_PROGR ) ";
    sql += " VALUES ";
    sql += " (  ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Number(id), ""));
    sql += " , ";
    sql += "  ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Number(docto_id), ""));
    sql += " , ";
    sql += "  ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Number(prog_id), ""));
    sql += " , ";
    sql += "  ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(take_off, ""));  // 0 is stored as null
    sql += " ) ";
    OCG_RETURN_IF_ERROR(Execute(strSQL, conecta));
    strSQL = " SELECT 0 RETORNO , '' MSG_RET FROM INFRA_IDS ";
    built = true;
    return Status();
  });
}

bool mTrataSP_ZOR_ALT_OCG(const std::string& strBanco, const std::string& strConecta,
                          int32_t docto_id, const OrderFields& o, std::string& strSQL, Value& msg,
                          const Value& usuario) {
  const Value banco = Value::Text(strBanco), conecta = Value::Text(strConecta);
  return RunEmulation(Trap{kUpdateSite, banco, conecta, usuario, msg}, strSQL, [&](bool& built) {
    const Value weight = WeightText(o.peso);
    int32_t generator = 0;
    OCG_RETURN_IF_ERROR(Generator(o, conecta, strSQL, &generator));

    // The group of the customer stored on the order, and its route, before
    // this update.
    strSQL.clear();
    SqlBuilder stored_sql(&strSQL);
    stored_sql += " SELECT CLIENTE.GRUPO_CLIENTE_ID, ";
    stored_sql += " DOCTO_TRANSPORTE.ROTA_ID";
    stored_sql += " FROM CLIENTE , DOCTO_TRANSPORTE ";
    stored_sql += " WHERE CLIENTE.PESSOA_ID = DOCTO_TRANSPORTE.CLIENTE_ID ";
    stored_sql += " AND DOCTO_TRANSPORTE.DOCTO_TRANSPORTE_ID ";
    OCG_RETURN_IF_ERROR(stored_sql.gCondicao_Numero(Number(docto_id), "="));
    stored_sql += " ";
    int32_t group = 0, route = 0;
    {
      RecordSet rs;
      OCG_RETURN_IF_ERROR(rs.Open(strSQL, conecta));
      if (rs.IsOpen() && !rs.Eof()) {
        OCG_ASSIGN_OR_RETURN(Value g, rs.Field("GRUPO_CLIENTE_ID"));
        OCG_ASSIGN_OR_RETURN(group, gTrata_Numero(g).ToInt32());
        OCG_ASSIGN_OR_RETURN(Value r, rs.Field("ROTA_ID"));
        OCG_ASSIGN_OR_RETURN(route, gTrata_Numero(r).ToInt32());
        rs.Close();
      }
    }

    const bool carrier = group == kCarrierShippedGroup && (o.tipo_emergencia > 0 || route > 0);
    bool found = false;
    int32_t sender = 0;
    OCG_RETURN_IF_ERROR(SenderAddress(carrier ? o.fornecedor : o.cliente,
                                      /*two_blanks=*/!carrier, conecta, strSQL, &found, &sender));
    if (!found) {
      msg = Value::Text(std::string(kNoSender));
      return Status();
    }

    strSQL.clear();
    SqlBuilder sql(&strSQL);
    // piece, then the value's number form, then what follows it.
    auto number = [&](std::string_view piece, const Value& v, std::string_view then) -> Status {
      sql += piece;
      OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(v, ""));
      sql += then;
      return Status();
    };
    auto text = [&](std::string_view piece, const std::string& v) -> Status {
      sql += piece;
      OCG_RETURN_IF_ERROR(sql.gCondicao_Texto(Value::Text(v), ""));
      sql += ",";
      return Status();
    };
    sql += " UPDATE DOCTO_TRANSPORTE ";
    OCG_RETURN_IF_ERROR(number(" SET CLIENTE_ID = ", Number(o.cliente), " , "));
    OCG_RETURN_IF_ERROR(number(" PONTO_OPERACAO_ID = ", Number(o.ponto), " , "));
    sql += " DATA_EMISSAO = sysdate  ,";
    OCG_RETURN_IF_ERROR(number(" END_DESTINATARIO_ID = ", Number(o.end_destinatario), ","));
    OCG_RETURN_IF_ERROR(number(" DESTINO_ID      = ", Number(o.municipio), " ,"));
    sql += " DATA_PREV_CARREGAMENTO = ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Data(Value::Text(o.data_prev), ""));
    sql += ",";
    OCG_RETURN_IF_ERROR(number(" VEICULO_FORNECEDOR_ID =  ", Number(o.veiculo), ","));
    OCG_RETURN_IF_ERROR(number(" COLABORADOR_ID  = ", Number(o.colaborador), ","));
    OCG_RETURN_IF_ERROR(number(" FORNECEDOR_ID  =  ", Number(o.fornecedor), ","));
    OCG_RETURN_IF_ERROR(text(" LOCAL_CARREG   =  ", o.local_carreg));
    OCG_RETURN_IF_ERROR(number(" PESO_PREVISTO  =  ", weight, ","));
    OCG_RETURN_IF_ERROR(text(" TXT_EMBALAGEM  =  ", o.txt_embalagem));
    if (!TrimBlanks(o.obs1).empty()) {
      sql += " OBSERV1        =  ";
      OCG_RETURN_IF_ERROR(sql.gTexto_SQL(Value::Text(ToUpperText(o.obs1))));
      sql += " ,";
    } else {
      sql += " OBSERV1        =  null,";
    }
    OCG_RETURN_IF_ERROR(number(" NUM_DOCTO_TRANSPORTE = ", Number(o.n_docto_transp), ","));
    OCG_RETURN_IF_ERROR(text(" FLAG_ADEME = ", o.flag_ademe));
    OCG_RETURN_IF_ERROR(number(" TAB_TIPO_RESPONSAVEL_ID = ", Number(o.tipo_responsavel), ","));
    OCG_RETURN_IF_ERROR(number(" TAB_TIPO_EMERGENCIA_ID = ", Number(o.tipo_emergencia), ","));
    OCG_RETURN_IF_ERROR(number(" GERADOR_TRANSPORTE_ID = ", Number(generator), " , "));
    OCG_RETURN_IF_ERROR(number(" End_Remetente_ID = ", Number(sender), ",  "));
    OCG_RETURN_IF_ERROR(number(" veiculo_carreta_id = ", o.veiculo_carreta, "  "));
    sql += " WHERE  DOCTO_TRANSPORTE_ID  ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Number(docto_id), "="));
    OCG_RETURN_IF_ERROR(Execute(strSQL, conecta));

    // The customer's document number goes to the order's sales order.
    strSQL.clear();
    SqlBuilder order_sql(&strSQL);
    order_sql += " SELECT PEDIDO_ID ";
    order_sql += " From DOCTO_TRANSPORTE ";
    order_sql += " WHERE  DOCTO_TRANSPORTE_ID ";
    OCG_RETURN_IF_ERROR(order_sql.gCondicao_Numero(Number(docto_id), "="));
    int32_t sales_order = 0;
    {
      RecordSet rs;
      OCG_RETURN_IF_ERROR(rs.Open(strSQL, conecta));
      if (rs.IsOpen() && !rs.Eof()) {
        OCG_ASSIGN_OR_RETURN(Value p, rs.Field("PEDIDO_ID"));
        OCG_ASSIGN_OR_RETURN(sales_order, gTrata_Numero(p).ToInt32());
        rs.Close();
      }
    }
    strSQL.clear();
    SqlBuilder pedido_sql(&strSQL);
    pedido_sql += " Update PEDIDO ";
    pedido_sql += " SET    NUM_PEDIDO_EXTERNO = ";
    OCG_RETURN_IF_ERROR(pedido_sql.gCondicao_Texto(Number(o.n_docto_cliente), ""));
    pedido_sql += " WHERE  PEDIDO_ID  ";
    OCG_RETURN_IF_ERROR(pedido_sql.gCondicao_Numero(Number(sales_order), "="));
    OCG_RETURN_IF_ERROR(Execute(strSQL, conecta));

    strSQL = " SELECT 0 RETORNO , '' MSG_RET FROM INFRA_IDS ";
    built = true;
    return Status();
  });
}

}  // namespace ocg
