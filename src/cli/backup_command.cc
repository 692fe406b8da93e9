#include "cli/backup_command.h"

#include <ostream>

#include "cli/database_argument.h"
#include "embedded/backup.h"

namespace ocg {

int RunBackupCommand(const std::string& source, const std::string& dest, std::ostream& out,
                     std::ostream& err) {
  DatabaseArgument from, to;
  Status st = ParseDatabaseArgument(source, &from);
  if (st.ok()) st = ParseDatabaseArgument(dest, &to);
  if (!st.ok() || from.odbc || to.odbc) {
    err << "ocg: backup copies embedded database files (PATH or \"Data Source=PATH\"); a "
           "server's database is copied with its own tools (pg_dump)\n";
    return 2;
  }
  BackupOutcome done;
  st = BackupDatabaseFile(from.path, to.path, &done);
  if (!st.ok()) {
    err << "ocg: backup: " << st.description() << "; nothing was written to " << to.path << "\n";
    return 1;
  }
  out << "Copied " << from.path << " to " << to.path << ": " << done.pages << " pages, "
      << done.bytes << " bytes; the copy took " << static_cast<int>(done.copy_seconds * 1000)
      << " ms"
      << ", its integrity check (ok) " << static_cast<int>(done.check_seconds * 1000) << " ms\n";
  return 0;
}

}  // namespace ocg
