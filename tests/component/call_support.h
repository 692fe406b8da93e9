// call_support.h: calling an operation by name, as "ocg call" does, and
// reading back everything the call did.
#ifndef OCG_TESTS_COMPONENT_CALL_SUPPORT_H_
#define OCG_TESTS_COMPONENT_CALL_SUPPORT_H_

#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_app.h"
#include "cli/value_json.h"
#include "component/interface_table.h"
#include "infra/sql_format.h"
#include "test_support.h"

namespace ocg::testing {

struct CallOutcome {
  Value result;
  std::vector<Value> args;                 // in interface order, after the call
  nlohmann::ordered_json by_name;          // the same, by name, as "ocg call" prints them
  std::vector<nlohmann::json> statements;  // the trace's lines
  long new_log_rows = 0;
  std::string msg;  // the message argument as text
};

class OperationCaller {
 public:
  explicit OperationCaller(const TempDatabase& db) : db_(db), trace_(db.dir()) {}

  // Every argument in interface order from JSON by argument name; the
  // connection, kind and user are added where the JSON leaves them out.
  std::vector<Value> Arguments(std::string_view op, const std::string& args,
                               const std::string& kind, int user = 5) const {
    std::vector<Value> values;
    nlohmann::ordered_json input;
    EXPECT_TRUE(ParseArgumentsJson(args, &input).ok()) << args;
    Status st = BuildArguments(*FindOperation(op), input,
                               {db_.connection(), kind, std::to_string(user)}, &values);
    EXPECT_TRUE(st.ok()) << st.ToString();
    return values;
  }

  CallOutcome Call(std::string_view op, const std::string& args, const std::string& kind,
                   int user = 5) {
    return CallValues(op, Arguments(op, args, kind, user));
  }

  // values: every argument, in interface order.
  CallOutcome CallValues(std::string_view op, std::vector<Value> values) {
    const OperationInfo& info = *FindOperation(op);
    const long logs_before = db_.Count("LOG_MSG");
    trace_.Clear();
    Ocg ocg;
    CallOutcome o;
    o.result = info.invoke(ocg, values);
    o.by_name = DescribeCall(info, o.result, values)["arguments"];
    for (size_t i = 0; i < info.arguments.size(); ++i) {
      if (info.arguments[i].role == CommonRole::kMessage) o.msg = Cat(values[i]);
    }
    o.args = std::move(values);
    o.statements = trace_.Lines();
    o.new_log_rows = db_.Count("LOG_MSG") - logs_before;
    return o;
  }

  // The last statement a call ran, as the component built it (its message-log
  // row aside).
  static std::string LastStatement(const CallOutcome& o) {
    for (auto s = o.statements.rbegin(); s != o.statements.rend(); ++s) {
      const std::string sql = (*s)["sql"].get<std::string>();
      if (!sql.starts_with("INSERT INTO LOG_MSG")) return sql;
    }
    return "";
  }

 private:
  const TempDatabase& db_;
  TraceCapture trace_;
};

// A call answered under both kinds: its result and the named arguments want
// lists (JSON texts), nothing logged, and every argument the same under both
// kinds but the kind itself and the one named by differs.
struct Answer {
  const char* name;
  const char* op;
  std::string args;
  const char* result;
  std::string want;
  const char* differs = "";
};

inline void ExpectAnswers(OperationCaller& caller, const std::vector<Answer>& cases) {
  using nlohmann::ordered_json;
  for (const Answer& c : cases) {
    ordered_json first;
    for (const char* kind : {"ORACLE", "SQLSERVER"}) {
      const std::string name = std::string(c.name) + " / " + kind;
      CallOutcome o = caller.Call(c.op, c.args, kind);
      EXPECT_EQ(ordered_json::parse(c.result), ValueToJson(o.result)) << name << ": " << o.msg;
      const ordered_json wanted = ordered_json::parse(c.want);
      for (const auto& [key, want] : wanted.items()) {
        EXPECT_EQ(want, o.by_name[key]) << name << ": " << key;
      }
      EXPECT_EQ(0, o.new_log_rows) << name;
      for (const ArgumentInfo& a : FindOperation(c.op)->arguments) {
        if (a.role == CommonRole::kDatabaseKind || a.name == c.differs) {
          o.by_name.erase(std::string(a.name));
        }
      }
      if (first.is_null()) {
        first = o.by_name;
      } else {
        EXPECT_EQ(first, o.by_name) << name << ": the kinds disagree";
      }
    }
  }
}

// A run-time error under kind: for the user 5 the message is user_text alone,
// for the user 1 the detail follows; one LOG_MSG row names the procedure.
// Returns the user 5's outcome.
inline CallOutcome ExpectTrap(OperationCaller& caller, const TempDatabase& db, const char* name,
                              const char* op, const std::string& args, const char* kind,
                              std::string_view user_text, std::string_view qualified) {
  const std::string logged = std::string(user_text) + " " + std::string(qualified);
  CallOutcome first;
  for (int user : {5, 1}) {
    const std::string row = std::string(name) + " / " + kind + " / user " + std::to_string(user);
    CallOutcome o = caller.Call(op, args, kind, user);
    EXPECT_TRUE(o.result == Value::Int16(10) || o.result == Value::Bool(false)) << row;
    if (user == 1) {
      EXPECT_TRUE(o.msg.starts_with(logged + " ( ")) << row << ": " << o.msg;
    } else {
      EXPECT_EQ(user_text, o.msg) << row;
      first = o;
    }
    EXPECT_EQ(1, o.new_log_rows) << row;
    const Value msg01 = db.Scalar("SELECT MSG01 FROM LOG_MSG ORDER BY LOG_MSG_ID DESC");
    EXPECT_TRUE(Cat(msg01).starts_with(logged + " ")) << row << ": " << Cat(msg01);
  }
  return first;
}

}  // namespace ocg::testing

#endif  // OCG_TESTS_COMPONENT_CALL_SUPPORT_H_
