// cli/cli_app.h: the ocg command.
//
//   ocg call OPERATION [ARGS] [--connect CS] [--kind KIND] [--user ID] [--trace FILE]
//   ocg operations
//   ocg init-db PATH [--demo]
//   ocg jobs [--connect CS] [--status N] [--json]
//   ocg sql PATH [STATEMENT] [--json]   (see cli/sql_command.h)
//   ocg serve [--listen HOST:PORT] [--db NAME=CONNECTION_STRING ...] ... (see
//             server/serve_options.h)
//
// ARGS is a JSON object by argument name, or an array in interface order ("-"
// reads it from standard input; absent means {}). The connection string,
// database kind and user, when the JSON leaves them out, come from the flags or
// from OCG_CONNECT, OCG_DB_KIND and OCG_USER. The call prints one JSON object:
// the operation, its result and every argument as it stands after the call.
// Exit status: 0 when the operation succeeded, 1 when it reported failure, 2
// for bad input (nothing is called then), 3 when the answer could not be
// written. Connection strings are printed with their passwords masked.
#ifndef OCG_CLI_CLI_APP_H_
#define OCG_CLI_CLI_APP_H_

#include <iosfwd>

namespace ocg {

int RunCli(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace ocg

#endif  // OCG_CLI_CLI_APP_H_
