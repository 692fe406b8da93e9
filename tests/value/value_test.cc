#include "value/value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "value/text.h"

namespace ocg {
namespace {

template <typename In, typename Want>
struct Row {
  const char* name;
  In in;
  Want want;
};

TEST(ValueTest, ParseLocaleNumber) {
  const Row<const char*, double> cases[] = {
      {"comma is the decimal", "12,5", 12.5},
      {"point groups", "1.234,5", 1234.5},
      {"a lone point still groups", "12.5", 125},
      {"blanks, sign", "  -3,25 ", -3.25},
      {"no whole part", ",5", 0.5},
      {"exponent as printed", "1,5E+20", 1.5e20},
  };
  for (const auto& c : cases) {
    std::optional<double> got = ParseLocaleNumber(c.in);
    ASSERT_TRUE(got.has_value()) << c.name;
    EXPECT_DOUBLE_EQ(c.want, *got) << c.name;
  }
  for (const char* in : {"", "abc", "1,2,3", "-", ".5", "1 2"}) {
    EXPECT_FALSE(ParseLocaleNumber(in).has_value()) << in;
  }
}

// Each number in the platform's form and in C's "%.15g" form.
TEST(ValueTest, FormatNumber) {
  struct Case {
    const char* name;
    double in;
    const char* platform;
    const char* c_form;
  };
  const Case cases[] = {
      {"decimal comma", 12.5, "12,5", "12.5"},
      {"zeros after the comma", 0.05, "0,05", "0.05"},
      {"negative whole pads zeros", -300, "-300", "-300"},
      {"negative zero", -0.0, "0", "-0"},
      {"fifteen digits", 0.12345678901234567, "0,123456789012346", "0.123456789012346"},
      {"largest plain", 999999999999999, "999999999999999", "999999999999999"},
      {"1E15 is exponent form", 1e15, "1E+15", "1e+15"},
      {"rounds up into exponent form", 999999999999999.9, "1E+15", "1e+15"},
      {"rounds down below it", 999999999999999.4, "999999999999999", "999999999999999"},
      {"rounding carries to a new digit", 0.99999999999999995, "1", "1"},
      {"large with fraction digits", -1.5e20, "-1,5E+20", "-1.5e+20"},
      {"1E-15 is still plain", 1e-15, "0,000000000000001", "1e-15"},
      {"C turns at 1E-5", 0.00001, "0,00001", "1e-05"},
      {"tiny", 1.25e-16, "1,25E-16", "1.25e-16"},
      {"largest double", 1.7976931348623157e308, "1,79769313486232E+308", "1.79769313486232e+308"},
      {"smallest double", -4.9406564584124654e-324, "-4,94065645841247E-324",
       "-4.94065645841247e-324"},
      {"not a number", std::nan(""), "NaN", "nan"},
      {"infinite", -HUGE_VAL, "-Infinity", "-inf"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.platform, FormatNumber(c.in)) << c.name;
    EXPECT_EQ(c.c_form, FormatC15(c.in)) << c.name;
  }
}

TEST(ValueTest, LeadingNumber) {
  const Row<const char*, double> cases[] = {
      {"blanks, sign, exponent, then anything", " \t-12.5e2x", -1250},
      {"a point first", ".5", 0.5},
      {"a point last", "5.", 5},
      {"an exponent without digits stops before it", "1e+", 1},
      {"the comma is no decimal here", "12,5", 12},
      {"too large", "1e400", HUGE_VAL},
      {"too small", "-1e-400", 0},
      {"zeros are no size", "0000.5e-400", 0},
      {"no number", "abc", 0},
      {"a sign alone", "+", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(c.want, LeadingNumber(c.in)) << c.name;
  EXPECT_EQ(0, LeadingNumber("0." + std::string(400, '0') + "1")) << "too small without exponent";
}

TEST(ValueTest, ToInt32) {
  const Row<Value, int32_t> cases[] = {
      {"empty is zero", Value(), 0},
      {"half to even down", Value::Double(2.5), 2},
      {"half to even up", Value::Double(3.5), 4},
      {"negative half", Value::Double(-2.5), -2},
      {"comma text", Value::Text("2,5"), 2},
      {"true is minus one", Value::Bool(true), -1},
      {"the largest", Value::Double(2147483647), 2147483647},
      {"the smallest, as text", Value::Text("-2147483648"), -2147483647 - 1},
  };
  for (const auto& c : cases) {
    Result<int32_t> got = c.in.ToInt32();
    ASSERT_TRUE(got.ok()) << c.name;
    EXPECT_EQ(c.want, got.value()) << c.name;
  }
  const Row<Value, int> failures[] = {
      {"null", Value::Null(), 94},
      {"letters", Value::Text("abc"), 13},
      {"past the top", Value::Double(2147483647.5), 6},
      {"one past the largest", Value::Text("2147483648"), 6},
      {"one below the smallest", Value::Double(-2147483649.0), 6},
  };
  for (const auto& f : failures) EXPECT_EQ(f.want, f.in.ToInt32().status().number()) << f.name;
  EXPECT_EQ(6, Value::Text("-32.769").ToInt16().status().number());
}

TEST(ValueTest, ToText) {
  const Row<Value, const char*> cases[] = {
      {"empty", Value(), ""},
      {"double", Value::Double(1234.5), "1234,5"},
      {"midnight date", Value::Date({2026, 12, 6}), "06/12/2026"},
      {"date with time", Value::Date({2026, 12, 6, 9, 5, 0}), "06/12/2026 09:05:00"},
      {"true", Value::Bool(true), "True"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.want, c.in.ToText().value()) << c.name;
  EXPECT_EQ(94, Value::Null().ToText().status().number());
  EXPECT_EQ(13, Value::Array({Value::Int32(1)}).ToText().status().number());
}

TEST(ValueTest, IsNumeric) {
  EXPECT_TRUE(Value().IsNumeric());
  EXPECT_FALSE(Value::Text("").IsNumeric());
  EXPECT_FALSE(Value::Date({2026, 1, 1}).IsNumeric());
}

TEST(ValueTest, Compare) {
  struct Case {
    const char* name;
    Value a, b;
    std::optional<int> want;
  };
  const Case cases[] = {
      {"null has no order", Value::Null(), Value::Int32(1), std::nullopt},
      {"texts by bytes", Value::Text("10"), Value::Text("9"), -1},
      {"number against numeric text", Value::Int32(10), Value::Text("9"), 1},
      {"numeric text against number", Value::Text("9"), Value::Int32(10), -1},
      {"number below other text", Value::Int32(99), Value::Text("abc"), -1},
      {"empty is zero", Value(), Value::Int32(0), 0},
      {"empty is the empty text", Value(), Value::Text(""), 0},
      {"date against date text", Value::Date({2026, 2, 1}), Value::Text("01/02/2026"), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(c.want, Value::Compare(c.a, c.b)) << c.name;
}

TEST(ValueTest, ArrayCopiesDoNotShareWrites) {
  Value original = Value::Array({Value::Int32(1), Value::Int32(2)});
  Value copy = original;
  original.mutable_array()[0] = Value::Text("changed");
  copy.mutable_array().push_back(Value::Int32(3));
  EXPECT_EQ(Value::Int32(1), copy.array()[0]);
  EXPECT_EQ(2u, original.array().size());
}

TEST(ValueTest, RefReadsTheLiveTarget) {
  Value field = Value::Text("12,5");
  Value ref = Value::Ref(&field);
  EXPECT_DOUBLE_EQ(12.5, ref.ToDouble().value());
  field = Value::Null();
  EXPECT_TRUE(ref.is_null());
}

TEST(TextTest, CountsCharactersNotBytes) {
  struct Case {
    const char *name, *in;
    size_t length;
    const char* mid_2_3;  // CharMid(in, 2, 3)
  };
  const Case cases[] = {
      {"accents", "ação!", 5, "ção"},
      {"stray latin-1 bytes", "a\xE7\xE3o", 4, "\xE7\xE3o"},
      {"a lead byte after a lead byte (Latin-1 ÃÃ)", "\xC3\xC3", 2, "\xC3"},
      {"past the end", "é", 1, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.length, CharLength(c.in)) << c.name;
    EXPECT_EQ(c.mid_2_3, CharMid(c.in, 2, 3)) << c.name;
  }
}

TEST(TextTest, ToUpperText) {
  const Row<const char*, const char*> cases[] = {
      {"accents", "rua ação áàâäéêíóôõúü", "RUA AÇÃO ÁÀÂÄÉÊÍÓÔÕÚÜ"},
      {"no capital", "÷ß", "÷ß"},
      {"y diaeresis", "ÿ", "Ÿ"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.want, ToUpperText(c.in)) << c.name;
}

}  // namespace
}  // namespace ocg
