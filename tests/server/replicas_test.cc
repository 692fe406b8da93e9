// Two `ocg serve` replicas over one PostgreSQL database, as a company that
// outgrows one file deploys them: clients on both create, alter and delete
// orders on the same programmes at once.
#include <gtest/gtest.h>

#include <atomic>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "server/server_process.h"
#include "test_support.h"
#include "infra/sql_format.h"
#include "value/value.h"

namespace ocg {
namespace {

using Json = nlohmann::json;
using testing::Engine;
using testing::ServerProcess;
using testing::TempDatabase;

// An order of customer 102 for 203 at point 3 (limit 0) taking takes.
Json Order(int id, const Json& takes, double weight) {
  Json o = {{"InVntTab_Tipo_Docto_Transp_ID", 5},
            {"invntCliente_id", 102},
            {"invntponto_operacao_id", 3},
            {"invntData_Atual", "06/12/2026"},
            {"invntEnd_Destinatario_id", 2031},
            {"invntDestinatario_id", 203},
            {"invntMunicipio_Dest_id", 3},
            {"invntN_Docto_Cliente", "4500"},
            {"invntN_Docto_Transp", ""},
            {"invntData_Prev_Carreg", "10/12/2026"},
            {"invntVeiculo_Forn_id", 2},
            {"invntColaborador_id", 301},
            {"invntFornecedor_id", ""},
            {"invntLocal_Carreg", "Pátio 3"},
            {"invntPeso_Previsto", FormatNumber(weight)},
            {"invntTxt_Embalagem", "bobinas"},
            {"invntObs1", ""},
            {"invntQtde_Programacao", takes.size()},
            {"inarrvntBaixas", takes},
            {"invntFlag_Ademe", "N"},
            {"invntTAB_TIPO_RESPONSAVEL_ID", 1},
            {"invntTAB_TIPO_EMERGENCIA_ID", 0},
            {"invntveiculo_carreta_id", 21}};
  if (id) o["invntDocto_Transp_id"] = id;
  return o;
}

// One client: twenty calls that create, alter or delete its own orders
// through one replica. A refusal (the offer changed since it was listed) is
// fine; a trapped error, or an HTTP failure, is not and is counted.
int Client(const ServerProcess& server, int seed) {
  std::mt19937 rng(seed);
  httplib::Client http = server.Client();
  auto call = [&http](const std::string& op, const Json& args, Json* answer) {
    auto r = http.Post(("/ocg/" + op).c_str(), args.dump(), "application/json");
    if (!r || r->status != 200) return false;
    *answer = Json::parse(r->body, nullptr, false);
    return answer->is_object();
  };
  std::vector<int> mine;
  int failures = 0;
  for (int i = 0; i < 20; ++i) {
    const int action = mine.empty() ? 0 : static_cast<int>(rng() % 3);
    const size_t at = mine.empty() ? 0 : rng() % mine.size();
    const int order = action == 0 ? 0 : mine[at];
    Json args = {{"invntDocto_Transp_id", order}, {"inVntNum_CVA", ""}}, answer;
    if (action != 1) {
      if (!call("gBusca_Ton_Prog",
                {{"invntCliente_id", 102},
                 {"invntDestinatario_id", 203},
                 {"invntponto_operacao_id", 3},
                 {"InVntDocto_Transporte_ID", order}},
                &answer)) {
        ++failures;
        continue;
      }
      Json takes = Json::array();
      double weight = 0;
      const Json& listed = answer["arguments"]["outarrvntProgram_Carga_id"];
      for (size_t j = 0; listed.is_array() && j < listed.size(); ++j) {
        const double take = std::vector<double>{0, 1, 2.5}[rng() % 3];
        takes.push_back(FormatNumber(take));
        weight += take;
      }
      args = Order(order, takes, weight);
    }
    const char* ops[] = {"gInclui_Col_Geral", "gExclui_Col_Geral", "gAltera_Col_Geral"};
    if (!call(ops[action], args, &answer)) {
      ++failures;
      continue;
    }
    const bool ok = answer["result"] == 0;
    if (ok && action == 0) {
      mine.push_back(answer["arguments"]["outvntDocto_Transp_id"].get<int>());
    }
    if (ok && action == 1) mine.erase(mine.begin() + static_cast<long>(at));
    const Json& msg = answer["arguments"]["outvntMsg_Ret"];
    if (!ok && msg.is_string() &&
        msg.get<std::string>().find("não disponível") != std::string::npos) {
      ++failures;
    }
  }
  return failures;
}

// Six clients, three on each replica (one serving ORACLE, one SQLSERVER):
// no lost tonnage, no identifier handed out twice, no call that failed.
TEST(ReplicasTest, TwoServersOverOneDatabaseKeepBookingsExact) {
  if (testing::TestEngines().size() == 1) GTEST_SKIP() << "PostgreSQL is not installed";
  TempDatabase db(Engine::kPostgres);
  db.Exec("UPDATE PROGRAM_CARGA SET TAB_STATUS_ID = 501 WHERE PROGRAM_CARGA_ID = 76");
  const std::string programmes =
      "SELECT P.PROGRAM_CARGA_ID, NVL(P.TON_PROGRAMADA, 0), NVL(P.TON_CARREGADA, 0), "
      "NVL(P.TON_P_ESCOAR, 0), (SELECT NVL(SUM(H.ULTIMA_TON_PROGR), 0) FROM HIST_PROGR_ESCOAM "
      "H WHERE H.PROGRAM_CARGA_ID = P.PROGRAM_CARGA_ID AND H.DOCTO_TRANSPORTE_ID >= 126) "
      "FROM PROGRAM_CARGA P WHERE P.PROGRAM_CARGA_ID BETWEEN 71 AND 76 ORDER BY 1";
  const auto initial = db.Rows(programmes);
  ServerProcess oracle(db.dir(), {"--db", "main=" + db.connection(), "--user", "5", "--kind",
                                  "ORACLE", "--workers", "3"});
  ServerProcess sqlserver(db.dir(), {"--db", "main=" + db.connection(), "--user", "5", "--kind",
                                     "SQLSERVER", "--workers", "3"});
  ASSERT_TRUE(oracle.ready() && sqlserver.ready()) << oracle.Output() << sqlserver.Output();

  std::atomic<int> failures = 0;
  std::vector<std::thread> clients;
  for (int c = 0; c < 6; ++c) {
    clients.emplace_back([&, c] { failures += Client(c % 2 ? sqlserver : oracle, 1000 + c); });
  }
  for (std::thread& t : clients) t.join();
  EXPECT_EQ(0, failures.load());

  const Value created =
      db.Scalar("SELECT COUNT(*) FROM DOCTO_TRANSPORTE WHERE DOCTO_TRANSPORTE_ID >= 126");
  EXPECT_EQ(created, db.Scalar("SELECT DOCTO_TRANSPORTE_ID - 125 FROM INFRA_IDS"));
  EXPECT_GE(created.int32(), 10);
  const auto now = db.Rows(programmes);
  ASSERT_EQ(initial.size(), now.size());
  for (size_t i = 0; i < now.size(); ++i) {
    const double programmed = now[i][1].dbl(), loaded = now[i][2].dbl(), rest = now[i][3].dbl(),
                 links = now[i][4].dbl();
    EXPECT_DOUBLE_EQ(initial[i][2].dbl() + links, loaded) << Cat(now[i][0]);
    EXPECT_DOUBLE_EQ(programmed - loaded, rest) << Cat(now[i][0]);
  }
  EXPECT_EQ(Value::Int32(0),
            db.Scalar("SELECT COUNT(*) FROM DOCTO_TRANSPORTE D WHERE DOCTO_TRANSPORTE_ID >= 126 "
                      "AND (TAB_STATUS_ID = 1) = NOT EXISTS (SELECT 1 FROM HIST_PROGR_ESCOAM H "
                      "WHERE H.DOCTO_TRANSPORTE_ID = D.DOCTO_TRANSPORTE_ID)"));
  EXPECT_EQ(0, db.Count("LOG_MSG"));
}

}  // namespace
}  // namespace ocg
