// order_calls.h: the order-writing operations called by name, as "ocg call"
// calls them, and the business state they leave, for the order tests.
#ifndef OCG_TESTS_COMPONENT_ORDER_CALLS_H_
#define OCG_TESTS_COMPONENT_ORDER_CALLS_H_

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/dispatch.h"
#include "cli/value_json.h"
#include "component/interface_table.h"
#include "infra/session.h"
#include "infra/sql_format.h"

namespace ocg::testing {

using Json = nlohmann::ordered_json;

// A new order of customer 101 for destination 201 (address 2012, town 3) at
// point 1, type 5, drawing 30 t as 20 + 10 from the four programmes on offer
// (11, 12, 13, 14).
inline Json NewOrder() {
  return Json::parse(R"({"InVntTab_Tipo_Docto_Transp_ID": 5, "invntCliente_id": 101,
    "invntponto_operacao_id": 1, "invntData_Atual": "06/12/2026",
    "invntEnd_Destinatario_id": 2012, "invntDestinatario_id": 201, "invntMunicipio_Dest_id": 3,
    "invntN_Docto_Cliente": "4500", "invntN_Docto_Transp": "", "invntData_Prev_Carreg": "10/12/2026",
    "invntVeiculo_Forn_id": 2, "invntColaborador_id": 301, "invntFornecedor_id": "",
    "invntLocal_Carreg": "Pátio 3", "invntPeso_Previsto": "30", "invntTxt_Embalagem": "bobinas",
    "invntObs1": "frágil", "invntQtde_Programacao": 4, "inarrvntBaixas": ["20", "10", "0", "0"],
    "inarrvntProg_Carga_ID": [11, 12, 13, 14], "invntFlag_Ademe": "N",
    "invntTAB_TIPO_RESPONSAVEL_ID": 1, "invntTAB_TIPO_EMERGENCIA_ID": 0,
    "invntveiculo_carreta_id": 21})");
}

struct Answer {
  Value result;
  Json args;  // every argument after the call, by name
  bool ok() const { return result == Value::Int16(0) || result == Value::Bool(true); }
  std::string text(const char* name) const { return args[name].dump(); }
};

// Calls op with args (by name) on connection, as kind, for user.
inline Answer Call(std::string_view op, const Json& args, const std::string& connection,
                   const std::string& kind, int user = 5) {
  const OperationInfo& info = *FindOperation(op);
  std::vector<Value> values;
  Status st = BuildArguments(info, args, {connection, kind, std::to_string(user)}, &values);
  EXPECT_TRUE(st.ok()) << st.ToString();
  Ocg ocg;
  Answer a;
  a.result = info.invoke(ocg, values);
  a.args = DescribeCall(info, a.result, values)["arguments"];
  return a;
}

// Every row of the business tables an order touches, as text: the orders
// written after the demo's, their links, the programmes' tonnage and status,
// the jobs, the sales orders and displacements, the counters the two kinds
// share. Texts are compared in capitals (the Oracle path writes them so); the
// trailer, which only the Oracle path stores, is left out.
inline std::string BusinessState(const std::string& connection) {
  static const char* const kQueries[] = {
      "SELECT DOCTO_TRANSPORTE_ID, TAB_STATUS_ID, TAB_TIPO_DOCTO_TRANSP_ID, NUM_DOCTO_TRANSPORTE, "
      "CLIENTE_ID, PONTO_OPERACAO_ID, END_DESTINATARIO_ID, DESTINO_ID, DATA_PREV_CARREGAMENTO, "
      "VEICULO_FORNECEDOR_ID, COLABORADOR_ID, FORNECEDOR_ID, LOCAL_CARREG, PESO_PREVISTO, "
      "TXT_EMBALAGEM, OBSERV1, FLAG_ADEME, TAB_TIPO_RESPONSAVEL_ID, TAB_TIPO_EMERGENCIA_ID, "
      "GERADOR_TRANSPORTE_ID, PEDIDO_ID, END_REMETENTE_ID, EMPRESA_ID FROM DOCTO_TRANSPORTE "
      "ORDER BY 1",
      "SELECT * FROM HIST_PROGR_ESCOAM ORDER BY 1",
      "SELECT PROGRAM_CARGA_ID, NVL(TON_CARREGADA, 0), NVL(TON_P_ESCOAR, 0), TAB_STATUS_ID, "
      "DATA_ENCERRAMENTO FROM PROGRAM_CARGA ORDER BY 1",
      "SELECT LOG_GERADOR_ID, USUARIO_INTERNET_ID, FUNCAO_ID, UPPER(TITULO_EMAIL), "
      "FLAG_ENVIA_EMAIL, UPPER(ENDERECO_EMAIL), TAB_STATUS_JOB_ID, TXT_QUERY FROM LOG_GERADOR "
      "ORDER BY 1",
      "SELECT * FROM PEDIDO ORDER BY 1",
      "SELECT * FROM PEDIDO_ITEM ORDER BY 1",
      "SELECT * FROM DESLOCAMENTO ORDER BY 1",
      "SELECT * FROM DESLOC_DOCTO_TRANSP ORDER BY 1",
      "SELECT DOCTO_TRANSPORTE_ID, HIST_PROGR_ESCOAM_ID, LOG_GERADOR_ID FROM INFRA_IDS"};
  std::string out;
  for (const char* sql : kQueries) {
    RowSet rows;
    Status st = RunStatement(connection, sql, &rows);
    EXPECT_TRUE(st.ok()) << sql << ": " << st.ToString();
    for (const auto& row : rows.rows) {
      for (const Value& v : row) out += (v.is_null() ? "null" : Cat(v)) + "|";
      out += "\n";
    }
  }
  return out;
}

}  // namespace ocg::testing

#endif  // OCG_TESTS_COMPONENT_ORDER_CALLS_H_
