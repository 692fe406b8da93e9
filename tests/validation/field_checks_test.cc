#include "validation/field_checks.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <random>
#include <string>

#include "test_support.h"
#include "value/text.h"

namespace ocg {
namespace {

Value T(const char* s) { return Value::Text(s); }
const Value kS = T("S");
const Value kN = T("N");

// Written into msg and data_convertida before each call, to see whether the
// check touched them.
const Value kUntouched = T("untouched");

enum Check { kDate, kWhole, kNumber, kString };
const char* const kRoutines[] = {"gConsiste_Data", "gConsiste_Inteiro", "gConsiste_Numero",
                                 "gConsiste_String"};
const std::string kUserTexts[] = {
    "Acesso a consistência de datas não disponível. Favor tentar mais tarde. ",
    "Acesso a consistência de campo inteiro não disponível. Favor tentar mais tarde. ",
    "Acesso a consistência de campo numérico não disponível. Favor tentar mais tarde. ",
    "Acesso a consistência de campos alfanuméricos disponível. Favor tentar mais tarde. ",
};

// Runs one check on the label "Campo"; the text check takes low as its length.
bool RunCheck(Check check, Value& valor, Value low, Value high, Value usuario, Value& msg,
              Value required, Value& converted) {
  Value label = T("Campo");
  switch (check) {
    case kDate:
      return gConsiste_Data(label, valor, low, high, usuario, msg, converted, required);
    case kWhole:
      return gConsiste_Inteiro(label, valor, low, high, usuario, msg, required);
    case kNumber:
      return gConsiste_Numero(label, valor, low, high, usuario, msg, required);
    default:
      return gConsiste_String(label, valor, low, usuario, msg, required);
  }
}

struct Case {
  const char* name;
  Value valor, low, high, required;
  bool want;
  std::string want_msg;
  Value want_out;  // data_convertida of the date check, else valor as the caller sees it
};

void ExpectRows(Check check, std::initializer_list<Case> cases) {
  for (const Case& c : cases) {
    Value valor = c.valor, msg = kUntouched, converted = kUntouched;
    EXPECT_EQ(c.want,
              RunCheck(check, valor, c.low, c.high, Value::Int32(2), msg, c.required, converted))
        << c.name;
    EXPECT_EQ(c.want_msg, msg.TextOrEmpty()) << c.name;
    const Value& out = check == kDate ? converted : valor;
    EXPECT_TRUE(c.want_out == out) << c.name << ": " << out.TextOrEmpty();
  }
}

TEST(FieldChecksTest, Data) {
  const std::string length =
      "Preencha Campo com uma data válida, com 10 dígitos, no formato dd/mm/aaaa (Exemplo: "
      "13/10/2001)";
  const std::string validity =
      "Preencha Campo com uma data válida, no formato dd/mm/aaaa (Exemplo: 13/10/2001)";
  ExpectRows(kDate,
             {
                 {"trailing blanks pass the length", T("13/10/2001  "), Value(), Value::Null(), kS,
                  true, "untouched", T("2001/10/13")},
                 {"8 characters refused for length", T("1/2/2001"), T(""), T(""), kS, false, length,
                  kUntouched},
                 {"31 February refused for validity", T("31/02/2001"), T(""), T(""), kS, false,
                  validity, kUntouched},
                 {"year first is not day first", T("2001/10/13"), T(""), T(""), kS, false, validity,
                  kUntouched},
                 {"equal to minimum passes", T("13/10/2001"), T("13/10/2001"), T(""), kS, true,
                  "untouched", T("2001/10/13")},
                 {"before minimum refused but converted", T("12/10/2001"), T("13/10/2001"), T(""),
                  kS, false, "Campo deve ser igual ou maior que 13/10/2001", T("2001/10/12")},
                 {"bounds compared as dates, maximum inclusive", T("01/11/2001"), T("13/10/2001"),
                  T("01/11/2001"), kS, true, "untouched", T("2001/11/01")},
                 {"after maximum refused", T("14/10/2001"), T(""), T("13/10/2001"), kS, false,
                  "Campo deve ser igual ou menor que 13/10/2001", T("2001/10/14")},
                 {"optional empty passes", T(""), T(""), T(""), kN, true, "untouched", kUntouched},
                 {"lower-case n is mandatory, cleaned to empty", T("'()'"), T(""), T(""), T("n"),
                  false, "Preencha Campo", kUntouched},
             });
}

TEST(FieldChecksTest, WholeNumbers) {
  ExpectRows(
      kWhole,
      {
          {"thousands point refused", T("1.000"), T(""), T(""), kS, false,
           "O campo Campo não permite a digitação de números com uso de separador de milhar(.)",
           T("1.000")},
          {"comma refused", T("10,5"), T(""), T(""), kS, false,
           "O campo Campo não permite a digitação de números com casas decimais(,)", T("10,5")},
          {"9 below minimum 10", T("9"), T("10"), T(""), kS, false,
           "Campo deve ser igual ou maior que 10", T("9")},
          {"cleaned before the test, bounds inclusive", T("(10)"), T("10"), T("10"), kS, true,
           "untouched", T("10")},
          {"100 above maximum 99", T("100"), T(""), T("99"), kS, false,
           "Campo deve ser igual ou menor que 99", T("100")},
      });
}

TEST(FieldChecksTest, DecimalNumbers) {
  ExpectRows(kNumber,
             {
                 {"comma accepted", T("10,5"), T(""), T(""), kS, true, "untouched", T("10,5")},
                 {"letters", T("abc"), T(""), T(""), kS, false, "Preencha Campo com valor numérico",
                  T("abc")},
                 {"mandatory null", Value::Null(), T(""), T(""), kS, false, "Preencha Campo",
                  Value::Null()},
             });
}

// The text check takes low as its length.
TEST(FieldChecksTest, String) {
  const Value none = Value();
  const std::string five = "Preencha Campo com, no máximo, 5 caracteres.";
  ExpectRows(
      kString,
      {
          {"accents count once, limit inclusive", T("ação"), T("4"), none, kS, true, "untouched",
           T("ação")},
          {"zero is no limit", T("abcdef"), Value::Int32(0), none, kS, true, "untouched",
           T("abcdef")},
          {"empty is no limit", T("abcdef"), T(""), none, kS, true, "untouched", T("abcdef")},
          {"leading number of the length", T("abcdef"), T("5 letras"), none, kS, false, five,
           T("abcdef")},
          {"fractional length", T("abc"), T("2.5"), none, kS, false,
           "Preencha Campo com, no máximo, 2,5 caracteres.", T("abc")},
          {"removed characters not counted", T("a(b)c"), Value::Int32(3), none, kS, true,
           "untouched", T("abc")},
          {"mandatory blanks", T("   "), Value::Int32(3), none, kS, false, "Preencha Campo", T("")},
      });
}

// An array has no text and no number, and "x" is no bound: each check traps
// the error with its own text, and only the user 1 sees the detail.
TEST(FieldChecksTest, InternalErrorGivesUserText) {
  struct Case {
    const char* name;
    Check check;
    Value valor, low;
    int user;
  };
  const Case cases[] = {
      {"date, array bound", kDate, T("13/10/2001"), Value::Array({}), 2},
      {"date, array bound, user 1", kDate, T("13/10/2001"), Value::Array({}), 1},
      {"whole, text bound", kWhole, T("5"), T("x"), 1},
      {"number, array value", kNumber, Value::Array({}), Value(), 1},
      {"string, array length", kString, T("abc"), Value::Array({}), 1},
  };
  for (const Case& c : cases) {
    Value valor = c.valor, msg = kUntouched, converted;
    EXPECT_FALSE(RunCheck(c.check, valor, c.low, Value(), Value::Int32(c.user), msg, kS, converted))
        << c.name;
    const std::string m = msg.TextOrEmpty();
    if (c.user != 1) {
      EXPECT_EQ(kUserTexts[c.check], m) << c.name;
      continue;
    }
    const std::string head =
        kUserTexts[c.check] + " - LUMCCA." + kRoutines[c.check] + " (Type mismatch : 13)   No Nº ";
    EXPECT_TRUE(m.starts_with(head)) << c.name << ": " << m;
    EXPECT_GT(m.size(), head.size()) << c.name << ": no line";
  }
}

// Whatever value and bounds arrive, each check answers true with the message
// untouched, or false with a sentence of its own (naming the label) or its
// user text; a text value is left cleaned either way, unless it is too long to
// clean (then the check fails with its user text).
TEST(FieldChecksTest, RandomisedArguments) {
  const std::string own_prefixes[] = {
      "Preencha Campo",
      "Campo deve ser igual ou maior que ",
      "Campo deve ser igual ou menor que ",
      "O campo Campo não permite a digitação de números com ",
      "O mês da data do campo Campo deve ser menor ou igual a 12",
  };
  std::mt19937 rng(20261207u);
  int passed = 0, refused = 0;
  for (int i = 0; i < 4000; ++i) {
    const Check check = static_cast<Check>(rng() % 4);
    Value value = testing::RandomValue(rng);
    Value low = rng() % 3 == 0 ? testing::RandomValue(rng) : T("");
    Value high = rng() % 3 == 0 ? testing::RandomValue(rng) : T("");
    Value user = Value::Int32(rng() % 5 == 0 ? 1 : 2), msg = kUntouched, converted;
    Value required = T(rng() % 2 ? "S" : "N");
    const bool cleanable = value.is_text() && CharLength(value.text()) <= 32767;
    const bool ok = RunCheck(check, value, low, high, user, msg, required, converted);
    const std::string text = msg.TextOrEmpty();
    const std::string row = "call " + std::to_string(i) + " check " + std::to_string(check);
    if (cleanable) {
      EXPECT_EQ(std::string::npos, value.TextOrEmpty().find_first_of("'<>();%&+\"")) << row;
    }
    if (ok) {
      EXPECT_EQ("untouched", text) << row;
      ++passed;
      continue;
    }
    bool own = false;
    for (const std::string& p : own_prefixes) own |= text.starts_with(p);
    EXPECT_TRUE(own || text.starts_with(kUserTexts[check])) << row << " -> " << text;
    refused += own;
  }
  EXPECT_TRUE(passed > 100 && refused > 1000) << passed << " passed, " << refused << " refused";
}

}  // namespace
}  // namespace ocg
