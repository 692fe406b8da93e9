#include "infra/sql_builder.h"

#include <gtest/gtest.h>

#include <functional>

#include "infra/session.h"

namespace ocg {
namespace {

using Method = std::function<Status(SqlBuilder&, const Value&)>;

// Each row appends one value after "x" with one routine and checks the piece
// appended; refused rows (true) must leave the statement refused (13), the
// others must not.
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
    bool refused = false;
  };
  const Case cases[] = {
      {"number", trata, T("15"), "15"},
      {"number with blanks", trata, T(" 15 "), " 15 "},
      {"negative decimal", trata, T("-1,5"), "-1,5", true},  // "-1,5" has a comma: broken SQL
      {"point decimal turns comma", trata, T("12.5"), "12,5", true},
      {"whole double", trata, Value::Double(3), "3"},
      {"exponent", trata, Value::Double(1e20), "1E+20"},
      {"null becomes 0", trata, Value::Null(), "0"},
      {"caller's null is not a number", trata, T("null"), "null", true},
      {"operator", trata, T("<> 5"), "<> 5", true},
      {"operator =", trata, T("= 1"), "= 1", true},
      {"null test", trata, T("IS NULL"), "IS NULL", true},
      {"null test, lower case", trata, T("is not null"), "is not null", true},
      {"typed SQL", trata, T("7 OR 1=1"), "7 OR 1=1", true},
      {"comment", trata, T("7023 -- x"), "7023 -- x", true},
      {"NUL byte", trata, T(std::string("120\0", 4)), "120", true},
      {"grouped", trata, T("1.234.567"), "1.234.567", true},
      {"zero is the routine's null", zero, Value::Int32(0), "null"},
      {"letters are the routine's null", zero, T("abc"), "null"},
      {"caller's null word", zero, T("null"), "null"},
      {"number stays", zero, T("12"), "12"},
      {"number then SQL", zero, T("12 OR 1=1"), "12 OR 1=1", true},
      {"condition", eq, Value::Int32(15), " = 15"},
      {"absent: null test", eq, T("abc"), " is null"},
      {"blank: null test", eq, T(" "), " is null"},
      {"operator text reads as absent", eq, T("<> 5"), " is null"},
      {"number then operator", eq, T("5 <> 6"), " = 5 <> 6", true},
      {"empty operator", bare, T("9"), "  9"},
      {"empty operator, absent", bare, T("0"), " null"},
      {"NUL after a number", bare, T(std::string("9\0", 2)), "  9", true},
      {"text", texto, T("150"), "'150'"},
      {"empty text is null", texto, T(""), "null"},
      {"caller's null is text", texto, T("null"), "'null'"},
      {"quote inside", texto, T("1'2"), "'1'2'", true},
      {"quote closing the literal", texto, T("a' OR 'x'='x"), "'a' OR 'x'='x'", true},
      {"text condition", ctexto, T("sp"), " <> 'SP'"},
      {"text condition, quote", ctexto, T("o'x"), " <> 'O'X'", true},
      {"text condition, absent", ctexto, T(""), " IS NOT NULL"},
      {"date condition", cdata, T("06/12/2026"),
       " = to_date('2026/12/06 00:00:00', 'yyyy/mm/dd hh24:mi:ss')"},
      {"date condition, not a date", cdata, T("x') or ('1"),
       " = to_date('x') or ('1', 'yyyy/mm/dd hh24:mi:ss')", true},
      {"date", data, T("06/12/2026 10:30"), "'2026/12/06 10:30'"},
      {"date, quote", data, T("it's"), "'it's'", true},
  };
  for (const Case& c : cases) {
    OperationScope scope(/*for_write=*/false);  // refusals last as long as the operation
    std::string sql = "x";
    SqlBuilder builder(&sql);
    Status st = c.method(builder, c.value);
    EXPECT_TRUE(st.ok()) << c.name << ": " << st.ToString();
    // The NUL row's piece holds the NUL: compare the bytes up to it.
    EXPECT_EQ(std::string("x") + c.want, sql.substr(0, sql.find('\0'))) << c.name;
    Status refusal = StatementRefusal(sql + " AND more");
    EXPECT_EQ(c.refused, !refusal.ok()) << c.name << ": " << refusal.ToString();
    if (c.refused) {
      EXPECT_EQ(13, refusal.number()) << c.name;
    }
    EXPECT_TRUE(StatementRefusal("x").ok()) << c.name << ": only what follows the piece";
  }
  std::string sql;
  SqlBuilder builder(&sql);
  EXPECT_EQ(94, builder.gZero_Nulo(Value::Null()).number()) << "the routine's own error";
  EXPECT_EQ(94, builder.gCondicao_Numero(Value::Null(), "=").number());
}

TEST(SqlBuilderTest, RefusalNamesThePieceShortAndReadable) {
  OperationScope scope(/*for_write=*/false);
  std::string sql = " a -";
  SqlBuilder builder(&sql);
  ASSERT_TRUE(builder.gTrata_Numero(Value::Text("-5")).ok());  // "--5" would open a comment
  EXPECT_EQ(13, StatementRefusal(sql).number());
  sql = " b ";
  ASSERT_TRUE(
      builder.gTrata_Numero(Value::Text(std::string(100, '(') + std::string(1, '\0'))).ok());
  Status refusal = StatementRefusal(sql);
  EXPECT_EQ(13, refusal.number());
  EXPECT_LT(refusal.description().size(), 100u) << refusal.description();
  EXPECT_EQ(std::string::npos, refusal.description().find('\0'));
}

}  // namespace
}  // namespace ocg
