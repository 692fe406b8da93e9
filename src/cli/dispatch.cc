#include "cli/dispatch.h"

#include <limits>
#include <utility>

#include "cli/value_json.h"
#include "component/ocg.h"
#include "infra/connection_string.h"

namespace ocg {
namespace {

Status CheckTyped(const ArgumentInfo& arg, const Value& v) {
  if (arg.type == ArgType::kText && !v.is_text() && !v.is_empty()) {
    return Status::Error("argument " + std::string(arg.name) + " must be a string", 13);
  }
  if (arg.type == ArgType::kInt32 && v.kind() != Value::Kind::kInt32 && !v.is_empty()) {
    return Status::Error("argument " + std::string(arg.name) + " must be a 32-bit whole number",
                         13);
  }
  return Status();
}

Value DefaultFor(const ArgumentInfo& arg, const CommonDefaults& d) {
  switch (arg.role) {
    case CommonRole::kConnection:
      if (!d.connection.empty()) return Value::Text(d.connection);
      break;
    case CommonRole::kDatabaseKind:
      if (!d.kind.empty()) return Value::Text(d.kind);
      break;
    case CommonRole::kUser:
      if (!d.user.empty()) {
        std::optional<int32_t> user = ParseUserId(d.user);
        return user ? Value::Int32(*user) : Value::Text(d.user);
      }
      break;
    default:
      break;
  }
  return Value();
}

CallAnswer Refused(CallOutcome outcome, std::string operation, std::string why) {
  CallAnswer a;
  a.outcome = outcome;
  a.operation = std::move(operation);
  a.error = std::move(why);
  return a;
}

}  // namespace

std::optional<int32_t> ParseUserId(std::string_view text) {
  int64_t v = 0;
  size_t i = text.size() > 0 && text[0] == '-' ? 1 : 0;
  if (i == text.size() || text.size() - i > 10) return std::nullopt;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    v = v * 10 + (text[i] - '0');
  }
  if (text[0] == '-') v = -v;
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<int32_t>(v);
}

std::string OperationSignature(const OperationInfo& op) {
  std::string s(op.name);
  s += "(";
  for (size_t i = 0; i < op.arguments.size(); ++i) {
    if (i > 0) s += ", ";
    s += op.arguments[i].name;
  }
  s += op.result == ResultKind::kBoolean ? ") -> Boolean" : ") -> Value";
  return s;
}

Status BuildArguments(const OperationInfo& op, const nlohmann::ordered_json& input,
                      const CommonDefaults& defaults, std::vector<Value>* args) {
  args->assign(op.arguments.size(), Value());
  if (input.is_array()) {
    if (input.size() != op.arguments.size()) {
      return Status::Error(std::string(op.name) + " takes " + std::to_string(op.arguments.size()) +
                               " arguments, the array has " + std::to_string(input.size()),
                           13);
    }
    for (size_t i = 0; i < input.size(); ++i) {
      Status st = ValueFromJson(input[i], &(*args)[i]);
      if (!st.ok()) {
        return Status::Error(
            "argument " + std::string(op.arguments[i].name) + ": " + st.description(), 13);
      }
      OCG_RETURN_IF_ERROR(CheckTyped(op.arguments[i], (*args)[i]));
    }
    return Status();
  }
  if (!input.is_object()) {
    return Status::Error("the arguments must be a JSON object or array", 13);
  }
  for (const auto& [key, value] : input.items()) {
    size_t index = op.arguments.size();
    for (size_t i = 0; i < op.arguments.size(); ++i) {
      if (op.arguments[i].name == key) index = i;
    }
    if (index == op.arguments.size()) {
      return Status::Error("unknown argument '" + key + "' for " + OperationSignature(op), 13);
    }
    Status st = ValueFromJson(value, &(*args)[index]);
    if (!st.ok()) return Status::Error("argument " + key + ": " + st.description(), 13);
    OCG_RETURN_IF_ERROR(CheckTyped(op.arguments[index], (*args)[index]));
  }
  for (size_t i = 0; i < op.arguments.size(); ++i) {
    if (!input.contains(std::string(op.arguments[i].name))) {
      (*args)[i] = DefaultFor(op.arguments[i], defaults);
    }
  }
  return Status();
}

nlohmann::ordered_json DescribeCall(const OperationInfo& op, const Value& result,
                                    const std::vector<Value>& args) {
  nlohmann::ordered_json arguments = nlohmann::ordered_json::object();
  for (size_t i = 0; i < op.arguments.size() && i < args.size(); ++i) {
    const bool secret = op.arguments[i].role == CommonRole::kConnection && args[i].is_text();
    arguments[std::string(op.arguments[i].name)] =
        secret ? ValueToJson(Value::Text(MaskConnectionString(args[i].text())))
               : ValueToJson(args[i]);
  }
  nlohmann::ordered_json call;
  call["operation"] = op.name;
  call["result"] = ValueToJson(result);
  call["arguments"] = std::move(arguments);
  return call;
}

bool IsSuccessResult(const OperationInfo& op, const Value& result) {
  if (result.kind() == Value::Kind::kBool) return result.boolean();
  return result.kind() == Value::Kind::kInt16 && result.int16() == 0;
}

CallAnswer CallOperation(std::string_view operation, std::string_view arguments_json,
                         const CallPolicy& policy) {
  const OperationInfo* op = FindOperation(operation);
  if (op == nullptr) {
    return Refused(CallOutcome::kUnknownOperation, std::string(operation),
                   "unknown operation '" + std::string(operation) + "'");
  }
  std::string name(op->name);
  nlohmann::ordered_json input;
  Status st = ParseArgumentsJson(arguments_json.empty() ? "{}" : arguments_json, &input);
  std::vector<Value> args;
  if (st.ok()) st = BuildArguments(*op, input, policy.defaults, &args);
  if (!st.ok()) return Refused(CallOutcome::kBadInput, name, st.description());

  // The connection argument as the answer shows it: the caller's own words.
  std::vector<std::pair<size_t, Value>> shown;
  for (size_t i = 0; i < op->arguments.size(); ++i) {
    const ArgumentInfo& arg = op->arguments[i];
    if (arg.role == CommonRole::kUser && policy.user) args[i] = Value::Int32(*policy.user);
    if (arg.role != CommonRole::kConnection || !policy.resolve_connection) continue;
    ResolvedConnection r = policy.resolve_connection(args[i]);
    if (r.outcome != CallOutcome::kSucceeded) return Refused(r.outcome, name, r.shown);
    args[i] = Value::Text(r.connection_string);
    shown.emplace_back(i, Value::Text(r.shown));
  }

  Ocg ocg;
  Value result = op->invoke(ocg, args);
  for (auto& [index, value] : shown) args[index] = std::move(value);

  CallAnswer a;
  a.outcome = IsSuccessResult(*op, result) ? CallOutcome::kSucceeded : CallOutcome::kFailed;
  a.operation = name;
  a.answer = DescribeCall(*op, result, args);
  a.result = std::move(result);
  return a;
}

}  // namespace ocg
