// embedded/upgrade.cc: the steps a file lacks, run in one write transaction
// after a copy of the file is taken.
#include "embedded/upgrade.h"

#include <time.h>

#include <cstdint>
#include <string_view>

#include "embedded/backup.h"
#include "embedded/embedded_sql.h"
#include "embedded/new_file.h"
#include "embedded/schema_shape.h"
#include "embedded/sqlite_file.h"

namespace ocg {
namespace {

// The write transaction: rolled back when it ends without a commit.
class WriteTransaction {
 public:
  explicit WriteTransaction(sqlite3* db) : db_(db) {}
  ~WriteTransaction() { Rollback().IgnoreError(); }
  WriteTransaction(const WriteTransaction&) = delete;
  WriteTransaction& operator=(const WriteTransaction&) = delete;

  Status Begin() { return ExecSql(db_, "begin", "BEGIN IMMEDIATE"); }
  Status Commit() { return ExecSql(db_, "commit", "COMMIT"); }
  // OK once no transaction is open, including one the engine already undid
  // itself (a full disk, an I/O error).
  Status Rollback() {
    return sqlite3_get_autocommit(db_) ? Status() : ExecSql(db_, "rollback", "ROLLBACK");
  }

 private:
  sqlite3* db_;
};

// The schema scripts make on an empty database, as comparable lines.
Status SchemaOf(const std::vector<std::string_view>& scripts, std::vector<std::string>* lines) {
  SqliteHandle built(nullptr, &sqlite3_close);
  OCG_RETURN_IF_ERROR(BuildInMemory(scripts, &built));
  return DescribeSchema(built.get(), lines);
}

// A file that says version 1 was made before versions were counted, by any
// release up to the one that began counting: it is at the version whose
// schema it has.
Status RecogniseVersion(sqlite3* db, const std::string& path, const std::vector<SchemaStep>& steps,
                        int* version) {
  std::vector<std::string> have, want;
  OCG_RETURN_IF_ERROR(DescribeSchema(db, &have));
  std::string nearest;  // the difference from the version with the fewest
  size_t fewest = SIZE_MAX;
  std::vector<std::string_view> scripts;  // steps 1 to the one at hand
  for (const SchemaStep& step : steps) {
    scripts.push_back(step.sql);
    OCG_RETURN_IF_ERROR(SchemaOf(scripts, &want));
    size_t count = 0;
    std::string difference = SchemaDifference(have, want, &count);
    if (count == 0) {
      *version = step.version;
      return Status();
    }
    if (count <= fewest) {
      fewest = count;
      nearest = "nearest: version " + std::to_string(step.version) + ", " + difference;
    }
  }
  return Status::Error(path + " says schema version 1, but its schema is none of versions 1 to " +
                           std::to_string(steps.back().version) + " (" + nearest +
                           "); the file was not changed",
                       SQLITE_SCHEMA);
}

// "PATH.v1-20261207-031500.bak", or "...-2.bak" and on when that is taken.
std::string BackupName(const std::string& path, int version, int attempt) {
  const time_t now = ::time(nullptr);
  struct tm local;
  ::localtime_r(&now, &local);
  char stamp[32];
  ::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  return path + ".v" + std::to_string(version) + "-" + stamp +
         (attempt > 1 ? "-" + std::to_string(attempt) : "") + ".bak";
}

Status TakeBackup(const std::string& path, int version, std::string* name) {
  BackupOutcome copied;
  for (int attempt = 1;; ++attempt) {
    *name = BackupName(path, version, attempt);
    Status st = BackupDatabaseFile(path, *name, &copied);
    if (st.number() != kFileAlreadyExists || attempt == 100) return st;
  }
}

// Steps from + 1 to the last, then the last one's version.
Status ApplySteps(sqlite3* db, const std::vector<SchemaStep>& steps, int from) {
  for (const SchemaStep& step : steps) {
    if (step.version <= from) continue;
    OCG_RETURN_IF_ERROR(ExecSql(db, step.file, step.sql));
  }
  return ExecSql(db, "user_version",
                 "PRAGMA user_version = " + std::to_string(steps.back().version));
}

Status CheckAgainstNewFile(sqlite3* db) {
  std::vector<std::string> have, want;
  OCG_RETURN_IF_ERROR(DescribeSchema(db, &have));
  OCG_RETURN_IF_ERROR(SchemaOf({FileNamed(EmbeddedSqlFiles(), "schema.sql")}, &want));
  const std::string difference = SchemaDifference(have, want);
  if (difference.empty()) return Status();
  return Status::Error("after the steps the schema is not a new file's: " + difference,
                       SQLITE_SCHEMA);
}

}  // namespace

Status UpgradeDatabaseFile(const std::string& path, const std::vector<SchemaStep>& steps,
                           UpgradeOutcome* out) {
  *out = UpgradeOutcome();
  OCG_RETURN_IF_ERROR(CheckStepNumbers(steps, 1));
  const int current = steps.back().version;
  SqliteHandle db(nullptr, &sqlite3_close);
  OCG_RETURN_IF_ERROR(OpenDatabaseFile(path, &db));
  // The write lock first: no writer comes between the version read, the copy
  // and the steps, so the copy is the file exactly as the steps found it.
  WriteTransaction transaction(db.get());
  OCG_RETURN_IF_ERROR(transaction.Begin());
  int64_t stamped = 0;
  OCG_RETURN_IF_ERROR(QueryInteger(db.get(), "PRAGMA user_version", &stamped));
  if (stamped == 0) {
    return Status::Error(path + " is not an ocg database (schema version 0): ocg init-db makes one",
                         SQLITE_SCHEMA);
  }
  if (stamped < 0 || stamped > current) return CheckVersion(path, stamped, current);
  out->stamped = out->from = out->to = static_cast<int>(stamped);
  if (stamped == 1) OCG_RETURN_IF_ERROR(RecogniseVersion(db.get(), path, steps, &out->from));
  if (stamped == current) return Status();

  OCG_RETURN_IF_ERROR(TakeBackup(path, out->stamped, &out->backup));
  Status st = ApplySteps(db.get(), steps, out->from);
  if (st.ok()) st = CheckAgainstNewFile(db.get());
  if (st.ok()) st = transaction.Commit();
  if (!st.ok()) {
    // The copy is the file as it still is; it stays only if the file might
    // not be.
    if (transaction.Rollback().ok()) {
      RemoveDatabaseFiles(out->backup);
      out->backup.clear();
    }
    return st;
  }
  out->to = current;
  return Status();
}

}  // namespace ocg
