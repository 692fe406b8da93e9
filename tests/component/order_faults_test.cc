// The order-writing operations are all-or-nothing: every statement of a
// creation, an alteration and two deletions made to fail in turn (or the
// connection lost at it) leaves every business table as it was, with the
// failure in LOG_MSG; and several processes writing orders on the same
// programmes at once keep each programme's tonnage equal to its links.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "embedded/sqlite_driver.h"
#include "infra/driver.h"
#include "order_calls.h"
#include "test_support.h"

namespace ocg {
namespace {

using testing::Answer;
using testing::BusinessState;
using testing::Call;
using testing::Json;
using testing::NewOrder;
using testing::TempDatabase;

// The test thread's plan: statement number fail_at (counted from the plan's
// start, on every faulty connection) fails; with lose, its connection is lost
// there, and every later use of it fails too, transaction control included.
struct FaultPlan {
  int fail_at = 0;
  bool lose = false;
  int seen = 0;
  bool fired = false;
};
FaultPlan plan;

class FaultyDriver final : public Driver {
 public:
  explicit FaultyDriver(std::unique_ptr<Driver> inner) : inner_(std::move(inner)) {}
  Status Run(std::string_view sql, RowSet* out, std::string* engine_sql) override {
    if (lost_) return Lost();
    if (++plan.seen == plan.fail_at) {
      plan.fired = true;
      lost_ = plan.lose;
      return lost_ ? Lost() : Status::Error("injected failure", 1);
    }
    return inner_->Run(sql, out, engine_sql);
  }
  Status Begin(bool for_write) override { return lost_ ? Lost() : inner_->Begin(for_write); }
  Status Commit() override { return lost_ ? Lost() : inner_->Commit(); }
  Status Rollback() override { return lost_ ? Lost() : inner_->Rollback(); }
  bool Reusable() const override { return !lost_ && inner_->Reusable(); }

 private:
  static Status Lost() { return Status::Error("connection lost", 10054); }
  std::unique_ptr<Driver> inner_;  // closing it rolls back what a lost link left open
  bool lost_ = false;
};

// "Fault Source=PATH": the embedded database at PATH behind a FaultyDriver.
const bool registered = RegisterDriverEngine(
    {"fault injection", "Fault Source",
     [](const ConnectionKeys& keys) { return keys.count("faultsource") > 0; },
     [](std::string_view, const ConnectionKeys& keys, std::unique_ptr<Driver>* out) {
       std::unique_ptr<Driver> inner;
       Status st = OpenSqliteDriver(keys.at("faultsource"), &inner);
       if (st.ok()) *out = std::make_unique<FaultyDriver>(std::move(inner));
       return st;
     }});

struct Operation {
  const char* name;
  const char* op;
  Json args;
  int user = 5;
};

TEST(OrderFaultsTest, EveryStatementFailingLeavesNothingWritten) {
  ASSERT_TRUE(registered);
  // Order 126 exists before each operation: created first, as NewOrder says.
  Json split = NewOrder(), row_only = NewOrder();
  split.update(Json{{"invntDocto_Transp_id", 126}, {"inarrvntBaixas", {"5", "20", "5", "0"}}});
  row_only.update(Json{{"invntDocto_Transp_id", 1}, {"invntQtde_Programacao", 0}});
  const Operation operations[] = {
      {"create", "gInclui_Col_Geral", NewOrder()},
      {"alter order 126 to another split", "gAltera_Col_Geral", split},
      {"alter order 1, its row and sales order", "gAltera_Col_Geral", row_only},
      {"delete order 1 (displacement)",
       "gExclui_Col_Geral",
       {{"invntDocto_Transp_id", 1}, {"inVntNum_CVA", ""}}},
      {"delete order 9 (CVA job)",
       "gExclui_Col_Geral",
       {{"invntDocto_Transp_id", 9}, {"inVntNum_CVA", 778899}},
       4},
  };
  int injected = 0;
  std::map<std::string, std::set<std::string>> after;  // by operation, under either kind
  for (const std::string kind : {"ORACLE", "SQLSERVER"}) {
    TempDatabase db;
    ASSERT_TRUE(Call("gInclui_Col_Geral", NewOrder(), db.connection(), kind).ok());
    CloseThreadConnections();
    const std::string pristine = db.dir() + "/pristine.db";
    std::filesystem::copy_file(db.path(), pristine);
    auto restore = [&] {
      CloseThreadConnections();
      std::filesystem::copy_file(pristine, db.path(),
                                 std::filesystem::copy_options::overwrite_existing);
    };
    const std::string before = BusinessState(db.connection());
    for (const Operation& o : operations) {
      for (bool lose : {false, true}) {
        for (int k = 1;; ++k) {
          const std::string name = std::string(o.name) + " / " + kind + " / statement " +
                                   std::to_string(k) + (lose ? " lost" : " failed");
          const long logs = db.Count("LOG_MSG");
          plan = {k, lose};
          Answer a = Call(o.op, o.args, "Fault Source=" + db.path(), kind, o.user);
          const bool fired = plan.fired;
          plan = {};
          if (!fired) {  // the operation ran to its end before statement k
            EXPECT_TRUE(a.ok()) << name;
            if (!lose) after[o.name].insert(BusinessState(db.connection()));
            restore();
            break;
          }
          ++injected;
          if (a.ok()) {  // a failure the steps ignore (the system log's)
            restore();
            continue;
          }
          EXPECT_EQ(before, BusinessState(db.connection())) << name;
          if (a.args.contains("outvntDocto_Transp_id")) {
            EXPECT_EQ(R"({"empty":true})", a.text("outvntDocto_Transp_id")) << name;
          }
          // One row from the trap that caught it; the job module adds its own
          // report of a failed registration (alone when the failing step was
          // the system log's, which has no trap).
          const long rows = db.Count("LOG_MSG") - logs;
          const long job_reports = db.Count("LOG_MSG WHERE MSG01 LIKE 'LUM_JOB.gInclui_JOB - %'");
          EXPECT_TRUE(rows == 1 || (rows == 2 && job_reports == 1)) << name << ": " << rows;
          restore();
        }
      }
    }
  }
  EXPECT_GT(injected, 300);
  // Each operation left the same business state under both kinds.
  for (const auto& [operation, states] : after) EXPECT_EQ(1u, states.size()) << operation;
}

// An order of customer 102 for destination 203 (address 2031) at point 3,
// whose limit is 0, spread over the programmes listed now for it (order 0: a
// new one): 1 or 2,5 t from some, nothing from the others.
Json SpreadOrder(const std::string& connection, const std::string& kind, int order,
                 std::mt19937& rng) {
  Answer listed = Call("gBusca_Ton_Prog",
                       {{"invntCliente_id", 102},
                        {"invntDestinatario_id", 203},
                        {"invntponto_operacao_id", 3},
                        {"InVntDocto_Transporte_ID", order}},
                       connection, kind);
  const int count =
      listed.args["outVntTam_Arr"].is_number() ? listed.args["outVntTam_Arr"].get<int>() : 0;
  Json takes = Json::array();
  double weight = 0;
  for (int i = 0; i < count; ++i) {
    const int pick = static_cast<int>(rng() % 3);
    takes.push_back(pick == 0 ? "0" : pick == 1 ? "1" : "2,5");
    weight += pick == 0 ? 0 : pick == 1 ? 1 : 2.5;
  }
  Json o = NewOrder();
  o.update(Json{{"invntCliente_id", 102},
                {"invntDestinatario_id", 203},
                {"invntEnd_Destinatario_id", 2031},
                {"invntponto_operacao_id", 3},
                {"invntQtde_Programacao", count},
                {"inarrvntBaixas", takes},
                {"inarrvntProg_Carga_ID", listed.args["outarrvntProgram_Carga_id"]},
                {"invntPeso_Previsto", FormatNumber(weight)}});
  if (order != 0) o["invntDocto_Transp_id"] = order;
  return o;
}

// One writer: fifteen calls that create, delete or (Oracle path) alter its own
// orders; the identifiers it created go to out. A refusal (the offer changed
// since it was listed) is fine; a trapped error, a busy database among them,
// is not.
int Writer(const std::string& connection, const std::string& kind, int seed, std::ostream& out) {
  std::mt19937 rng(seed);
  std::vector<int> mine;
  for (int i = 0; i < 15; ++i) {
    const int action = mine.empty() ? 0 : static_cast<int>(rng() % (kind == "ORACLE" ? 3 : 2));
    const size_t at = mine.empty() ? 0 : rng() % mine.size();
    Answer a;
    if (action == 1) {
      a = Call("gExclui_Col_Geral", {{"invntDocto_Transp_id", mine[at]}, {"inVntNum_CVA", ""}},
               connection, kind);
      if (a.ok()) mine.erase(mine.begin() + static_cast<long>(at));
    } else {
      const int order = action == 2 ? mine[at] : 0;
      a = Call(order ? "gAltera_Col_Geral" : "gInclui_Col_Geral",
               SpreadOrder(connection, kind, order, rng), connection, kind);
      if (!order && a.ok()) {
        mine.push_back(a.args["outvntDocto_Transp_id"].get<int>());
        out << mine.back() << "\n";
      }
    }
    if (!a.ok() && a.text("outvntMsg_Ret").find("não disponível") != std::string::npos) {
      std::cerr << kind << ": " << a.text("outvntMsg_Ret") << "\n";
      return 1;
    }
  }
  return 0;
}

// Four processes, two on each path, write orders on programmes 71-76 at once.
TEST(OrderConcurrencyTest, TonnageAlwaysEqualsTheLinks) {
  TempDatabase db;
  SetClockForTesting(*ParseDateTime("2026/12/06 10:00"));
  // 76 has no status, which the status rule refuses to touch.
  db.Exec("UPDATE PROGRAM_CARGA SET TAB_STATUS_ID = 501 WHERE PROGRAM_CARGA_ID = 76");
  const std::string programmes =
      "SELECT P.PROGRAM_CARGA_ID, NVL(P.TON_PROGRAMADA, 0), NVL(P.TON_CARREGADA, 0), "
      "NVL(P.TON_P_ESCOAR, 0), (SELECT NVL(SUM(H.ULTIMA_TON_PROGR), 0) FROM HIST_PROGR_ESCOAM H "
      "WHERE H.PROGRAM_CARGA_ID = P.PROGRAM_CARGA_ID AND H.DOCTO_TRANSPORTE_ID >= 126) "
      "FROM PROGRAM_CARGA P WHERE P.PROGRAM_CARGA_ID BETWEEN 71 AND 76 ORDER BY 1";
  const auto initial = db.Rows(programmes);

  const auto start = std::chrono::steady_clock::now();
  const bool writers_ok = testing::InChildProcesses(4, [&](int p) {
    std::ofstream out(db.dir() + "/created" + std::to_string(p));
    return Writer(db.connection(), p % 2 ? "SQLSERVER" : "ORACLE", p, out);
  });
  SetClockForTesting(std::nullopt);
  EXPECT_TRUE(writers_ok) << "a writer met a trapped error";
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));

  std::vector<int> created;
  for (int p = 0; p < 4; ++p) {
    std::ifstream in(db.dir() + "/created" + std::to_string(p));
    for (int id; in >> id;) created.push_back(id);
  }
  EXPECT_GE(created.size(), 8u);
  EXPECT_EQ(created.size(), std::set<int>(created.begin(), created.end()).size());
  EXPECT_EQ(Value::Int32(static_cast<int32_t>(created.size())),
            db.Scalar("SELECT COUNT(*) FROM DOCTO_TRANSPORTE WHERE DOCTO_TRANSPORTE_ID >= 126"));
  const auto now = db.Rows(programmes);
  for (size_t i = 0; i < now.size(); ++i) {
    const double programmed = now[i][1].dbl(), loaded = now[i][2].dbl(), rest = now[i][3].dbl(),
                 links = now[i][4].dbl();
    EXPECT_DOUBLE_EQ(initial[i][2].dbl() + links, loaded) << Cat(now[i][0]);
    EXPECT_DOUBLE_EQ(programmed - loaded, rest) << Cat(now[i][0]);
  }
  // Active orders have their links; deleted ones have none.
  EXPECT_EQ(Value::Int32(0),
            db.Scalar("SELECT COUNT(*) FROM DOCTO_TRANSPORTE D WHERE DOCTO_TRANSPORTE_ID >= 126 "
                      "AND (TAB_STATUS_ID = 1) = NOT EXISTS (SELECT 1 FROM HIST_PROGR_ESCOAM H "
                      "WHERE H.DOCTO_TRANSPORTE_ID = D.DOCTO_TRANSPORTE_ID)"));
  EXPECT_EQ(0, db.Count("LOG_MSG"));
}

}  // namespace
}  // namespace ocg
