// embedded/sqlite_file.cc: plain SQLite calls on a whole database file.
#include "embedded/sqlite_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "embedded/sql_functions.h"

namespace ocg {

Status SqliteError(sqlite3* db, std::string_view context) {
  return Status::Error(std::string(context) + ": " + sqlite3_errmsg(db),
                       sqlite3_extended_errcode(db));
}

Status ExecSql(sqlite3* db, std::string_view context, std::string_view sql) {
  char* message = nullptr;
  if (sqlite3_exec(db, std::string(sql).c_str(), nullptr, nullptr, &message) == SQLITE_OK) {
    return Status();
  }
  Status st = Status::Error(
      std::string(context) + ": " + (message != nullptr ? message : sqlite3_errmsg(db)),
      sqlite3_extended_errcode(db));
  sqlite3_free(message);
  return st;
}

Status QueryInteger(sqlite3* db, const char* sql, int64_t* out) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) return SqliteError(db, sql);
  const int rc = sqlite3_step(stmt);
  *out = rc == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : 0;
  sqlite3_finalize(stmt);
  return rc == SQLITE_ROW || rc == SQLITE_DONE ? Status() : SqliteError(db, sql);
}

Status StatDatabaseFile(const std::string& path, struct stat* st) {
  if (::stat(path.c_str(), st) != 0) {
    const int err = errno;
    return Status::Error(
        "unable to open database file: " + path +
            (err == ENOENT ? " does not exist" : ": " + std::string(std::strerror(err))),
        SQLITE_CANTOPEN);
  }
  if (S_ISDIR(st->st_mode)) {
    return Status::Error("unable to open database file: " + path + " is a directory",
                         SQLITE_CANTOPEN);
  }
  return Status();
}

Status OpenDatabaseFile(const std::string& path, SqliteHandle* out) {
  out->reset();
  struct stat st;
  OCG_RETURN_IF_ERROR(StatDatabaseFile(path, &st));
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
  SqliteHandle db(raw, &sqlite3_close);  // a handle comes back even on failure
  if (rc != SQLITE_OK) return SqliteError(db.get(), "open " + path);
  sqlite3_extended_result_codes(db.get(), 1);
  sqlite3_busy_timeout(db.get(), 15000);
  // Opening reads nothing; the first statement finds out whether the file
  // is a database at all.
  int64_t ignored = 0;
  if (!QueryInteger(db.get(), "PRAGMA schema_version", &ignored).ok()) {
    return Status::Error(std::string(sqlite3_errmsg(db.get())) + ": " + path,
                         sqlite3_extended_errcode(db.get()));
  }
  OCG_RETURN_IF_ERROR(RegisterSqlFunctions(db.get()));
  *out = std::move(db);
  return Status();
}

Status BuildInMemory(const std::vector<std::string_view>& scripts, SqliteHandle* out) {
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open(":memory:", &raw);
  SqliteHandle db(raw, &sqlite3_close);
  if (rc != SQLITE_OK) return SqliteError(db.get(), "open :memory:");
  OCG_RETURN_IF_ERROR(RegisterSqlFunctions(db.get()));
  for (std::string_view script : scripts) {
    OCG_RETURN_IF_ERROR(ExecSql(db.get(), "in memory", script));
  }
  *out = std::move(db);
  return Status();
}

}  // namespace ocg
