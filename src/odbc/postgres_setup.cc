#include "odbc/postgres_setup.h"

#include <memory>
#include <string>

#include "embedded/embedded_sql.h"
#include "embedded/schema_versions.h"
#include "infra/driver.h"
#include "odbc/postgres_catalog.h"

namespace ocg {
namespace {

// The scripts in the order they must run: the tables, the functions, the
// procedures (which use both), then the data.
std::vector<std::pair<std::string, std::string_view>> Scripts(bool demo) {
  const auto& files = PostgresSqlFiles();
  std::vector<std::pair<std::string, std::string_view>> scripts = {
      {"schema.sql", FileNamed(files, "schema.sql")},
      {"functions.sql", FileNamed(files, "functions.sql")}};
  for (const auto& [file, content] : files) {
    if (file.starts_with("sp_")) scripts.emplace_back(std::string(file), content);
  }
  if (demo) scripts.emplace_back("demo.sql", FileNamed(EmbeddedSqlFiles(), "demo.sql"));
  return scripts;
}

}  // namespace

Status CreatePostgresDatabase(std::string_view connection_string, bool demo) {
  std::unique_ptr<Driver> db;
  OCG_RETURN_IF_ERROR(OpenDriver(connection_string, &db));
  if (!IsPostgres(*db)) {
    return Status::Error("ocg init-db creates databases on PostgreSQL servers only", 0);
  }
  int32_t tables = 0;
  OCG_RETURN_IF_ERROR(
      QueryInteger(*db,
                   "SELECT COUNT(*) FROM information_schema.tables WHERE table_schema = "
                   "current_schema() AND table_name IN ('docto_transporte', 'infra_ids')",
                   &tables));
  if (tables > 0) {
    return Status::Error("the database already holds the component's tables; nothing was changed",
                         0);
  }
  OCG_RETURN_IF_ERROR(db->Begin(/*for_write=*/false));
  // The version the tables are at, recorded with them (odbc/postgres_upgrade.h).
  const std::string version =
      "INSERT INTO VERSAO_ESQUEMA (VERSAO) VALUES (" + std::to_string(CurrentSchemaVersion()) + ")";
  auto scripts = Scripts(demo);
  scripts.emplace_back("version", version);
  for (const auto& [name, script] : scripts) {
    Status st = script.empty() ? Status::Error("the script is missing from this build", 0)
                               : db->Run(script, nullptr, nullptr);
    if (!st.ok()) {
      db->Rollback().IgnoreError();
      return Status::Error(name + ": " + st.description() + "; nothing was changed", st.number());
    }
  }
  Status committed = db->Commit();
  if (!committed.ok()) db->Rollback().IgnoreError();
  return committed;
}

}  // namespace ocg
