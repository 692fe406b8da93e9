#include "infra/infra_ids.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "test_support.h"

namespace ocg {
namespace {

using testing::TempDatabase;

bool Allocate(const TempDatabase& db, const std::string& column, std::string& msg, int32_t& id) {
  return gAtualiza_infra_ids("ORACLE", 5, 1, "NORTEX", "N", Value(), db.connection(), column, msg,
                             id);
}

TEST(InfraIdsTest, HandsOutTheNextValueAndKeepsIt) {
  TempDatabase db;
  db.Exec("UPDATE INFRA_IDS SET DOCTO_TRANSPORTE_ID = 41");
  std::string msg;
  int32_t id = 0;
  ASSERT_TRUE(Allocate(db, "DOCTO_TRANSPORTE_ID", msg, id));
  EXPECT_EQ(42, id);
  EXPECT_EQ("42", db.Scalar("SELECT DOCTO_TRANSPORTE_ID FROM INFRA_IDS").TextOrEmpty());
  EXPECT_EQ("", msg);
  EXPECT_EQ(0, db.Count("LOG_MSG"));
}

TEST(InfraIdsTest, Refusals) {
  struct Case {
    const char* name;
    const char* setup;
    const char* column;
    const char* want_msg;
    long want_log_rows;
  };
  const Case cases[] = {
      {"missing column is a trapped error", "", "NO_SUCH_COLUMN",
       "Acesso aos SQL não disponível. Favor tentar mais tarde.", 1},
      {"empty counter table", "DELETE FROM INFRA_IDS", "DOCTO_TRANSPORTE_ID",
       "Não há registro no banco de dados na tabela Infra_ids. ", 0},
  };
  for (const Case& c : cases) {
    TempDatabase db;
    if (*c.setup) db.Exec(c.setup);
    std::string msg;
    int32_t id = -7;
    EXPECT_FALSE(Allocate(db, c.column, msg, id)) << c.name;
    EXPECT_EQ(c.want_msg, msg) << c.name;
    EXPECT_EQ(-7, id) << c.name;
    EXPECT_EQ(c.want_log_rows, db.Count("LOG_MSG")) << c.name;
  }
}

// An allocation nested in an operation that began as a reader must take the
// write lock before it reads the counter, or it reads the reader's stale
// snapshot and cannot write (another allocation committed meanwhile).
TEST(InfraIdsTest, AnAllocationInsideAReadOperationSeesEveryEarlierOne) {
  TempDatabase db;
  db.Exec("UPDATE INFRA_IDS SET DOCTO_TRANSPORTE_ID = 500");
  OperationScope reader(/*for_write=*/false);
  EXPECT_EQ(Value::Int32(500), db.Scalar("SELECT DOCTO_TRANSPORTE_ID FROM INFRA_IDS"));
  std::thread other([&db] {  // its own thread, so its own connection
    std::string msg;
    int32_t id = 0;
    EXPECT_TRUE(Allocate(db, "DOCTO_TRANSPORTE_ID", msg, id)) << msg;
    EXPECT_EQ(501, id);
  });
  other.join();
  std::string msg;
  int32_t id = 0;
  EXPECT_TRUE(Allocate(db, "DOCTO_TRANSPORTE_ID", msg, id)) << msg;
  EXPECT_EQ(502, id);
  EXPECT_EQ(0, db.Count("LOG_MSG"));
}

TEST(InfraIdsTest, TwoProcessesNeverReceiveTheSameIdentifier) {
  TempDatabase db;
  constexpr int kPerProcess = 1000;
  std::vector<int32_t> drawn =
      testing::DrawInTwoProcesses(db.connection(), db.dir(), "HIST_PROGR_ESCOAM_ID", kPerProcess);
  std::set<int32_t> ids(drawn.begin(), drawn.end());
  EXPECT_EQ(2u * kPerProcess, drawn.size());
  EXPECT_EQ(drawn.size(), ids.size()) << "duplicate identifiers handed out";
  const int32_t last = *ids.rbegin();
  EXPECT_EQ(std::to_string(last),
            db.Scalar("SELECT HIST_PROGR_ESCOAM_ID FROM INFRA_IDS").TextOrEmpty());
}

TEST(SystemLogTest, WritesTheActionWithItsOwnKeyAndNullForZero) {
  TempDatabase db;
  db.Exec("UPDATE INFRA_IDS SET LOG_SISTEMA_ID = 9");
  int32_t table = 490, action = 1, user = 5, record = 0, code = 0;
  std::string msg;
  ASSERT_TRUE(
      gGrava_Log_Sistema("ORACLE", table, action, user, record, code, msg, db.connection()));
  auto rows = db.Rows(
      "SELECT LOG_SISTEMA_ID, TABELA_SISTEMA_ID, TAB_TIPO_ACAO_ID, USUARIO_ID, REGISTRO_ID "
      "FROM LOG_SISTEMA WHERE LOG_SISTEMA_ID = 10");
  ASSERT_EQ(1u, rows.size());
  EXPECT_EQ("490", rows[0][1].TextOrEmpty());
  EXPECT_EQ("5", rows[0][3].TextOrEmpty());
  EXPECT_TRUE(rows[0][4].is_null());
  EXPECT_EQ("10", db.Scalar("SELECT LOG_SISTEMA_ID FROM INFRA_IDS").TextOrEmpty());

  db.Exec("DELETE FROM INFRA_IDS");
  EXPECT_FALSE(
      gGrava_Log_Sistema("ORACLE", table, action, user, record, code, msg, db.connection()));
  EXPECT_EQ(10, code);
  EXPECT_EQ("Não hã registro na tabela Infra_ids.", msg);
}

}  // namespace
}  // namespace ocg
