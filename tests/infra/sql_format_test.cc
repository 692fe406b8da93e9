#include "infra/sql_format.h"

#include <gtest/gtest.h>

#include <string>

namespace ocg {
namespace {

const DateTime kMoment{2026, 12, 6, 9, 5, 7};

TEST(SqlFormatTest, TrataNumero) {
  struct Case {
    const char* name;
    Value in, want;
  };
  const Case cases[] = {
      {"one foreign point turned local", Value::Text("12.5"), Value::Text("12,5")},
      {"two are grouping, unchanged", Value::Text("1.234.567"), Value::Text("1.234.567")},
      {"null is integer zero", Value::Null(), Value::Int32(0)},
      {"double keeps its kind", Value::Double(12.5), Value::Double(12.5)},
      {"array falls back to zero", Value::Array({}), Value::Int32(0)},
  };
  for (const Case& c : cases) EXPECT_EQ(c.want, gTrata_Numero(c.in)) << c.name;

  Value field = Value::Text("7");
  Value got = gTrata_Numero(Value::Ref(&field));
  field = Value::Text("8");
  EXPECT_EQ(Value::Text("7"), got) << "a reference is detached";
}

TEST(SqlFormatTest, LiteralsAndNull) {
  struct Case {
    const char* name;
    Value in;
    const char *data_sql, *texto_sql;
  };
  const Case cases[] = {
      {"null", Value::Null(), "null", "null"},
      {"date", Value::Date(kMoment), "'2026/12/06 09:05'", "'06/12/2026 09:05:07'"},
      {"day-first date text", Value::Text("01/01/2003"), "'2003/01/01 00:00'", "'01/01/2003'"},
      {"not a date", Value::Text("abc"), "'abc'", "'abc'"},
      {"inner quote untouched", Value::Text("d'agua"), "'d'agua'", "'d'agua'"},
      {"number", Value::Double(1.5), "'1899/12/31 12:00'", "'1,5'"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.data_sql, gData_SQL(c.in)) << c.name;
    EXPECT_EQ(c.texto_sql, gTexto_SQL(c.in)) << c.name;
  }
}

TEST(SqlFormatTest, NuloVazioAndZeroNulo) {
  EXPECT_EQ(Value::Text(""), gNulo_Vazio(Value::Null()));
  EXPECT_EQ(Value(), gNulo_Vazio(Value()));
  EXPECT_EQ(Value::Int32(3), gNulo_Vazio(Value::Int32(3)));

  struct Case {
    const char* name;
    Value in, want;
  };
  const Case cases[] = {
      {"comma stops the read", Value::Text("0,5"), Value::Text("null")},
      {"empty", Value(), Value::Text("null")},
      {"number kept", Value::Int32(12), Value::Int32(12)},
      {"leading digits kept whole", Value::Text("12abc"), Value::Text("12abc")},
  };
  for (const Case& c : cases) {
    Result<Value> got = gZero_Nulo(c.in);
    ASSERT_TRUE(got.ok()) << c.name;
    EXPECT_EQ(c.want, got.value()) << c.name;
  }
  EXPECT_EQ(94, gZero_Nulo(Value::Null()).status().number());
}

TEST(SqlFormatTest, VirgulaPonto) {
  const char* const cases[][2] = {{"1.000,50", "1.000.50"}, {"", ""}};
  for (const auto& c : cases) {
    std::string got = "stale";
    EXPECT_TRUE(gVirgula_Ponto(c[0], &got)) << c[0];
    EXPECT_EQ(c[1], got) << c[0];
  }
}

TEST(SqlFormatTest, RetiraEspeciais) {
  struct Case {
    const char* name;
    std::string in;
    const char* want;
  };
  const Case cases[] = {
      {"blanks only", "   ", ""},
      {"all ten removed, blanks kept", " x'<>();%&+\"y ", " xy "},
      {"others kept", "São Paulo - SP, nº 5/6", "São Paulo - SP, nº 5/6"},
      {"long text of blanks", std::string(40000, ' '), ""},
  };
  for (const Case& c : cases) {
    Result<std::string> got = gRetira_Especiais(c.in);
    ASSERT_TRUE(got.ok()) << c.name;
    EXPECT_EQ(c.want, got.value()) << c.name;
  }
  EXPECT_TRUE(gRetira_Especiais(std::string(32767, 'a')).ok());
  EXPECT_EQ(5, gRetira_Especiais(std::string(32768, 'a')).status().number());
}

struct ConditionCase {
  const char* name;
  Value in;
  const char* op;
  std::string want;
};

TEST(SqlFormatTest, CondicaoNumero) {
  const ConditionCase cases[] = {
      {"comma decimal below one is absent", Value::Text("0,5"), "=", " is null"},
      {"empty text is absent", Value::Text(""), "<>", " is not null"},
      {"letters are absent", Value::Text("abc"), ">", " null"},
      {"number", Value::Int32(15), "=", " = 15"},
      {"a negative number is present", Value::Text("-5"), "<", " < -5"},
      {"no operator leaves two blanks", Value::Int32(15), "", "  15"},
      {"point read as decimal, text kept", Value::Text(" 0.5"), "=", " =  0.5"},
  };
  for (const ConditionCase& c : cases) {
    Result<std::string> got = gCondicao_Numero(c.in, c.op);
    ASSERT_TRUE(got.ok()) << c.name;
    EXPECT_EQ(c.want, got.value()) << c.name;
  }
  EXPECT_EQ(94, gCondicao_Numero(Value::Null(), "=").status().number());
}

TEST(SqlFormatTest, CondicaoTexto) {
  const ConditionCase cases[] = {
      {"upper-cased with accents", Value::Text("são"), "=", " = 'SÃO'"},
      {"empty text", Value::Text(""), "<>", " IS NOT NULL"},
      {"null, no operator", Value::Null(), "", " NULL"},
      {"zero is present", Value::Int32(0), "", "  '0'"},
  };
  for (const ConditionCase& c : cases) EXPECT_EQ(c.want, gCondicao_Texto(c.in, c.op)) << c.name;
}

TEST(SqlFormatTest, CondicaoData) {
  const std::string suffix = "', 'yyyy/mm/dd hh24:mi:ss')";
  const ConditionCase cases[] = {
      {"date", Value::Date(kMoment), "=", " = to_date('2026/12/06 09:05:07" + suffix},
      {"day-first text, no operator", Value::Text("06/12/2026"), "",
       "  to_date('2026/12/06 00:00:00" + suffix},
      {"not a date goes in as it is", Value::Text("abc"), "<", " < to_date('abc" + suffix},
      {"empty text", Value::Text(""), "<>", " is not null"},
  };
  for (const ConditionCase& c : cases) EXPECT_EQ(c.want, gCondicao_Data(c.in, c.op)) << c.name;
}

}  // namespace
}  // namespace ocg
