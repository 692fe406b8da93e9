// What only a server shows, on PostgreSQL through its ODBC driver with the
// tables of the PostgreSQL schema script: the driver's own error text in the
// failure routine, the call context in the session's settings, and a server
// that stops while a call runs. (The operation suites run on PostgreSQL too.)
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "component/ocg.h"
#include "infra/driver.h"
#include "infra/failure.h"
#include "infra/record_set.h"
#include "infra/session.h"
#include "infra/sql_format.h"
#include "odbc/postgres_server.h"
#include "test_support.h"

namespace ocg {
namespace {

using testing::PostgresServer;

constexpr const char* kNumberingUserText =
    "Acesso aos dados da numeração automática não disponível. Favor tentar mais tarde.";

class PostgresOperationsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    bool missing = false;
    server_ = PostgresServer::Shared(&why, &missing);
    if (missing) GTEST_SKIP() << why;
    ASSERT_NE(nullptr, server_) << why;
    const std::string loaded = testing::LoadPostgresSchema(*server_);
    ASSERT_EQ("", loaded);
    Exec("DELETE FROM LOG_MSG; DELETE FROM CONTR_NUM_DOCTOS");
  }
  void TearDown() override { CloseThreadConnections(); }

  Value conn() const { return Value::Text(server_->connection()); }
  void Exec(const std::string& sql) {
    Status st = Execute(sql, conn());
    ASSERT_TRUE(st.ok()) << sql << ": " << st.ToString();
  }
  std::vector<std::vector<Value>> Rows(const std::string& sql) {
    RowSet rows;
    Status st = RunStatement(server_->connection(), sql, &rows);
    EXPECT_TRUE(st.ok()) << sql << ": " << st.ToString();
    return rows.rows;
  }

  struct Numbering {
    bool result;
    Value msg, flag, atual, next;
  };
  // The numbering lookup on the server.
  Numbering Number(int32_t point, const Value& user = Value::Int32(5)) {
    Numbering n{false, Value(), Value(), Value(), Value()};
    Value p = Value::Int32(point), type = Value::Int32(9), c = conn(), u = user,
          kind = Value::Text("SQLSERVER");
    n.result =
        Ocg().gBusca_Numeracao_Automatica(n.msg, p, type, c, u, kind, n.flag, n.atual, n.next);
    return n;
  }

  PostgresServer* server_ = nullptr;
};

TEST_F(PostgresOperationsTest, TheDriversErrorReachesTheFailureRoutine) {
  Exec("ALTER TABLE CONTR_NUM_DOCTOS RENAME TO CONTR_NUM_DOCTOS_FORA");
  Numbering n = Number(7001, Value::Int32(1));
  Exec("ALTER TABLE CONTR_NUM_DOCTOS_FORA RENAME TO CONTR_NUM_DOCTOS");
  EXPECT_FALSE(n.result);
  const std::string msg = n.msg.TextOrEmpty();
  EXPECT_EQ(0u, msg.find(kNumberingUserText)) << msg;
  EXPECT_NE(std::string::npos, msg.find("relation \"contr_num_doctos\" does not exist")) << msg;
  EXPECT_NE(std::string::npos, msg.find("[42P01] : 1)")) << msg;
  EXPECT_NE(std::string::npos, msg.find("Strsq:  SELECT CONTR_NUM_DOCTOS_ID")) << msg;
  auto logged = Rows("SELECT MSG01 FROM LOG_MSG");
  ASSERT_EQ(1u, logged.size());
  EXPECT_NE(std::string::npos, logged[0][0].TextOrEmpty().find("42P01"));
}

// The call context reaches the session's settings just before a procedure
// call (and only then), where the server's own procedures read it with
// current_setting('ocg.order', true); a quote in the order stays in the value.
TEST_F(PostgresOperationsTest, CallContextReachesTheSessionBeforeAProcedureCall) {
  std::unique_ptr<Driver> db;
  ASSERT_TRUE(OpenDriver(server_->connection(), &db).ok());
  const struct {
    const char* name;
    CallContext context;
    const char* statement;
    const char* want;
  } cases[] = {
      {"a plain statement carries none", {"gAltera_Col_Geral", "126"}, "SELECT 1", "|"},
      {"a procedure call carries it",
       {"gAltera_Col_Geral", "126"},
       " exec SP_ZOR_CON_ULT_TON_PROG 11",
       "gAltera_Col_Geral|126"},
      {"a quote stays in the value",
       {"gBusca_Ton_Prog", "1'2"},
       "EXEC SP_ZOR_CON_FLAG_PROGR 11",
       "gBusca_Ton_Prog|1'2"},
      {"cleared", {}, "EXEC SP_ZOR_CON_FLAG_PROGR 11", "|"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(db->SetContext(c.context).ok()) << c.name;
    RowSet rows;
    db->Run(c.statement, &rows, nullptr).IgnoreError();
    ASSERT_TRUE(db->Run("SELECT current_setting('ocg.operation', true), "
                        "current_setting('ocg.order', true)",
                        &rows, nullptr)
                    .ok());
    EXPECT_EQ(c.want, Cat(rows.rows.at(0).at(0)) + "|" + Cat(rows.rows.at(0).at(1))) << c.name;
  }
}

TEST_F(PostgresOperationsTest, ServerStoppedDuringACall) {
  Exec(
      "INSERT INTO CONTR_NUM_DOCTOS (CONTR_NUM_DOCTOS_ID, TAB_STATUS_ID, PONTO_OPERACAO_ID, "
      "TAB_TIPO_DOCTO_TRANSP_ID, NUM_INICIAL, NUM_FINAL, NUM_ATUAL) VALUES "
      "(1, 1, 7001, 9, 100, 199, 150)");
  // Another connection holds the table, so the call waits inside its first
  // statement until the server goes.
  std::unique_ptr<Driver> holder, watcher;
  ASSERT_TRUE(OpenDriver(server_->connection(), &holder).ok());
  ASSERT_TRUE(OpenDriver(server_->connection(), &watcher).ok());
  ASSERT_TRUE(holder->Begin(false).ok());
  ASSERT_TRUE(
      holder->Run("LOCK TABLE CONTR_NUM_DOCTOS IN ACCESS EXCLUSIVE MODE", nullptr, nullptr).ok());
  Numbering during{};
  std::thread call([&] { during = Number(7001); });
  bool waiting = false;
  for (int i = 0; i < 200 && !waiting; ++i) {
    RowSet rows;
    ASSERT_TRUE(watcher
                    ->Run("SELECT COUNT(*) FROM pg_stat_activity WHERE wait_event_type = 'Lock'",
                          &rows, nullptr)
                    .ok());
    waiting = rows.rows[0][0] == Value::Int32(1);
    if (!waiting) std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  EXPECT_TRUE(waiting) << "the call never reached the server";
  ASSERT_EQ("", server_->Stop());
  call.join();
  holder.reset();
  watcher.reset();
  EXPECT_FALSE(during.result);
  EXPECT_EQ(Value::Text(kNumberingUserText), during.msg);

  ASSERT_EQ("", server_->Start());
  Numbering after = Number(7001);
  EXPECT_TRUE(after.result) << after.msg.TextOrEmpty();
  EXPECT_EQ(Value::Int32(151), after.next);
}

}  // namespace
}  // namespace ocg
