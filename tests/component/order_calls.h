// order_calls.h: the operations called by name on a test database, as
// "ocg call" calls them, and readers of the business state they leave.
#ifndef OCG_TESTS_COMPONENT_ORDER_CALLS_H_
#define OCG_TESTS_COMPONENT_ORDER_CALLS_H_

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "cli/dispatch.h"
#include "cli/value_json.h"
#include "component/interface_table.h"
#include "infra/sql_format.h"
#include "test_support.h"

namespace ocg::testing {

using Json = nlohmann::ordered_json;

// Customer 101's order for destination 201 (address 2012, town 3) at point 1,
// type 5, drawing 30 t as 20 + 10 from the four programmes on offer (11-14).
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
  bool ok() const { return result == Value::Int16(0); }
  std::string text(const char* name) const { return args[name].dump(); }
};

inline Answer Call(std::string_view op, const Json& args, const std::string& connection,
                   const std::string& kind, int user = 5) {
  const OperationInfo& info = *FindOperation(op);
  std::vector<Value> values;
  EXPECT_TRUE(BuildArguments(info, args, {connection, kind, std::to_string(user)}, &values).ok());
  Ocg ocg;
  const Value result = info.invoke(ocg, values);
  return {result, DescribeCall(info, result, values)["arguments"]};
}

// A query's rows as text: "value value|value value|", null as "null".
inline std::string Text(const TempDatabase& db, const std::string& sql) {
  std::string out;
  for (const auto& row : db.Rows(sql)) {
    for (size_t i = 0; i < row.size(); ++i)
      out += (i ? " " : "") + (row[i].is_null() ? "null" : Cat(row[i]));
    out += "|";
  }
  return out;
}

// Every row of the tables an order write touches: orders, links, programmes,
// jobs, sales orders, displacements, the shared counters. Texts in capitals
// (as the Oracle path writes them); the trailer, which only the Oracle path
// stores, left out.
inline std::string BusinessState(const TempDatabase& db) {
  std::string out = Text(
      db,
      "SELECT DOCTO_TRANSPORTE_ID, TAB_STATUS_ID, TAB_TIPO_DOCTO_TRANSP_ID, NUM_DOCTO_TRANSPORTE, "
      "CLIENTE_ID, PONTO_OPERACAO_ID, END_DESTINATARIO_ID, DESTINO_ID, DATA_PREV_CARREGAMENTO, "
      "VEICULO_FORNECEDOR_ID, COLABORADOR_ID, FORNECEDOR_ID, LOCAL_CARREG, PESO_PREVISTO, "
      "TXT_EMBALAGEM, OBSERV1, FLAG_ADEME, TAB_TIPO_RESPONSAVEL_ID, TAB_TIPO_EMERGENCIA_ID, "
      "GERADOR_TRANSPORTE_ID, PEDIDO_ID, END_REMETENTE_ID, EMPRESA_ID FROM DOCTO_TRANSPORTE "
      "ORDER BY 1");
  out += Text(db,
              "SELECT PROGRAM_CARGA_ID, NVL(TON_CARREGADA, 0), NVL(TON_P_ESCOAR, 0), "
              "TAB_STATUS_ID, DATA_ENCERRAMENTO FROM PROGRAM_CARGA ORDER BY 1");
  out += Text(db,
              "SELECT LOG_GERADOR_ID, USUARIO_INTERNET_ID, FUNCAO_ID, UPPER(TITULO_EMAIL), "
              "FLAG_ENVIA_EMAIL, UPPER(ENDERECO_EMAIL), TAB_STATUS_JOB_ID, TXT_QUERY FROM "
              "LOG_GERADOR ORDER BY 1");
  out +=
      Text(db, "SELECT DOCTO_TRANSPORTE_ID, HIST_PROGR_ESCOAM_ID, LOG_GERADOR_ID FROM INFRA_IDS");
  for (const char* table :
       {"HIST_PROGR_ESCOAM", "PEDIDO", "PEDIDO_ITEM", "DESLOCAMENTO", "DESLOC_DOCTO_TRANSP"}) {
    out += Text(db, std::string("SELECT * FROM ") + table + " ORDER BY 1");
  }
  return out;
}

}  // namespace ocg::testing

#endif  // OCG_TESTS_COMPONENT_ORDER_CALLS_H_
