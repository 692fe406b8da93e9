#include "embedded/procedures.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cctype>
#include <memory>
#include <set>
#include <string>

#include "embedded/embedded_sql.h"
#include "embedded/sql_functions.h"
#include "value/text.h"

namespace ocg {
namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Every script must compile against the schema and use only the parameters
// its header declares; otherwise a call fails at run time with 137.
TEST(ProceduresTest, ScriptsMatchTheSchemaAndTheirHeaders) {
  sqlite3* raw = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open(":memory:", &raw));
  std::unique_ptr<sqlite3, decltype(&sqlite3_close_v2)> db(raw, &sqlite3_close_v2);
  ASSERT_TRUE(RegisterSqlFunctions(raw).ok());
  const CallContext context;
  ASSERT_TRUE(RegisterContextFunction(raw, &context).ok());
  for (const auto& [file, text] : EmbeddedSqlFiles()) {
    if (file == "schema.sql") {
      ASSERT_EQ(SQLITE_OK, sqlite3_exec(raw, std::string(text).c_str(), nullptr, nullptr, nullptr))
          << sqlite3_errmsg(raw);
    }
  }
  ASSERT_FALSE(AllProcedures().empty());
  for (const ProcedureScript& p : AllProcedures()) {
    EXPECT_EQ(0u, p.name.rfind("SP_", 0)) << p.name;
    EXPECT_EQ(&p, FindProcedure(Lower(p.name))) << p.name;
    std::set<std::string> declared;
    for (const std::string& param : p.params) declared.insert(Lower(param));
    const char* sql = p.sql.c_str();
    while (*sql != '\0') {
      sqlite3_stmt* stmt = nullptr;
      const char* tail = nullptr;
      ASSERT_EQ(SQLITE_OK, sqlite3_prepare_v2(raw, sql, -1, &stmt, &tail))
          << p.name << ": " << sqlite3_errmsg(raw);
      for (int k = 1; stmt != nullptr && k <= sqlite3_bind_parameter_count(stmt); ++k) {
        const char* name = sqlite3_bind_parameter_name(stmt, k);
        ASSERT_NE(nullptr, name) << p.name << " uses a nameless parameter";
        EXPECT_EQ(1u, declared.count(Lower(name + 1))) << p.name << " does not declare " << name;
      }
      sqlite3_finalize(stmt);
      sql = tail;
    }
  }
}

// A typed parameter takes its argument as a server converts a call's
// argument: what the server refuses, the engine refuses with the same number.
TEST(ProceduresTest, ArgumentsConvertAsOnAServer) {
  struct Case {
    const char* name;
    Value in;
    ParamType type;
    Value want;  // Empty: refused
    int64_t number = 0;
  };
  auto T = [](const char* s) { return Value::Text(s); };
  const Case cases[] = {
      {"number text to int", T(" 150 "), ParamType::kInt, Value::Int32(150)},
      {"empty text to int is 0", T(""), ParamType::kInt, Value::Int32(0)},
      {"letters after the digits", T("150abc"), ParamType::kInt, Value(), 8114},
      {"decimal text to int", T("1.5"), ParamType::kInt, Value(), 8114},
      {"decimal comma", T("1,5"), ParamType::kFloat, Value(), 8114},
      {"fraction to int", Value::Double(1.5), ParamType::kInt, Value(), 8114},
      {"whole double to int", Value::Double(3), ParamType::kInt, Value::Int32(3)},
      {"past 32 bits", Value::Double(1e20), ParamType::kInt, Value(), 8115},
      {"int's upper limit", T("2147483647"), ParamType::kInt, Value::Int32(2147483647)},
      {"one past it", T("2147483648"), ParamType::kInt, Value(), 8115},
      {"point decimal to float", T("12.5"), ParamType::kFloat, Value::Double(12.5)},
      {"number to varchar", Value::Int32(150), ParamType::kText, T("150")},
      {"null stays null", Value::Null(), ParamType::kInt, Value::Null()},
      {"date text", T("06/12/2026"), ParamType::kDate, Value::Date({2026, 12, 6, 0, 0, 0})},
      {"not a date", T("31/02/2026"), ParamType::kDate, Value(), 241},
  };
  for (const Case& c : cases) {
    Result<Value> got = ConvertArgument(c.in, c.type);
    if (c.number != 0) {
      EXPECT_EQ(c.number, got.status().number()) << c.name;
    } else {
      ASSERT_TRUE(got.ok()) << c.name << ": " << got.status().ToString();
      EXPECT_TRUE(c.want == got.value()) << c.name << ": " << got.value().TextOrEmpty();
    }
  }
}

}  // namespace
}  // namespace ocg
