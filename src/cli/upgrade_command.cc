#include "cli/upgrade_command.h"

#include <chrono>
#include <ostream>

#include "cli/database_argument.h"
#include "embedded/upgrade.h"
#include "infra/connection_string.h"
#include "odbc/postgres_upgrade.h"

namespace ocg {
namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int RunUpgradeCommand(const std::string& database, std::ostream& out, std::ostream& err) {
  DatabaseArgument target;
  Status st = ParseDatabaseArgument(database, &target);
  if (!st.ok()) {
    err << "ocg: upgrade " << st.description() << "\n";
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  UpgradeOutcome done;
  st = target.odbc ? UpgradePostgresDatabase(database, &done)
                   : UpgradeDatabaseFile(target.path, EmbeddedSchemaSteps(), &done);
  const std::string name = target.odbc ? MaskConnectionString(database) : target.path;
  if (!st.ok()) {
    err << "ocg: upgrade: " << st.description() << "\n";
    if (!done.backup.empty()) err << "ocg: the copy taken before is " << done.backup << "\n";
    return 1;
  }
  if (done.from == done.to && done.stamped == done.to) {
    out << name << " is at schema version " << done.to << ", the current one: nothing to do\n";
    return 0;
  }
  out << "Upgraded " << name << " from schema version " << done.from;
  if (done.stamped != done.from) {
    out << " (its schema's; it said " << done.stamped << ", as every file made before "
        << "versions were counted)";
  }
  out << " to " << done.to << " in " << static_cast<int>(SecondsSince(start) * 1000) << " ms"
      << "\n";
  if (!done.backup.empty()) out << "The file as it was: " << done.backup << "\n";
  return 0;
}

}  // namespace ocg
