#include "infra/formatador.h"

#include <gtest/gtest.h>

namespace ocg {
namespace {

TEST(FormatadorTest, ConverteNumeroOrdersAsNumbers) {
  const Formatador f;
  Value ten, nine;
  ASSERT_TRUE(f.Converte_Numero(Value::Text("10"), ten).ok());
  ASSERT_TRUE(f.Converte_Numero(Value::Text("9"), nine).ok());
  EXPECT_EQ(1, Value::Compare(ten, nine));
  Value got = Value::Text("untouched");
  EXPECT_EQ(13, f.Converte_Numero(Value::Null(), got).number());
  EXPECT_EQ(Value::Text("untouched"), got);
}

TEST(FormatadorTest, FormataValor) {
  struct Case {
    const char* name;
    Value in;
    double want;
  };
  const Case cases[] = {
      {"comma column", Value::Text("12,5"), 12.5},
      {"a typed point is a decimal point, as gTrata_Numero reads it", Value::Text("1.5"), 1.5},
      {"blanks around, grouped", Value::Text(" 1.234.567 "), 1234567},
      {"empty text reads zero", Value::Text(""), 0},
      {"null reads zero", Value::Null(), 0},
      {"a sum as it prints", Value::Double(10.1 + 20.2), 30.3},
  };
  const Formatador f;
  for (const Case& c : cases) {
    Value got;
    ASSERT_TRUE(f.Formata_Valor(c.in, got).ok()) << c.name;
    EXPECT_EQ(Value::Double(c.want), got) << c.name;
  }
  Value got;
  for (const char* text : {"12 t", "1.234,5"}) {
    EXPECT_EQ(13, f.Formata_Valor(Value::Text(text), got).number()) << text;
  }
}

}  // namespace
}  // namespace ocg
