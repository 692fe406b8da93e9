// cli/backup_command.h: "ocg backup FILE DEST", a copy of an embedded
// database file taken while the service runs.
#ifndef OCG_CLI_BACKUP_COMMAND_H_
#define OCG_CLI_BACKUP_COMMAND_H_

#include <iosfwd>
#include <string>

namespace ocg {

// Copies the embedded file at source to a new file dest while other
// processes use it (embedded/backup.h), and says how long the copy took.
// Returns 0 copied; 1 not copied (dest exists, source cannot be read, the
// copy failed its check), nothing at dest; 2 a server database, which its
// own tools back up.
int RunBackupCommand(const std::string& source, const std::string& dest, std::ostream& out,
                     std::ostream& err);

}  // namespace ocg

#endif  // OCG_CLI_BACKUP_COMMAND_H_
