// embedded/database.cc: creating an embedded database file from the compiled-in
// schema.sql (and demo.sql).
//
// The database is built under a temporary name beside the path and moved into
// place only when complete, with a rename that never replaces an existing
// file: two creators racing for one path cannot both succeed, and a creator
// killed midway leaves at most a "PATH.partial-XXXXXX" file, never a
// half-made database at PATH. On a failure it can report, the temporary file
// (and its WAL side files) is removed.
#include "embedded/database.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <stdio.h>
#include <sys/stat.h>
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

// Moves the finished file to path, unless path exists by then.
Status Publish(const std::string& temp, const std::string& path) {
  // fsync first, so that the name never points at a file whose content is
  // still only in the page cache.
  int fd = ::open(temp.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
  int rc = ::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE);
  if (rc != 0 && errno == EINVAL) {  // a file system without it: link, then drop the name
    rc = ::link(temp.c_str(), path.c_str());
    if (rc == 0) ::unlink(temp.c_str());
  }
  if (rc == 0) return Status();
  if (errno == EEXIST) {
    return Status::Error("Database file already exists: " + path, kFileAlreadyExists);
  }
  return Status::Error("Cannot create database file " + path + ": " + std::strerror(errno),
                       kPathAccessError);
}

}  // namespace

Status CreateDatabase(const std::string& path, bool demo) {
  struct stat existing;
  if (::lstat(path.c_str(), &existing) == 0) {
    return Status::Error("Database file already exists: " + path, kFileAlreadyExists);
  }
  std::string temp = path + ".partial-XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    return Status::Error("Cannot create database file " + path + ": " + std::strerror(errno),
                         kPathAccessError);
  }
  ::fchmod(fd, 0644);
  ::close(fd);

  sqlite3* raw = nullptr;
  int rc = sqlite3_open_v2(temp.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
  DbPtr db(raw, &sqlite3_close);  // sqlite3_open_v2 hands out a handle even on failure
  Status st =
      rc == SQLITE_OK ? Populate(db.get(), demo) : EngineError(db.get(), "open " + path, nullptr);
  // Closing before moving or removing: the last connection folds the WAL
  // back into the file and deletes the side files.
  db.reset();
  if (st.ok()) st = Publish(temp, path);
  if (!st.ok()) RemoveDatabaseFiles(temp);
  return st;
}

}  // namespace ocg
