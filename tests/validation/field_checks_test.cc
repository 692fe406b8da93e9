#include "validation/field_checks.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "test_support.h"

namespace ocg {
namespace {

Value T(const char* s) { return Value::Text(s); }

// Written into msg and data_convertida before each call, to see whether the
// check touched them.
const Value kUntouched = Value::Text("untouched");

TEST(FieldChecksTest, Data) {
  struct Case {
    const char* name;
    Value valor, minimo, maximo, obrigatorio;
    bool want;
    Value want_msg, want_converted;
  };
  const std::string length =
      "Preencha Entrega com uma data válida, com 10 dígitos, no formato "
      "dd/mm/aaaa (Exemplo: 13/10/2001)";
  const std::string validity =
      "Preencha Entrega com uma data válida, no formato dd/mm/aaaa (Exemplo: 13/10/2001)";
  const Case cases[] = {
      {"valid date converted", T("13/10/2001"), T(""), T(""), T("S"), true, kUntouched,
       T("2001/10/13")},
      {"trailing blanks pass the length", T("13/10/2001  "), Value(), Value::Null(), T("S"), true,
       kUntouched, T("2001/10/13")},
      {"8 characters refused for length", T("1/2/2001"), T(""), T(""), T("S"), false,
       Value::Text(length), kUntouched},
      {"31 February refused for validity", T("31/02/2001"), T(""), T(""), T("S"), false,
       Value::Text(validity), kUntouched},
      {"year first is not day first", T("2001/10/13"), T(""), T(""), T("S"), false,
       Value::Text(validity), kUntouched},
      {"equal to minimum passes", T("13/10/2001"), T("13/10/2001"), T(""), T("S"), true, kUntouched,
       T("2001/10/13")},
      {"before minimum refused but converted", T("12/10/2001"), T("13/10/2001"), T(""), T("S"),
       false, T("Entrega deve ser igual ou maior que 13/10/2001"), T("2001/10/12")},
      {"minimum compared as dates", T("01/11/2001"), T("13/10/2001"), T(""), T("S"), true,
       kUntouched, T("2001/11/01")},
      {"after maximum refused", T("14/10/2001"), T(""), T("13/10/2001"), T("S"), false,
       T("Entrega deve ser igual ou menor que 13/10/2001"), T("2001/10/14")},
      {"optional empty passes", T(""), T(""), T(""), T("N"), true, kUntouched, kUntouched},
      {"lower-case n is mandatory", T(""), T(""), T(""), T("n"), false, T("Preencha Entrega"),
       kUntouched},
      {"only removed characters is empty", T("'()'"), T(""), T(""), T("S"), false,
       T("Preencha Entrega"), kUntouched},
  };
  for (const Case& c : cases) {
    Value rotulo = T("Entrega"), valor = c.valor, minimo = c.minimo, maximo = c.maximo;
    Value usuario = Value::Int32(2), msg = kUntouched, conv = kUntouched, obr = c.obrigatorio;
    EXPECT_EQ(c.want, gConsiste_Data(rotulo, valor, minimo, maximo, usuario, msg, conv, obr))
        << c.name;
    EXPECT_EQ(c.want_msg.TextOrEmpty(), msg.TextOrEmpty()) << c.name;
    EXPECT_EQ(c.want_converted.TextOrEmpty(), conv.TextOrEmpty()) << c.name;
  }
}

TEST(FieldChecksTest, WholeAndDecimalNumbers) {
  struct Case {
    const char* name;
    bool decimal;  // gConsiste_Numero, else gConsiste_Inteiro
    Value valor, minimo, maximo, obrigatorio;
    bool want;
    const char* want_msg;
    Value want_valor;
  };
  const char* thousands =
      "O campo Qtde não permite a digitação de números com uso de separador de milhar(.)";
  const Case cases[] = {
      {"whole refuses thousands point", false, T("1.000"), T(""), T(""), T("S"), false, thousands,
       T("1.000")},
      {"whole refuses comma", false, T("10,5"), T(""), T(""), T("S"), false,
       "O campo Qtde não permite a digitação de números com casas decimais(,)", T("10,5")},
      {"number accepts comma", true, T("10,5"), T(""), T(""), T("S"), true, "untouched", T("10,5")},
      {"9 below minimum 10", false, T("9"), T("10"), T(""), T("S"), false,
       "Qtde deve ser igual ou maior que 10", T("9")},
      {"minimum is inclusive", false, T("10"), T("10"), T(""), T("S"), true, "untouched", T("10")},
      {"100 above maximum 99", false, T("100"), T(""), T("99"), T("S"), false,
       "Qtde deve ser igual ou menor que 99", T("100")},
      {"letters", true, T("abc"), T(""), T(""), T("S"), false, "Preencha Qtde com valor numérico",
       T("abc")},
      {"mandatory null", true, Value::Null(), T(""), T(""), T("S"), false, "Preencha Qtde",
       Value::Null()},
      {"cleaned before the test", false, T("(5)"), T("1"), T(""), T("S"), true, "untouched",
       T("5")},
  };
  for (const Case& c : cases) {
    Value rotulo = T("Qtde"), valor = c.valor, minimo = c.minimo, maximo = c.maximo;
    Value usuario = Value::Int32(2), msg = kUntouched, obr = c.obrigatorio;
    bool got = c.decimal ? gConsiste_Numero(rotulo, valor, minimo, maximo, usuario, msg, obr)
                         : gConsiste_Inteiro(rotulo, valor, minimo, maximo, usuario, msg, obr);
    EXPECT_EQ(c.want, got) << c.name;
    EXPECT_EQ(c.want_msg, msg.TextOrEmpty()) << c.name;
    EXPECT_TRUE(c.want_valor == valor) << c.name;
  }
}

TEST(FieldChecksTest, String) {
  struct Case {
    const char* name;
    Value valor, tamanho, obrigatorio;
    bool want;
    const char* want_msg;
  };
  const Case cases[] = {
      {"at the limit", T("abcde"), Value::Int32(5), T("S"), true, "untouched"},
      {"one over", T("abcdef"), Value::Int32(5), T("S"), false,
       "Preencha Nome com, no máximo, 5 caracteres."},
      {"accents count once", T("ação"), T("4"), T("S"), true, "untouched"},
      {"zero is no limit", T("abcdefghij"), Value::Int32(0), T("S"), true, "untouched"},
      {"empty is no limit", T("abcdefghij"), T(""), T("S"), true, "untouched"},
      {"leading number of the length", T("abcdef"), T("5 letras"), T("S"), false,
       "Preencha Nome com, no máximo, 5 caracteres."},
      {"fractional length", T("abc"), T("2.5"), T("S"), false,
       "Preencha Nome com, no máximo, 2,5 caracteres."},
      {"removed characters not counted", T("a(b)c"), Value::Int32(3), T("S"), true, "untouched"},
      {"optional empty", T(""), Value::Int32(3), T("N"), true, "untouched"},
      {"mandatory blanks", T("   "), Value::Int32(3), T("S"), false, "Preencha Nome"},
  };
  for (const Case& c : cases) {
    Value rotulo = T("Nome"), valor = c.valor, tamanho = c.tamanho;
    Value usuario = Value::Int32(2), msg = kUntouched, obr = c.obrigatorio;
    EXPECT_EQ(c.want, gConsiste_String(rotulo, valor, tamanho, usuario, msg, obr)) << c.name;
    EXPECT_EQ(c.want_msg, msg.TextOrEmpty()) << c.name;
  }
}

TEST(FieldChecksTest, CleansInPlaceWhateverTheOutcome) {
  Value rotulo = T("Nome"), valor = T("'<a>;b%&+\"'"), tamanho = Value::Int32(1);
  Value usuario = Value::Int32(2), msg, obr = T("S");
  EXPECT_FALSE(gConsiste_String(rotulo, valor, tamanho, usuario, msg, obr));
  EXPECT_TRUE(T("ab") == valor);
}

// An array has no text and no number, and "x" is no bound: each check traps
// the error with its own text, and only the user 1 sees the detail.
TEST(FieldChecksTest, InternalErrorGivesUserText) {
  using Run = bool (*)(Value & usuario, Value & msg);
  struct Case {
    const char* name;
    Run run;
    int user;
    const char* want_prefix;
  };
  const Run date = [](Value& usuario, Value& msg) {
    Value rotulo = T("Campo"), valor = T("13/10/2001"), minimo = Value::Array({}), maximo, conv;
    Value obr = T("S");
    return gConsiste_Data(rotulo, valor, minimo, maximo, usuario, msg, conv, obr);
  };
  const Case cases[] = {
      {"date, array bound", date, 2,
       "Acesso a consistência de datas não disponível. Favor tentar mais tarde. "},
      {"date, array bound, user 1", date, 1,
       "Acesso a consistência de datas não disponível. Favor tentar mais tarde. "
       " - LUMCCA.gConsiste_Data (Type mismatch : 13)   No Nº "},
      {"whole, text bound",
       [](Value& usuario, Value& msg) {
         Value rotulo = T("Campo"), valor = T("5"), minimo = T("x"), maximo, obr = T("S");
         return gConsiste_Inteiro(rotulo, valor, minimo, maximo, usuario, msg, obr);
       },
       1,
       "Acesso a consistência de campo inteiro não disponível. Favor tentar mais tarde. "
       " - LUMCCA.gConsiste_Inteiro (Type mismatch : 13)   No Nº "},
      {"number, array value",
       [](Value& usuario, Value& msg) {
         Value rotulo = T("Campo"), valor = Value::Array({}), minimo, maximo, obr = T("S");
         return gConsiste_Numero(rotulo, valor, minimo, maximo, usuario, msg, obr);
       },
       1,
       "Acesso a consistência de campo numérico não disponível. Favor tentar mais tarde. "
       " - LUMCCA.gConsiste_Numero (Type mismatch : 13)   No Nº "},
      {"string, array length",
       [](Value& usuario, Value& msg) {
         Value rotulo = T("Campo"), valor = T("abc"), tamanho = Value::Array({}), obr = T("S");
         return gConsiste_String(rotulo, valor, tamanho, usuario, msg, obr);
       },
       1,
       "Acesso a consistência de campos alfanuméricos disponível. Favor tentar mais tarde. "
       " - LUMCCA.gConsiste_String (Type mismatch : 13)   No Nº "},
  };
  for (const Case& c : cases) {
    Value usuario = Value::Int32(c.user), msg = kUntouched;
    EXPECT_FALSE(c.run(usuario, msg)) << c.name;
    const std::string m = msg.TextOrEmpty();
    if (c.user == 1) {
      EXPECT_EQ(0u, m.rfind(c.want_prefix, 0)) << c.name << ": " << m;
      EXPECT_GT(m.size(), std::string(c.want_prefix).size()) << c.name << ": no line";
    } else {
      EXPECT_EQ(c.want_prefix, m) << c.name;
    }
  }
}

}  // namespace
}  // namespace ocg

namespace ocg {
namespace {

// Whatever value and bounds arrive, each check answers true with the message
// untouched, or false with a sentence of its own (naming the label) or its
// user text; a text value is left cleaned either way.
TEST(FieldChecksTest, RandomisedArguments) {
  const std::string user_texts[] = {
      "Acesso a consistência de datas não disponível. Favor tentar mais tarde. ",
      "Acesso a consistência de campo inteiro não disponível. Favor tentar mais tarde. ",
      "Acesso a consistência de campo numérico não disponível. Favor tentar mais tarde. ",
      "Acesso a consistência de campos alfanuméricos disponível. Favor tentar mais tarde. ",
  };
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
    const int check = static_cast<int>(rng() % 4);
    Value label = Value::Text("Campo"), value = testing::RandomValue(rng);
    Value low = rng() % 3 == 0 ? testing::RandomValue(rng) : Value::Text("");
    Value high = rng() % 3 == 0 ? testing::RandomValue(rng) : Value::Text("");
    Value user = Value::Int32(rng() % 5 == 0 ? 1 : 2), msg = Value::Text("untouched");
    Value required = Value::Text(rng() % 2 ? "S" : "N"), converted;
    const bool was_text = value.is_text();
    bool ok = false;
    switch (check) {
      case 0:
        ok = gConsiste_Data(label, value, low, high, user, msg, converted, required);
        break;
      case 1:
        ok = gConsiste_Inteiro(label, value, low, high, user, msg, required);
        break;
      case 2:
        ok = gConsiste_Numero(label, value, low, high, user, msg, required);
        break;
      default:
        ok = gConsiste_String(label, value, low, user, msg, required);
        break;
    }
    const std::string text = msg.TextOrEmpty();
    const std::string row = "call " + std::to_string(i) + " check " + std::to_string(check);
    if (was_text) {
      EXPECT_EQ(std::string::npos, value.TextOrEmpty().find_first_of("'<>();%&+\"")) << row;
    }
    if (ok) {
      EXPECT_EQ("untouched", text) << row;
      ++passed;
      continue;
    }
    bool own = false;
    for (const std::string& p : own_prefixes) own |= text.starts_with(p);
    const bool user_text = text.starts_with(user_texts[check]);
    EXPECT_TRUE(own || user_text) << row << " -> " << text;
    refused += own;
  }
  EXPECT_TRUE(passed > 100 && refused > 1000) << passed << " passed, " << refused << " refused";
}

}  // namespace
}  // namespace ocg
