// embedded/backup.cc: the online backup API into a temporary file beside the
// destination, checked, then moved into place.
#include "embedded/backup.h"

#include <sys/stat.h>

#include <chrono>
#include <memory>
#include <thread>

#include "embedded/new_file.h"
#include "embedded/sqlite_file.h"

namespace ocg {
namespace {

using Clock = std::chrono::steady_clock;
using BackupHandle = std::unique_ptr<sqlite3_backup, decltype(&sqlite3_backup_finish)>;

// As long as every connection of the engine waits for another's lock.
constexpr double kLockWaitSeconds = 15;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Copies every page in one step. The source's lock may be briefly out of
// reach (a writer checkpointing, another connection of this process
// writing); the step is tried again for as long as the engine waits for a
// lock elsewhere.
Status CopyPages(sqlite3* source, sqlite3* copy, BackupOutcome* out) {
  BackupHandle backup(sqlite3_backup_init(copy, "main", source, "main"), &sqlite3_backup_finish);
  if (backup == nullptr) return SqliteError(copy, "backup");
  const Clock::time_point start = Clock::now();
  int rc;
  while ((rc = sqlite3_backup_step(backup.get(), -1)) == SQLITE_BUSY || rc == SQLITE_LOCKED) {
    if (SecondsSince(start) > kLockWaitSeconds) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  out->copy_seconds = SecondsSince(start);
  out->pages = sqlite3_backup_pagecount(backup.get());
  const int finished = sqlite3_backup_finish(backup.release());
  if (rc != SQLITE_DONE) {
    return Status::Error(std::string("backup: ") + sqlite3_errstr(rc), rc);
  }
  if (finished != SQLITE_OK) return SqliteError(copy, "backup");
  return Status();
}

// The engine's full integrity check of the copy, and its version against
// the source's.
Status CheckCopy(sqlite3* source, sqlite3* copy, BackupOutcome* out) {
  const Clock::time_point start = Clock::now();
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(copy, "PRAGMA integrity_check", -1, &raw, nullptr) != SQLITE_OK) {
    return SqliteError(copy, "integrity check");
  }
  std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> stmt(raw, &sqlite3_finalize);
  std::string verdict;
  while (sqlite3_step(raw) == SQLITE_ROW) {
    const char* line = reinterpret_cast<const char*>(sqlite3_column_text(raw, 0));
    verdict += (verdict.empty() ? "" : "; ") + std::string(line != nullptr ? line : "");
  }
  out->check_seconds = SecondsSince(start);
  if (verdict != "ok") {
    return Status::Error("the copy failed the integrity check: " + verdict, SQLITE_CORRUPT);
  }
  int64_t source_version = 0, copy_version = 0;
  OCG_RETURN_IF_ERROR(QueryInteger(source, "PRAGMA user_version", &source_version));
  OCG_RETURN_IF_ERROR(QueryInteger(copy, "PRAGMA user_version", &copy_version));
  if (source_version != copy_version) {
    return Status::Error("the copy's schema version is not the file's", SQLITE_CORRUPT);
  }
  return Status();
}

}  // namespace

Status BackupDatabaseFile(const std::string& source_path, const std::string& dest,
                          BackupOutcome* out) {
  *out = BackupOutcome();
  // Refused before the source is even opened: nothing to undo.
  OCG_RETURN_IF_ERROR(RefuseExisting(dest));
  SqliteHandle source(nullptr, &sqlite3_close);
  OCG_RETURN_IF_ERROR(OpenDatabaseFile(source_path, &source));
  std::string temp;
  OCG_RETURN_IF_ERROR(MakeTempBeside(dest, &temp));
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(temp.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
  SqliteHandle copy(raw, &sqlite3_close);
  Status st = rc == SQLITE_OK ? CopyPages(source.get(), copy.get(), out)
                              : SqliteError(copy.get(), "open " + temp);
  if (st.ok()) st = CheckCopy(source.get(), copy.get(), out);
  // Closed before it is moved or removed: the last connection folds the WAL
  // back into the file and deletes the side files.
  copy.reset();
  if (st.ok()) st = PublishNewFile(temp, dest);
  if (!st.ok()) {
    RemoveDatabaseFiles(temp);
    return st;
  }
  struct stat published;
  if (::stat(dest.c_str(), &published) == 0) out->bytes = published.st_size;
  return Status();
}

}  // namespace ocg
