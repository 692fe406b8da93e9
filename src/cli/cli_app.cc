#include "cli/cli_app.h"

#include <CLI/CLI.hpp>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <limits>
#include <optional>
#include <sstream>

#include "cli/jobs_command.h"
#include "cli/sql_command.h"
#include "cli/value_json.h"
#include "embedded/database.h"
#include "infra/connection_string.h"
#include "infra/trace.h"

namespace ocg {
namespace {

// A user identifier is a whole number that fits 32 bits, nothing else:
// "1.0" must not become user 10 by the Brazilian reading of ".".
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

// Reads standard input up to one byte past the argument limit, so that an
// endless or huge input is refused without being held whole.
std::string ReadStandardInput() {
  std::string text;
  char buf[65536];
  while (text.size() <= kMaxArgumentsBytes && std::cin.read(buf, sizeof buf).gcount() > 0) {
    text.append(buf, static_cast<size_t>(std::cin.gcount()));
  }
  return text;
}

std::string EnvOr(const char* name, const std::string& fallback) {
  if (!fallback.empty()) return fallback;
  const char* v = std::getenv(name);
  return v == nullptr ? "" : v;
}

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

int CallCommand(const std::string& name, const std::string& args_text,
                const CommonDefaults& defaults, std::ostream& out, std::ostream& err) {
  const OperationInfo* op = FindOperation(name);
  if (op == nullptr) {
    err << "ocg: unknown operation '" << name << "' (see: ocg operations)\n";
    return 2;
  }
  std::string text = args_text == "-" ? ReadStandardInput() : args_text;
  if (text.empty()) text = "{}";
  nlohmann::ordered_json input;
  Status st = ParseArgumentsJson(text, &input);
  if (st.ok()) {
    std::vector<Value> args;
    st = BuildArguments(*op, input, defaults, &args);
    if (st.ok()) {
      Ocg ocg;
      Value result = op->invoke(ocg, args);
      out << DescribeCall(*op, result, args)
                 .dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
          << "\n";
      out.flush();
      if (!out) {
        err << "ocg: the answer could not be written to standard output\n";
        return 3;
      }
      return IsSuccessResult(*op, result) ? 0 : 1;
    }
  }
  err << "ocg: " << st.description() << "\n";
  return 2;
}

}  // namespace

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
      st = CheckTyped(op.arguments[i], (*args)[i]);
      if (!st.ok()) return st;
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
    st = CheckTyped(op.arguments[index], (*args)[index]);
    if (!st.ok()) return st;
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

int RunCli(int argc, char** argv, std::ostream& out, std::ostream& err) {
  CLI::App app{"ocg: the collection-order service (ordem de coleta)", "ocg"};
  app.require_subcommand(1);

  std::string op_name, args_text, trace_file;
  CommonDefaults defaults;
  CLI::App* call = app.add_subcommand("call", "Call one operation and print its arguments");
  call->add_option("operation", op_name, "Operation name (see: ocg operations)")->required();
  call->add_option("args", args_text, "JSON object by argument name, or array; - for stdin");
  call->add_option("--connect", defaults.connection,
                   "Connection string, e.g. \"Data Source=demo.db\" (env OCG_CONNECT)");
  call->add_option("--kind", defaults.kind, "Database kind: ORACLE or SQLSERVER (env OCG_DB_KIND)");
  call->add_option("--user", defaults.user, "Calling user identifier (env OCG_USER)");
  call->add_option("--trace", trace_file, "Append one JSON line per statement (env OCG_SQL_TRACE)");

  CLI::App* ops = app.add_subcommand("operations", "List the operations and their arguments");

  std::string db_path;
  bool demo = false;
  CLI::App* init = app.add_subcommand("init-db", "Create an embedded database");
  init->add_option("path", db_path, "Database file to create")->required();
  init->add_flag("--demo", demo, "Fill it with the demonstration data set");

  std::string jobs_connection;
  std::optional<int32_t> jobs_status;
  bool jobs_json = false;
  CLI::App* jobs = app.add_subcommand("jobs", "List the registered jobs and their parameters");
  jobs->add_option("--connect", jobs_connection, "Connection string (env OCG_CONNECT)");
  jobs->add_option("--status", jobs_status, "Only the jobs in this status");
  jobs->add_flag("--json", jobs_json, "Print JSON instead of a table");

  std::string sql_db, sql_script;
  bool sql_json = false;
  CLI::App* sql = app.add_subcommand(
      "sql", "Run SQL on an embedded database as the operations run it (one transaction)");
  sql->add_option("db", sql_db, "Database file")->required();
  sql->add_option("statement", sql_script, "Statements; absent or - reads standard input");
  sql->add_flag("--json", sql_json, "Print each result as one JSON line");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    std::ostringstream help_out, help_err;
    int code = app.exit(e, help_out, help_err);
    out << help_out.str();
    err << help_err.str();
    return code == 0 ? 0 : 2;
  }

  if (*call) {
    defaults.connection = EnvOr("OCG_CONNECT", defaults.connection);
    defaults.kind = EnvOr("OCG_DB_KIND", defaults.kind);
    defaults.user = EnvOr("OCG_USER", defaults.user);
    if (!defaults.user.empty() && !ParseUserId(defaults.user)) {
      err << "ocg: the user (--user or OCG_USER) must be a whole number, not '" << defaults.user
          << "'\n";
      return 2;
    }
    Status traced = trace_file.empty() ? ConfigureTraceFromEnvironment() : SetTraceFile(trace_file);
    if (!traced.ok()) {
      err << "ocg: " << traced.description() << "\n";
      return 2;
    }
    return CallCommand(op_name, args_text, defaults, out, err);
  }
  if (*jobs) {
    jobs_connection = EnvOr("OCG_CONNECT", jobs_connection);
    if (jobs_connection.empty()) {
      err << "ocg: jobs needs a connection string (--connect or OCG_CONNECT)\n";
      return 2;
    }
    return RunJobsCommand(jobs_connection, jobs_status, jobs_json, out, err);
  }
  if (*ops) {
    int slot = 1;
    for (const OperationInfo& op : Operations()) {
      out << slot++ << ". " << OperationSignature(op) << "\n";
    }
    return 0;
  }
  if (*sql) {
    if (sql_script.empty() || sql_script == "-") {
      sql_script.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    }
    return RunSqlCommand(sql_db, sql_script, sql_json, out, err);
  }
  if (*init) {
    Status st = CreateDatabase(db_path, demo);
    if (!st.ok()) {
      err << "ocg: " << st.description() << "\n";
      return 2;
    }
    out << "Created " << db_path << (demo ? " with the demonstration data set" : "") << "\n";
    return 0;
  }
  return 2;
}

}  // namespace ocg
