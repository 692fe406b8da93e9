// embedded/schema_versions.cc: the steps, numbered by their file names, and the
// check every program makes when it opens a file.
#include "embedded/schema_versions.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "embedded/sqlite_file.h"

namespace ocg {

std::vector<SchemaStep> StepsOf(
    const std::vector<std::pair<std::string_view, std::string_view>>& files) {
  std::vector<SchemaStep> steps;
  for (const auto& [file, sql] : files) {
    SchemaStep step{0, file, sql};
    // A name that does not begin with a number keeps 0, which
    // CheckStepNumbers refuses.
    std::from_chars(file.data(), file.data() + file.size(), step.version);
    steps.push_back(step);
  }
  std::ranges::stable_sort(steps, {}, &SchemaStep::version);
  return steps;
}

const std::vector<SchemaStep>& EmbeddedSchemaSteps() {
  static const std::vector<SchemaStep> steps = StepsOf(EmbeddedUpgradeFiles());
  return steps;
}

int CurrentSchemaVersion() {
  const std::vector<SchemaStep>& steps = EmbeddedSchemaSteps();
  return steps.empty() ? 0 : steps.back().version;
}

Status CheckSchemaVersion(sqlite3* db, const std::string& path) {
  int64_t version = 0;
  OCG_RETURN_IF_ERROR(QueryInteger(db, "PRAGMA user_version", &version));
  return CheckVersion(path, version, CurrentSchemaVersion());
}

Status CheckVersion(const std::string& path, int64_t version, int current) {
  if (version == 0 || version == current) return Status();
  const std::string versions = path + " is at schema version " + std::to_string(version) + ", ";
  if (version < 0) {
    return Status::Error(versions + "which no ocg writes: it is not an ocg database",
                         SQLITE_CANTOPEN);
  }
  if (version < current) {
    return Status::Error(versions + "older than version " + std::to_string(current) +
                             " that this ocg uses: upgrade it first with \"ocg upgrade " + path +
                             "\", which keeps a copy of it as it was",
                         SQLITE_CANTOPEN);
  }
  return Status::Error(versions + "newer than version " + std::to_string(current) +
                           " that this ocg knows: use the ocg that made it; the file was not "
                           "changed",
                       SQLITE_CANTOPEN);
}

Status CheckStepNumbers(const std::vector<SchemaStep>& steps, int first) {
  int expected = first;
  for (const SchemaStep& step : steps) {
    if (step.version != expected) {
      return Status::Error(
          "the upgrade steps of this build are numbered wrong: " + std::string(step.file) +
              " where step " + std::to_string(expected) + " belongs",
          0);
    }
    ++expected;
  }
  if (expected == first) return Status::Error("this build holds no upgrade step", 0);
  return Status();
}

}  // namespace ocg
