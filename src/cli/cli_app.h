// cli/cli_app.h: the ocg command.
//
//   ocg call OPERATION [ARGS] [--connect CS] [--kind KIND] [--user ID] [--trace FILE]
//   ocg operations
//   ocg init-db PATH [--demo]
//   ocg jobs [--connect CS] [--status N] [--json]
//   ocg sql PATH [STATEMENT] [--json]   (see cli/sql_command.h)
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
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "base/status.h"
#include "component/interface_table.h"
#include "value/value.h"

namespace ocg {

int RunCli(int argc, char** argv, std::ostream& out, std::ostream& err);

// Where absent common arguments come from.
struct CommonDefaults {
  std::string connection;  // empty: leave Empty
  std::string kind;
  std::string user;  // a whole number or empty
};

// Builds the argument vector of op from a JSON object (by name) or array (in
// order). Refuses unknown names, a wrong array length and values of the wrong
// shape, with a message that names the argument.
Status BuildArguments(const OperationInfo& op, const nlohmann::ordered_json& input,
                      const CommonDefaults& defaults, std::vector<Value>* args);

// {"operation": name, "result": ..., "arguments": {name: value, ...}}.
nlohmann::ordered_json DescribeCall(const OperationInfo& op, const Value& result,
                                    const std::vector<Value>& args);

// True when a result is the operation's success (0, or true).
bool IsSuccessResult(const OperationInfo& op, const Value& result);

}  // namespace ocg

#endif  // OCG_CLI_CLI_APP_H_
