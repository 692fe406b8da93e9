// cli/jobs_command.h: "ocg jobs", the registered jobs for an operator.
#ifndef OCG_CLI_JOBS_COMMAND_H_
#define OCG_CLI_JOBS_COMMAND_H_

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

namespace ocg {

// Prints the jobs on connection (only those in status when given) as a table,
// or as a JSON array with json. 0 on success; 2 when the jobs cannot be read.
int RunJobsCommand(const std::string& connection, std::optional<int32_t> status, bool json,
                   std::ostream& out, std::ostream& err);

}  // namespace ocg

#endif  // OCG_CLI_JOBS_COMMAND_H_
