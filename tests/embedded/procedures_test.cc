#include "embedded/procedures.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <cctype>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "embedded/database.h"
#include "embedded/embedded_sql.h"
#include "embedded/sql_functions.h"
#include "embedded/sqlite_driver.h"
#include "value/text.h"

namespace ocg {
namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Every script must compile against the schema and use only the parameters
// its header declares; otherwise a call fails at run time with 137.
TEST(ProceduresTest, ScriptsMatchTheSchemaAndTheirHeaders) {
  sqlite3* raw = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open(":memory:", &raw));
  std::unique_ptr<sqlite3, decltype(&sqlite3_close_v2)> db(raw, &sqlite3_close_v2);
  ASSERT_TRUE(RegisterSqlFunctions(raw).ok());
  for (const auto& [file, text] : EmbeddedSqlFiles()) {
    if (file == "schema.sql") {
      ASSERT_EQ(SQLITE_OK, sqlite3_exec(raw, std::string(text).c_str(), nullptr, nullptr, nullptr))
          << sqlite3_errmsg(raw);
    }
  }
  ASSERT_FALSE(AllProcedures().empty());
  for (const ProcedureScript& p : AllProcedures()) {
    EXPECT_EQ(0u, p.name.rfind("SP_", 0)) << p.name;
    EXPECT_EQ(&p, FindProcedure(Lower(p.name))) << p.name;
    std::set<std::string> declared;
    for (const std::string& param : p.params) declared.insert(Lower(param));
    const char* sql = p.sql.c_str();
    while (*sql != '\0') {
      sqlite3_stmt* stmt = nullptr;
      const char* tail = nullptr;
      ASSERT_EQ(SQLITE_OK, sqlite3_prepare_v2(raw, sql, -1, &stmt, &tail))
          << p.name << ": " << sqlite3_errmsg(raw);
      for (int k = 1; stmt != nullptr && k <= sqlite3_bind_parameter_count(stmt); ++k) {
        const char* name = sqlite3_bind_parameter_name(stmt, k);
        ASSERT_NE(nullptr, name) << p.name << " uses a nameless parameter";
        EXPECT_EQ(1u, declared.count(Lower(name + 1))) << p.name << " does not declare " << name;
      }
      sqlite3_finalize(stmt);
      sql = tail;
    }
  }
}

TEST(ProceduresTest, CallThroughTheDriver) {
  char pattern[] = "/tmp/ocg-procedures-XXXXXX";
  const std::string dir = mkdtemp(pattern);
  const std::string path = dir + "/test.db";
  ASSERT_TRUE(CreateDatabase(path, false).ok());
  std::unique_ptr<Driver> db;
  ASSERT_TRUE(OpenSqliteDriver(path, &db).ok());
  RowSet rows;
  std::string engine;
  ASSERT_TRUE(db->Run("INSERT INTO DOCTO_TRANSPORTE (DOCTO_TRANSPORTE_ID, NUM_DOCTO_TRANSPORTE,"
                      " TAB_TIPO_DOCTO_TRANSP_ID, PONTO_OPERACAO_ID, TAB_STATUS_ID)"
                      " VALUES (1, 5, 9, 1, 1); CREATE TABLE MARK (A)",
                      &rows, &engine)
                  .ok());

  struct Case {
    const char* name;
    const char* call;
    int64_t number;  // 0: succeeds
    int count;
  };
  const Case cases[] = {
      {"range holds the number", "EXEC SP_PMV_VER_EXIST_DOCTO_IMP 1, 10, 9, 1", 0, 1},
      {"range above it", "exec sp_pmv_ver_exist_docto_imp 6, 10, 9, 1", 0, 0},
      {"other point", "EXEC SP_PMV_VER_EXIST_DOCTO_IMP 1, 10, 9, 2", 0, 0},
      {"argument missing", "EXEC SP_PMV_VER_EXIST_DOCTO_IMP 1, 10, 9", 201, 0},
      {"argument too many", "EXEC SP_PMV_VER_EXIST_DOCTO_IMP 1, 10, 9, 1, 1", 8144, 0},
  };
  for (const Case& c : cases) {
    Status st = db->Run(c.call, &rows, &engine);
    EXPECT_EQ(c.number, st.number()) << c.name << ": " << st.ToString();
    if (!st.ok()) continue;
    ASSERT_EQ(1u, rows.rows.size()) << c.name;
    EXPECT_TRUE(EqualsIgnoreCase("QUANTIDADE", rows.columns[0])) << c.name;
    EXPECT_TRUE(Value::Int32(c.count) == rows.rows[0][0]) << c.name;
    EXPECT_EQ(0u, engine.rfind("SP_PMV_VER_EXIST_DOCTO_IMP [", 0)) << c.name << ": " << engine;
  }

  // A failed call undoes only itself: the operation's transaction goes on.
  ASSERT_TRUE(db->Begin(true).ok());
  ASSERT_TRUE(
      db->Run("INSERT INTO MARK VALUES (1); DROP TABLE DOCTO_TRANSPORTE", &rows, &engine).ok());
  EXPECT_FALSE(db->Run("EXEC SP_PMV_VER_EXIST_DOCTO_IMP 1, 10, 9, 1", &rows, &engine).ok());
  ASSERT_TRUE(db->Commit().ok());
  ASSERT_TRUE(db->Run("SELECT COUNT(*) FROM MARK", &rows, &engine).ok());
  EXPECT_TRUE(Value::Int32(1) == rows.rows[0][0]);
  db.reset();
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace ocg
