// cli/check_command.h: "ocg check FILE", an embedded database's health.
#ifndef OCG_CLI_CHECK_COMMAND_H_
#define OCG_CLI_CHECK_COMMAND_H_

#include <iosfwd>
#include <string>

namespace ocg {

// Looks for what no operation writes but a file can come to hold by other
// means (an old program, a hand edit, a damaged disk): the engine's own
// integrity check; a text in a date column that is not a date; a programme
// link whose order or programme does not exist; a negative tonnage or
// weight. Prints one line per finding naming the table, the row's key, the
// column and the value, or "no problem found". Reads only. Returns 0 when
// nothing was found, 1 when something was, 2 when the file cannot be read.
int RunCheckCommand(const std::string& path, std::ostream& out, std::ostream& err);

}  // namespace ocg

#endif  // OCG_CLI_CHECK_COMMAND_H_
