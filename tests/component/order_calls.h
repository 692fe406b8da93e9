// order_calls.h: the operations called by name on a test database, as
// "ocg call" calls them, and readers of the business state they leave.
#ifndef OCG_TESTS_COMPONENT_ORDER_CALLS_H_
#define OCG_TESTS_COMPONENT_ORDER_CALLS_H_

#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <random>
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

// Order o (0: a new one) of NewOrder's customer taking takes from 11-14 for
// weight; the deletion of order o, without a CVA.
inline Json Order(int o, Json takes, Json weight) {
  Json order = NewOrder();
  order["invntQtde_Programacao"] = takes.size();
  order.update(Json{{"inarrvntBaixas", std::move(takes)}, {"invntPeso_Previsto", weight}});
  if (o) order["invntDocto_Transp_id"] = o;
  return order;
}
inline Json Deletion(int o) { return {{"invntDocto_Transp_id", o}, {"inVntNum_CVA", ""}}; }

// Each engine this machine tests under each kind, named for messages.
struct EngineKind {
  Engine engine;
  std::string kind;
  std::string name() const { return std::string(EngineName(engine)) + " " + kind; }
};
inline std::vector<EngineKind> Runs() {
  std::vector<EngineKind> runs;
  for (Engine engine : TestEngines()) {
    for (const char* kind : {"ORACLE", "SQLSERVER"}) runs.push_back({engine, kind});
  }
  return runs;
}

struct Answer {
  Value result;
  Json args;  // every argument after the call, by name
  bool ok() const {
    const Json j = ValueToJson(result);
    return j == 0 || j == true;
  }
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

// One writer among several at once: calls that create, delete or alter its
// own orders of customer 102 for 203 at point 3 (limit 0), taking 0, 1 or
// 2,5 t from each programme listed at that moment, through call (nullopt:
// the call did not arrive). A refusal (the offer changed since it was listed)
// is fine; returns how many calls failed otherwise.
using CallFunction = std::function<std::optional<Answer>(std::string_view op, const Json& args)>;
inline int WriteOrders(const CallFunction& call, int seed, int calls) {
  std::mt19937 rng(seed);
  std::vector<int> mine;
  int failures = 0;
  for (int i = 0; i < calls; ++i) {
    const int action = mine.empty() ? 0 : static_cast<int>(rng() % 3);
    const size_t at = mine.empty() ? 0 : rng() % mine.size();
    const int order = action == 0 ? 0 : mine[at];
    Json args = Deletion(order);
    if (action != 1) {
      const std::optional<Answer> listed =
          call("gBusca_Ton_Prog", {{"invntCliente_id", 102},
                                   {"invntDestinatario_id", 203},
                                   {"invntponto_operacao_id", 3},
                                   {"InVntDocto_Transporte_ID", order}});
      if (!listed) {
        ++failures;
        continue;
      }
      const Json& ids = listed->args["outarrvntProgram_Carga_id"];
      Json takes = Json::array();
      double weight = 0;
      for (size_t j = 0; ids.is_array() && j < ids.size(); ++j) {
        const double take = std::vector<double>{0, 1, 2.5}[rng() % 3];
        takes.push_back(FormatNumber(take));
        weight += take;
      }
      args = Order(order, takes, FormatNumber(weight));
      args.update(Json{{"invntCliente_id", 102},
                       {"invntDestinatario_id", 203},
                       {"invntEnd_Destinatario_id", 2031},
                       {"invntponto_operacao_id", 3}});
    }
    const char* ops[] = {"gInclui_Col_Geral", "gExclui_Col_Geral", "gAltera_Col_Geral"};
    const std::optional<Answer> a = call(ops[action], args);
    if (!a) {
      ++failures;
      continue;
    }
    if (a->ok() && action == 0) mine.push_back(a->args["outvntDocto_Transp_id"].get<int>());
    if (a->ok() && action == 1) mine.erase(mine.begin() + static_cast<long>(at));
    failures += !a->ok() && a->text("outvntMsg_Ret").find("não disponível") != std::string::npos;
  }
  return failures;
}

// Programmes 71-76 as "programmed loaded to-ship taken", taken being what
// the links of the orders created since the demo (126 on) hold.
inline std::vector<std::vector<Value>> Programmes71To76(const TempDatabase& db) {
  return db.Rows(
      "SELECT P.PROGRAM_CARGA_ID, NVL(P.TON_PROGRAMADA, 0), NVL(P.TON_CARREGADA, 0), "
      "NVL(P.TON_P_ESCOAR, 0), (SELECT NVL(SUM(H.ULTIMA_TON_PROGR), 0) FROM HIST_PROGR_ESCOAM "
      "H WHERE H.PROGRAM_CARGA_ID = P.PROGRAM_CARGA_ID AND H.DOCTO_TRANSPORTE_ID >= 126) "
      "FROM PROGRAM_CARGA P WHERE P.PROGRAM_CARGA_ID BETWEEN 71 AND 76 ORDER BY 1");
}

// After writers ran on 71-76 from initial: each identifier drawn names one
// order, at least min_orders were created, each programme's loaded tonnage
// grew by what its links hold and the rest is what is left, active orders
// have links and deleted ones none, nothing was logged.
inline void ExpectBookingsExact(const TempDatabase& db,
                                const std::vector<std::vector<Value>>& initial, int min_orders,
                                const std::string& on) {
  const Value created =
      db.Scalar("SELECT COUNT(*) FROM DOCTO_TRANSPORTE WHERE DOCTO_TRANSPORTE_ID >= 126");
  EXPECT_EQ(created, db.Scalar("SELECT DOCTO_TRANSPORTE_ID - 125 FROM INFRA_IDS")) << on;
  EXPECT_GE(created.int32(), min_orders) << on;
  const auto now = Programmes71To76(db);
  ASSERT_EQ(initial.size(), now.size()) << on;
  for (size_t i = 0; i < now.size(); ++i) {
    EXPECT_DOUBLE_EQ(initial[i][2].dbl() + now[i][4].dbl(), now[i][2].dbl())
        << on << " " << Cat(now[i][0]);
    EXPECT_DOUBLE_EQ(now[i][1].dbl() - now[i][2].dbl(), now[i][3].dbl())
        << on << " " << Cat(now[i][0]);
  }
  EXPECT_EQ(Value::Int32(0),
            db.Scalar("SELECT COUNT(*) FROM DOCTO_TRANSPORTE D WHERE DOCTO_TRANSPORTE_ID >= 126 "
                      "AND (TAB_STATUS_ID = 1) = NOT EXISTS (SELECT 1 FROM HIST_PROGR_ESCOAM H "
                      "WHERE H.DOCTO_TRANSPORTE_ID = D.DOCTO_TRANSPORTE_ID)"))
      << on;
  EXPECT_EQ(0, db.Count("LOG_MSG")) << on;
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
