// embedded/sqlite_file.h: a database file opened on plain SQLite, below the
// Driver, for the work done on the file as a whole: creating it, upgrading
// its schema, copying it. One thread at a time per handle.
#ifndef OCG_EMBEDDED_SQLITE_FILE_H_
#define OCG_EMBEDDED_SQLITE_FILE_H_

#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"

namespace ocg {

using SqliteHandle = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;

// The connection's last error as "context: message", with SQLite's extended
// code as the number.
Status SqliteError(sqlite3* db, std::string_view context);

// Runs every statement of sql; context names it in the error.
Status ExecSql(sqlite3* db, std::string_view context, std::string_view sql);

// The first column of the first row of sql, as an integer (0 without a row).
Status QueryInteger(sqlite3* db, const char* sql, int64_t* out);

// Whether path is a file a database can be opened from, checked before
// SQLite opens it, because SQLite reports a missing file and a directory alike
// as "unable to open database file". Fills *st for the caller that keeps the
// file's identity.
Status StatDatabaseFile(const std::string& path, struct stat* st);

// Opens the existing database file at path read-write, with the engine's SQL
// functions and the engine's 15 s wait for another process's lock. A missing
// file, a directory or a file that is not a database fails; nothing is ever
// created. The schema version is not checked here.
Status OpenDatabaseFile(const std::string& path, SqliteHandle* out);

// A database in memory built by running scripts in order, for comparing a
// file's schema with the one they make.
Status BuildInMemory(const std::vector<std::string_view>& scripts, SqliteHandle* out);

}  // namespace ocg

#endif  // OCG_EMBEDDED_SQLITE_FILE_H_
