// cli/upgrade_command.h: "ocg upgrade DATABASE", a database made by an
// earlier ocg brought to this one's schema version.
#ifndef OCG_CLI_UPGRADE_COMMAND_H_
#define OCG_CLI_UPGRADE_COMMAND_H_

#include <iosfwd>
#include <string>

namespace ocg {

// Brings an embedded file (after a copy beside it) or a PostgreSQL database
// to the current schema version, and says from which version and where the
// copy is. Returns the exit status: 0 upgraded, or already current; 1
// refused or failed, the database left as it was; 2 a DATABASE that names
// nothing it can upgrade.
int RunUpgradeCommand(const std::string& database, std::ostream& out, std::ostream& err);

}  // namespace ocg

#endif  // OCG_CLI_UPGRADE_COMMAND_H_
