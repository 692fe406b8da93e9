// The PostgreSQL upgrade steps on the databases made before them: the one an
// ocg init-db made before versions were recorded, one a DBA made by hand from
// the first schema, and one at an earlier recorded version. Each becomes a new
// database's schema with its rows kept; a newer one is refused, and one whose
// last step fails is left, as it was.
#include "odbc/postgres_upgrade.h"

#include <gtest/gtest.h>

#include <string>

#include "infra/sql_format.h"
#include "test_support.h"

namespace ocg {
namespace {

using testing::Engine;
using testing::TempDatabase;

// The database's tables and columns (in order, whatever columns were dropped
// before), indexes and views, one line each.
std::string Schema(const TempDatabase& db) {
  std::string out;
  for (const char* query :
       {"SELECT table_name || ' ' || ROW_NUMBER() OVER (PARTITION BY table_name ORDER BY "
        "ordinal_position) || ' ' || column_name || ' ' || data_type || ' ' || "
        "COALESCE(character_maximum_length, numeric_precision, 0) || ' ' || "
        "COALESCE(numeric_scale, 0) || ' ' || is_nullable || ' ' || COALESCE(column_default, '') "
        "FROM information_schema.columns WHERE table_schema = current_schema() ORDER BY 1",
        "SELECT indexdef FROM pg_indexes WHERE schemaname = current_schema() ORDER BY 1",
        "SELECT table_name || ': ' || view_definition FROM information_schema.views "
        "WHERE table_schema = current_schema() ORDER BY 1"}) {
    out += testing::Text(db, query);
  }
  return out;
}

std::string Rows(const TempDatabase& db) {
  return testing::Text(db, "SELECT * FROM DOCTO_TRANSPORTE ORDER BY 1") +
         testing::Text(db, "SELECT LOG_GERADOR_ID, TXT_QUERY FROM LOG_GERADOR ORDER BY 1");
}

TEST(PostgresUpgradeTest, EarlierDatabasesGetANewOnesSchemaAndKeepTheirRows) {
  if (testing::TestEngines().size() == 1) GTEST_SKIP() << "PostgreSQL is not installed";
  const int current = CurrentSchemaVersion();
  const std::string before_versions =
      "DROP TABLE VERSAO_ESQUEMA; DROP INDEX HIST_PROGR_ESCOAM_RECENTES;";
  const std::string without_runner_columns =
      "ALTER TABLE LOG_GERADOR DROP COLUMN QTDE_TENTATIVAS, DROP COLUMN TXT_ULTIMO_ERRO, DROP "
      "COLUMN DATA_PROXIMA_TENTATIVA, DROP COLUMN TXT_EXECUTOR, DROP COLUMN DATA_RESERVA;";
  struct Case {
    const char* name;
    std::string make;  // what makes a new database an earlier one
    int from;
  };
  const Case cases[] = {
      {"made by init-db before versions were recorded", before_versions, 1},
      {"made by hand from the first schema", before_versions + without_runner_columns, 1},
      {"at version 2",
       "DELETE FROM VERSAO_ESQUEMA; INSERT INTO VERSAO_ESQUEMA (VERSAO) VALUES (2);" +
           without_runner_columns,
       2},
      {"at the current version", "", current},
  };
  const std::string want = Schema(TempDatabase(Engine::kPostgres));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDatabase db(Engine::kPostgres);
    if (!c.make.empty()) db.Exec(c.make);
    const std::string rows = Rows(db);
    for (int run = 0; run < 2; ++run) {  // run again, it does nothing
      UpgradeOutcome done;
      Status st = UpgradePostgresDatabase(db.connection(), &done);
      ASSERT_TRUE(st.ok()) << st.ToString();
      EXPECT_EQ(run == 0 ? c.from : current, done.from);
      EXPECT_EQ(current, done.to);
      EXPECT_EQ(want, Schema(db));
      EXPECT_EQ(rows, Rows(db));
    }
  }

  // Refused, or failed in its last step: the database is left as it was.
  const Case refused[] = {
      {"newer",
       "INSERT INTO VERSAO_ESQUEMA (VERSAO) VALUES (999); DROP INDEX HIST_PROGR_ESCOAM_DOCTO", 0},
      {"version 3 cannot be recorded",
       before_versions + without_runner_columns +
           "CREATE TABLE VERSAO_ESQUEMA (VERSAO INTEGER PRIMARY KEY CHECK (VERSAO < 3), "
           "DATA_APLICACAO TIMESTAMP(0));",
       0}};
  const std::string says[] = {
      "is at schema version 999, newer than version " + std::to_string(current),
      "003_job_runner_columns.sql: ERROR: new row for relation \"versao_esquema\" violates check "
      "constraint"};
  for (size_t i = 0; i < std::size(refused); ++i) {
    SCOPED_TRACE(refused[i].name);
    TempDatabase db(Engine::kPostgres);
    db.Exec(refused[i].make);
    const std::string schema = Schema(db), rows = Rows(db);
    UpgradeOutcome done;
    Status st = UpgradePostgresDatabase(db.connection(), &done);
    EXPECT_NE(std::string::npos, st.description().find(says[i])) << st.ToString();
    EXPECT_EQ(schema, Schema(db));
    EXPECT_EQ(rows, Rows(db));
  }
}

}  // namespace
}  // namespace ocg
