// Two `ocg serve` replicas over one PostgreSQL database, as a company that
// outgrows one file deploys them: clients on both create, alter and delete
// orders on the same programmes at once.
#include <gtest/gtest.h>

#include <atomic>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "component/order_calls.h"
#include "server/server_process.h"
#include "test_support.h"

namespace ocg {
namespace {

using testing::Answer;
using testing::Json;
using testing::ServerProcess;

// Six clients, three on each replica (one serving ORACLE, one SQLSERVER),
// twenty calls each through HTTP: no lost tonnage, no identifier handed out
// twice, no call that failed.
TEST(ReplicasTest, TwoServersOverOneDatabaseKeepBookingsExact) {
  if (testing::TestEngines().size() == 1) GTEST_SKIP() << "PostgreSQL is not installed";
  testing::TempDatabase db(testing::Engine::kPostgres);
  db.Exec("UPDATE PROGRAM_CARGA SET TAB_STATUS_ID = 501 WHERE PROGRAM_CARGA_ID = 76");
  const auto initial = testing::Programmes71To76(db);
  ServerProcess oracle(db.dir(), {"--db", "main=" + db.connection(), "--user", "5", "--kind",
                                  "ORACLE", "--workers", "3"});
  ServerProcess sqlserver(db.dir(), {"--db", "main=" + db.connection(), "--user", "5", "--kind",
                                     "SQLSERVER", "--workers", "3"});
  ASSERT_TRUE(oracle.ready() && sqlserver.ready()) << oracle.Output() << sqlserver.Output();

  std::atomic<int> failures = 0;
  std::vector<std::thread> clients;
  for (int c = 0; c < 6; ++c) {
    clients.emplace_back([&, c] {
      httplib::Client http = (c % 2 ? sqlserver : oracle).Client();
      auto call = [&http](std::string_view op, const Json& args) -> std::optional<Answer> {
        auto r = http.Post("/ocg/" + std::string(op), args.dump(), "application/json");
        const Json answer = r && r->status == 200 ? Json::parse(r->body, nullptr, false) : Json();
        Answer a{Value(), answer.is_object() ? answer["arguments"] : Json()};
        if (!answer.is_object() || !ValueFromJson(answer["result"], &a.result).ok()) {
          return std::nullopt;
        }
        return a;
      };
      failures += testing::WriteOrders(call, 1000 + c, 20);
    });
  }
  for (std::thread& t : clients) t.join();
  EXPECT_EQ(0, failures.load());
  testing::ExpectBookingsExact(db, initial, 10, "replicas");
}

}  // namespace
}  // namespace ocg
