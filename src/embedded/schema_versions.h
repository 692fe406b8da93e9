// embedded/schema_versions.h: the schema's versions, as numbered steps.
//
// Version 1 is the first schema ocg init-db wrote; each later change of the
// schema is one step, a script "NNN_what.sql" kept in src/embedded/upgrade/
// (and, for PostgreSQL, one of the same number in src/odbc/postgresql/
// upgrade/). Running steps 1 to k on an empty database makes a database of
// version k; running steps k+1 to N on a file of version k brings it to the
// current version N, the number of the last step. A file keeps its version
// in PRAGMA user_version.
//
// Adding a change to the schema: append the next numbered step (both
// engines), and make the same change in schema.sql, which new files are made
// from; the upgrade tests fail until both agree.
#ifndef OCG_EMBEDDED_SCHEMA_VERSIONS_H_
#define OCG_EMBEDDED_SCHEMA_VERSIONS_H_

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/status.h"

namespace ocg {

struct SchemaStep {
  int version = 0;        // the version the step brings a database to
  std::string_view file;  // "003_job_runner_columns.sql"
  std::string_view sql;
};

// What an upgrade did (ocg upgrade, on either engine).
struct UpgradeOutcome {
  int stamped = 0;     // the version the database said it was at
  int from = 0;        // the version its schema was at (they differ only for
                       // the files made before versions were counted)
  int to = 0;          // the version it is at now
  std::string backup;  // the copy of the file as it was; empty when none was kept
};

// The compiled-in scripts of src/embedded/upgrade/, as (file name, text).
const std::vector<std::pair<std::string_view, std::string_view>>& EmbeddedUpgradeFiles();

// files as steps, in the order of the numbers their names begin with.
std::vector<SchemaStep> StepsOf(
    const std::vector<std::pair<std::string_view, std::string_view>>& files);

// The embedded engine's steps, 1 to the current version.
const std::vector<SchemaStep>& EmbeddedSchemaSteps();

// The version ocg init-db writes and every program opens: the last step's.
int CurrentSchemaVersion();

// Refuses a file whose version (db's PRAGMA user_version; path names it in
// the message) is not CurrentSchemaVersion(). Reads only.
Status CheckSchemaVersion(sqlite3* db, const std::string& path);

// The refusal of a file at version when this program's is current: an older
// one with a message that names "ocg upgrade PATH", a newer one with both
// versions. OK when they are equal, and for version 0: a file ocg did not
// make, opened as plain SQLite.
Status CheckVersion(const std::string& path, int64_t version, int current);

// Fails unless steps are numbered first, first + 1, ... without a gap or a
// repeat: a build that lost or doubled a step must not upgrade anything.
Status CheckStepNumbers(const std::vector<SchemaStep>& steps, int first);

}  // namespace ocg

#endif  // OCG_EMBEDDED_SCHEMA_VERSIONS_H_
