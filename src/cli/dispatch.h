// cli/dispatch.h: one call of an operation by name, from an arguments text to
// the answer. The ocg command and the HTTP service both call through here, so
// a call means the same thing whichever way it arrives.
//
// The arguments are a JSON object by argument name, or an array in interface
// order (cli/value_json.h says how each JSON value becomes a Value). The
// answer is {"operation": name, "result": ..., "arguments": {name: value}}
// with every argument as it stands after the call. Nothing runs unless the
// whole input is acceptable. Safe to call from any thread; the operation runs
// on the calling thread.
#ifndef OCG_CLI_DISPATCH_H_
#define OCG_CLI_DISPATCH_H_

#include <cstdint>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "component/interface_table.h"
#include "value/value.h"

namespace ocg {

// Where absent common arguments come from.
struct CommonDefaults {
  std::string connection;  // empty: leave Empty
  std::string kind;
  std::string user;  // a whole number or empty
};

enum class CallOutcome {
  kSucceeded,         // the operation ran and returned its success value
  kFailed,            // the operation ran and returned its failure value
  kBadInput,          // nothing ran: malformed JSON, unknown argument, wrong shape
  kForbidden,         // nothing ran: the caller may not choose that database
  kUnknownOperation,  // nothing ran
};

// What the connection argument, as the caller gave it, stands for.
struct ResolvedConnection {
  CallOutcome outcome = CallOutcome::kSucceeded;  // kBadInput or kForbidden refuse
  std::string connection_string;                  // what the operation receives
  std::string shown;                              // what the answer shows; why, when refused
};
using ConnectionResolver = std::function<ResolvedConnection(const Value& given)>;

// How the call path treats the common arguments.
struct CallPolicy {
  CommonDefaults defaults;
  // Replaces whatever user the caller gave (the user an access token maps to).
  std::optional<int32_t> user;
  // Maps the caller's connection argument (after defaults) to a connection
  // string. Unset: the argument is used as given and shown with its password
  // masked.
  ConnectionResolver resolve_connection;
};

struct CallAnswer {
  CallOutcome outcome = CallOutcome::kBadInput;
  std::string operation;          // the name as found, or as given
  nlohmann::ordered_json answer;  // when the operation ran
  std::optional<Value> result;    // when the operation ran
  std::string error;              // why nothing ran
};

CallAnswer CallOperation(std::string_view operation, std::string_view arguments_json,
                         const CallPolicy& policy);

// Builds the argument vector of op from a JSON object (by name) or array (in
// order). Refuses unknown names, a wrong array length and values of the wrong
// shape, with a message that names the argument.
Status BuildArguments(const OperationInfo& op, const nlohmann::ordered_json& input,
                      const CommonDefaults& defaults, std::vector<Value>* args);

// {"operation": name, "result": ..., "arguments": {name: value, ...}} with
// every argument as it stands; a connection string shows with its password
// masked.
nlohmann::ordered_json DescribeCall(const OperationInfo& op, const Value& result,
                                    const std::vector<Value>& args);

// True when a result is the operation's success (0, or true).
bool IsSuccessResult(const OperationInfo& op, const Value& result);

// "name(arg, arg, ...) -> Boolean" or "-> Value".
std::string OperationSignature(const OperationInfo& op);

// A user identifier: a whole number within 32 bits, nothing else ("1.0" is
// not user 10 by the Brazilian reading of ".").
std::optional<int32_t> ParseUserId(std::string_view text);

}  // namespace ocg

#endif  // OCG_CLI_DISPATCH_H_
