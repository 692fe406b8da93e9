// embedded/database.cc: creating an embedded database file from the compiled-in
// schema.sql (and demo.sql), at the current schema version.
//
// The database is built under a temporary name beside the path and moved into
// place only when complete (embedded/new_file.h). On a failure it can report,
// the temporary file (and its WAL side files) is removed.
#include "embedded/database.h"

#include <sqlite3.h>

#include <string>
#include <string_view>

#include "embedded/embedded_sql.h"
#include "embedded/new_file.h"
#include "embedded/schema_versions.h"
#include "embedded/sql_functions.h"
#include "embedded/sqlite_file.h"

namespace ocg {
namespace {

// Used when a compiled-in script is missing: a build fault, not a run-time one.
constexpr int64_t kMissingScript = 53;

Status RunScript(sqlite3* db, std::string_view name) {
  const std::string_view text = FileNamed(EmbeddedSqlFiles(), name);
  if (text.empty()) {
    return Status::Error("SQL script not compiled in: " + std::string(name), kMissingScript);
  }
  return ExecSql(db, name, text);
}

// Everything after the file exists: schema, version, INFRA_IDS row and demo
// data.
Status Populate(sqlite3* db, bool demo) {
  OCG_RETURN_IF_ERROR(RegisterSqlFunctions(db));
  // WAL lets readers go on while one writer works. The journal mode cannot
  // change inside a transaction, so it is set first; it stays with the file.
  OCG_RETURN_IF_ERROR(ExecSql(db, "journal_mode", "PRAGMA journal_mode=WAL;"));
  OCG_RETURN_IF_ERROR(ExecSql(db, "begin", "BEGIN IMMEDIATE;"));
  Status st = RunScript(db, "schema.sql");
  if (st.ok()) {
    st = ExecSql(db, "user_version",
                 "PRAGMA user_version = " + std::to_string(CurrentSchemaVersion()));
  }
  if (st.ok() && demo) st = RunScript(db, "demo.sql");
  if (st.ok()) st = ExecSql(db, "commit", "COMMIT;");
  if (!st.ok()) sqlite3_exec(db, "ROLLBACK;", nullptr, nullptr, nullptr);
  return st;
}

}  // namespace

Status CreateDatabase(const std::string& path, bool demo) {
  OCG_RETURN_IF_ERROR(RefuseExisting(path));
  std::string temp;
  OCG_RETURN_IF_ERROR(MakeTempBeside(path, &temp));
  sqlite3* raw = nullptr;
  int rc = sqlite3_open_v2(temp.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
  SqliteHandle db(raw, &sqlite3_close);  // sqlite3_open_v2 hands out a handle even on failure
  Status st = rc == SQLITE_OK ? Populate(db.get(), demo) : SqliteError(db.get(), "open " + path);
  // Closing before moving or removing: the last connection folds the WAL
  // back into the file and deletes the side files.
  db.reset();
  if (st.ok()) st = PublishNewFile(temp, path);
  if (!st.ok()) RemoveDatabaseFiles(temp);
  return st;
}

}  // namespace ocg
