#include "infra/infra_ids.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <thread>

#include "test_support.h"

namespace ocg {
namespace {

using testing::TempDatabase;

bool Allocate(const std::string& connection, const std::string& column, std::string& msg,
              int32_t& id) {
  return gAtualiza_infra_ids("ORACLE", 5, 1, "NORTEX", "N", Value(), connection, column, msg, id);
}

class InfraIdsTest : public testing::EngineTest {
 protected:
  TempDatabase db_{engine(), /*demo=*/false};
};
OCG_ON_EVERY_ENGINE(InfraIdsTest);

// The next value, kept; refusals leave the identifier alone.
TEST_P(InfraIdsTest, HandsOutTheNextValueAndKeepsIt) {
  struct Case {
    const char* name;
    const char* setup;
    const char* column;
    int32_t want;  // -7: refused
    const char* msg = "";
    long logged = 0;
  };
  const Case cases[] = {
      {"the next value", "UPDATE INFRA_IDS SET DOCTO_TRANSPORTE_ID = 41", "DOCTO_TRANSPORTE_ID",
       42},
      {"a missing column is a trapped error", "", "NO_SUCH_COLUMN", -7,
       "Acesso aos SQL não disponível. Favor tentar mais tarde.", 1},
      {"no counter row", "DELETE FROM INFRA_IDS", "DOCTO_TRANSPORTE_ID", -7,
       "Não há registro no banco de dados na tabela Infra_ids. "},
  };
  for (const Case& c : cases) {
    if (*c.setup) db_.Exec(c.setup);
    db_.Exec("DELETE FROM LOG_MSG");
    std::string msg;
    int32_t id = -7;
    EXPECT_EQ(c.want != -7, Allocate(db_.connection(), c.column, msg, id)) << c.name;
    EXPECT_EQ(c.want, id) << c.name;
    EXPECT_EQ(c.msg, msg) << c.name;
    EXPECT_EQ(c.logged, db_.Count("LOG_MSG")) << c.name;
  }
}

// An allocation nested in an operation that began as a reader must take the
// write lock before it reads the counter, or it reads the reader's stale
// snapshot and cannot write (another allocation committed meanwhile).
TEST_P(InfraIdsTest, AnAllocationInsideAReadOperationSeesEveryEarlierOne) {
  db_.Exec("UPDATE INFRA_IDS SET DOCTO_TRANSPORTE_ID = 500");
  OperationScope reader(/*for_write=*/false);
  EXPECT_EQ(Value::Int32(500), db_.Scalar("SELECT DOCTO_TRANSPORTE_ID FROM INFRA_IDS"));
  std::thread other([this] {  // its own thread, so its own connection
    std::string msg;
    int32_t id = 0;
    EXPECT_TRUE(Allocate(db_.connection(), "DOCTO_TRANSPORTE_ID", msg, id)) << msg;
    EXPECT_EQ(501, id);
  });
  other.join();
  std::string msg;
  int32_t id = 0;
  EXPECT_TRUE(Allocate(db_.connection(), "DOCTO_TRANSPORTE_ID", msg, id)) << msg;
  EXPECT_EQ(502, id);
  EXPECT_EQ(0, db_.Count("LOG_MSG"));
}

// Two processes drawing from one counter at once (1,000 each on the
// embedded engine, 300 on PostgreSQL) are never handed the same value.
TEST_P(InfraIdsTest, TwoProcessesNeverReceiveTheSameIdentifier) {
  const int per_process = engine() == testing::Engine::kEmbedded ? 1000 : 300;
  EXPECT_TRUE(testing::InChildProcesses(2, [&](int p) {
    std::ofstream out(db_.dir() + "/ids" + std::to_string(p));
    for (int i = 0; i < per_process; ++i) {
      std::string msg;
      int32_t id = 0;
      if (!Allocate(db_.connection(), "HIST_PROGR_ESCOAM_ID", msg, id)) return 1;
      out << id << "\n";
    }
    return 0;
  })) << "a child failed an allocation";
  std::set<int32_t> ids;
  for (int p = 0; p < 2; ++p) {
    std::ifstream in(db_.dir() + "/ids" + std::to_string(p));
    for (int32_t id; in >> id;) ids.insert(id);
  }
  EXPECT_EQ(2u * per_process, ids.size()) << "duplicate or missing identifiers";
  EXPECT_EQ(Value::Int32(2 * per_process),
            db_.Scalar("SELECT HIST_PROGR_ESCOAM_ID FROM INFRA_IDS"));
}

TEST_P(InfraIdsTest, SystemLogWritesTheActionWithItsOwnKeyAndNullForZero) {
  db_.Exec("UPDATE INFRA_IDS SET LOG_SISTEMA_ID = 9");
  int32_t table = 490, action = 1, user = 5, record = 0, code = 0;
  std::string msg;
  ASSERT_TRUE(
      gGrava_Log_Sistema("ORACLE", table, action, user, record, code, msg, db_.connection()));
  EXPECT_EQ("10 490 1 5 null 1|",
            testing::Text(db_,
                          "SELECT LOG_SISTEMA_ID, TABELA_SISTEMA_ID, TAB_TIPO_ACAO_ID, USUARIO_ID, "
                          "COALESCE(CAST(REGISTRO_ID AS VARCHAR(9)), 'null'), "
                          "CASE WHEN DATA_LOG IS NULL THEN 0 ELSE 1 END FROM LOG_SISTEMA"));
  EXPECT_EQ(Value::Int32(10), db_.Scalar("SELECT LOG_SISTEMA_ID FROM INFRA_IDS"));
  db_.Exec("DELETE FROM INFRA_IDS");
  EXPECT_FALSE(
      gGrava_Log_Sistema("ORACLE", table, action, user, record, code, msg, db_.connection()));
  EXPECT_EQ(10, code);
  EXPECT_EQ("Não hã registro na tabela Infra_ids.", msg);
}

}  // namespace
}  // namespace ocg
