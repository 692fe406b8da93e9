#include "infra/sql_builder.h"

#include <gtest/gtest.h>

#include <functional>

namespace ocg {
namespace {

using Method = std::function<Status(SqlBuilder&, const Value&)>;

// Each row appends one value after "x" with one routine; want is the piece
// appended, or nullptr when the builder must refuse it (13) and append nothing.
TEST(SqlBuilderTest, AppendsWhatTheRoutineWritesAndRefusesWhatTheCallerSmuggles) {
  const Method trata = [](SqlBuilder& b, const Value& v) { return b.gTrata_Numero(v); };
  const Method zero = [](SqlBuilder& b, const Value& v) { return b.gZero_Nulo(v); };
  const Method eq = [](SqlBuilder& b, const Value& v) { return b.gCondicao_Numero(v, "="); };
  const Method bare = [](SqlBuilder& b, const Value& v) { return b.gCondicao_Numero(v, ""); };
  const Method texto = [](SqlBuilder& b, const Value& v) { return b.gTexto_SQL(v); };
  const Method ctexto = [](SqlBuilder& b, const Value& v) { return b.gCondicao_Texto(v, "<>"); };
  const Method cdata = [](SqlBuilder& b, const Value& v) { return b.gCondicao_Data(v, "="); };
  const Method data = [](SqlBuilder& b, const Value& v) { return b.gData_SQL(v); };
  auto T = [](std::string s) { return Value::Text(std::move(s)); };
  struct Case {
    const char* name;
    const Method& method;
    Value value;
    const char* want;
  };
  const Case cases[] = {
      {"number", trata, T("15"), "15"},
      {"number with blanks", trata, T(" 15 "), " 15 "},
      {"negative decimal", trata, T("-1,5"), nullptr},  // "-1,5" has a comma: broken SQL
      {"point decimal turns comma", trata, T("12.5"), nullptr},
      {"whole double", trata, Value::Double(3), "3"},
      {"exponent", trata, Value::Double(1e20), "1E+20"},
      {"null becomes 0", trata, Value::Null(), "0"},
      {"caller's null is not a number", trata, T("null"), nullptr},
      {"operator", trata, T("<> 5"), nullptr},
      {"operator =", trata, T("= 1"), nullptr},
      {"null test", trata, T("IS NULL"), nullptr},
      {"null test, lower case", trata, T("is not null"), nullptr},
      {"typed SQL", trata, T("7 OR 1=1"), nullptr},
      {"comment", trata, T("7023 -- x"), nullptr},
      {"NUL byte", trata, T(std::string("120\0", 4)), nullptr},
      {"grouped", trata, T("1.234.567"), nullptr},
      {"zero is the routine's null", zero, Value::Int32(0), "null"},
      {"letters are the routine's null", zero, T("abc"), "null"},
      {"caller's null word", zero, T("null"), "null"},
      {"number stays", zero, T("12"), "12"},
      {"number then SQL", zero, T("12 OR 1=1"), nullptr},
      {"null is an error", zero, Value::Null(), nullptr},
      {"condition", eq, Value::Int32(15), " = 15"},
      {"absent: null test", eq, T("abc"), " is null"},
      {"blank: null test", eq, T(" "), " is null"},
      {"operator text reads as absent", eq, T("<> 5"), " is null"},
      {"number then operator", eq, T("5 <> 6"), nullptr},
      {"empty operator", bare, T("9"), "  9"},
      {"empty operator, absent", bare, T("0"), " null"},
      {"NUL after a number", bare, T(std::string("9\0", 2)), nullptr},
      {"text", texto, T("150"), "'150'"},
      {"empty text is null", texto, T(""), "null"},
      {"caller's null is text", texto, T("null"), "'null'"},
      {"quote inside", texto, T("1'2"), nullptr},
      {"quote closing the literal", texto, T("a' OR 'x'='x"), nullptr},
      {"text condition", ctexto, T("sp"), " <> 'SP'"},
      {"text condition, quote", ctexto, T("o'x"), nullptr},
      {"text condition, absent", ctexto, T(""), " IS NOT NULL"},
      {"date condition", cdata, T("06/12/2026"),
       " = to_date('2026/12/06 00:00:00', 'yyyy/mm/dd hh24:mi:ss')"},
      {"date condition, not a date", cdata, T("x') or ('1"), nullptr},
      {"date", data, T("06/12/2026 10:30"), "'2026/12/06 10:30'"},
      {"date, quote", data, T("it's"), nullptr},
  };
  for (const Case& c : cases) {
    std::string sql = "x";
    SqlBuilder builder(&sql);
    Status st = c.method(builder, c.value);
    if (c.want == nullptr) {
      EXPECT_FALSE(st.ok()) << c.name << " appended [" << sql << "]";
      EXPECT_EQ("x", sql) << c.name;
    } else {
      EXPECT_TRUE(st.ok()) << c.name << ": " << st.ToString();
      EXPECT_EQ(std::string("x") + c.want, sql) << c.name;
    }
  }
}

TEST(SqlBuilderTest, RefusalNamesThePieceShortAndReadable) {
  std::string sql = " a -";
  SqlBuilder builder(&sql);
  Status st = builder.gTrata_Numero(Value::Text("-5"));  // "--5" would open a comment
  ASSERT_FALSE(st.ok());
  EXPECT_EQ(13, st.number());
  st = builder.gTrata_Numero(Value::Text(std::string(100, '(') + std::string(1, '\0')));
  ASSERT_FALSE(st.ok());
  EXPECT_EQ(13, st.number());
  EXPECT_LT(st.description().size(), 100u) << st.description();
  EXPECT_EQ(std::string::npos, st.description().find('\0'));
  EXPECT_EQ(" a -", sql);
}

}  // namespace
}  // namespace ocg
