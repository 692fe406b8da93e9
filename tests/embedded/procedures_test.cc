#include "embedded/procedures.h"

#include <gtest/gtest.h>

#include <string>

namespace ocg {
namespace {

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
