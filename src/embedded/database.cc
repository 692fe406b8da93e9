// embedded/database.cc: creating an embedded database file from the compiled-in
// schema.sql (and demo.sql).
//
// The file is created exclusively, so two creators racing for one path cannot
// both succeed, and everything is loaded in one transaction; on any failure
// the partial file (and its WAL side files) is removed, so a path either holds
// a complete database or nothing this function made.
#include "embedded/database.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "embedded/embedded_sql.h"
#include "embedded/sql_functions.h"

namespace ocg {
namespace {

// The automation error number for "File already exists".
constexpr int64_t kFileAlreadyExists = 58;
// The automation error number for "Path/File access error".
constexpr int64_t kPathAccessError = 75;
// Used when a compiled-in script is missing: a build fault, not a run-time one.
constexpr int64_t kMissingScript = 53;

using DbPtr = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;

// The text of a compiled-in SQL file, or nullptr when the build left it out.
const std::string_view* FindScript(std::string_view name) {
  for (const auto& [file, text] : EmbeddedSqlFiles()) {
    if (file == name) return &text;
  }
  return nullptr;
}

Status EngineError(sqlite3* db, std::string_view context, const char* message) {
  std::string text(context);
  text += ": ";
  text += message != nullptr ? message : sqlite3_errmsg(db);
  return Status::Error(std::move(text), sqlite3_extended_errcode(db));
}

// Runs every statement of sql; context names the script in the error.
Status Exec(sqlite3* db, std::string_view context, const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return Status();
  Status st = EngineError(db, context, message);
  sqlite3_free(message);
  return st;
}

Status RunScript(sqlite3* db, std::string_view name) {
  const std::string_view* text = FindScript(name);
  if (text == nullptr) {
    return Status::Error("SQL script not compiled in: " + std::string(name), kMissingScript);
  }
  return Exec(db, name, std::string(*text));
}

// Everything after the file exists: schema, INFRA_IDS row and demo data.
Status Populate(sqlite3* db, bool demo) {
  OCG_RETURN_IF_ERROR(RegisterSqlFunctions(db));
  // WAL lets readers go on while one writer works. The journal mode cannot
  // change inside a transaction, so it is set first; it stays with the file.
  OCG_RETURN_IF_ERROR(Exec(db, "journal_mode", "PRAGMA journal_mode=WAL;"));
  OCG_RETURN_IF_ERROR(Exec(db, "begin", "BEGIN IMMEDIATE;"));
  Status st = RunScript(db, "schema.sql");
  if (st.ok() && demo) st = RunScript(db, "demo.sql");
  if (st.ok()) st = Exec(db, "commit", "COMMIT;");
  if (!st.ok()) sqlite3_exec(db, "ROLLBACK;", nullptr, nullptr, nullptr);
  return st;
}

void RemoveDatabaseFiles(const std::string& path) {
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    ::unlink((path + suffix).c_str());
  }
}

}  // namespace

Status CreateDatabase(const std::string& path, bool demo) {
  // O_EXCL makes "does not exist yet" and "now it is ours" one step. An empty
  // file is a valid empty SQLite database, so the engine opens it as is.
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    if (errno == EEXIST) {
      return Status::Error("Database file already exists: " + path, kFileAlreadyExists);
    }
    return Status::Error("Cannot create database file " + path + ": " + std::strerror(errno),
                         kPathAccessError);
  }
  ::close(fd);

  sqlite3* raw = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  DbPtr db(raw, &sqlite3_close);  // sqlite3_open_v2 hands out a handle even on failure
  Status st =
      rc == SQLITE_OK ? Populate(db.get(), demo) : EngineError(db.get(), "open " + path, nullptr);
  // Closing before any removal: the last connection folds the WAL back into
  // the file and deletes the side files.
  db.reset();
  if (!st.ok()) RemoveDatabaseFiles(path);
  return st;
}

}  // namespace ocg
