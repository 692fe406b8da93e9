// server/serve_command.h: `ocg serve`, the service's process.
//
// Checks the options, reads the tokens, binds, prints the address to open and
// serves until SIGINT or SIGTERM; then it stops accepting, lets the calls in
// flight finish and returns 0. Returns 2 when it cannot start (bad options,
// unreadable tokens, address in use), with the reason on err.
#ifndef OCG_SERVER_SERVE_COMMAND_H_
#define OCG_SERVER_SERVE_COMMAND_H_

#include <iosfwd>

#include "server/serve_options.h"

namespace ocg {

int RunServe(ServeOptions options, std::ostream& out, std::ostream& err);

}  // namespace ocg

#endif  // OCG_SERVER_SERVE_COMMAND_H_
