#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "component/ocg.h"
#include "test_support.h"

namespace ocg {
namespace {

Value T(const std::string& s) { return Value::Text(s); }

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// A well-formed collection order (type 9); each row spoils what it tests. The
// empty connection string keeps the failure routine from logging anywhere.
struct Order {
  Value cliente = T("10"), ponto = T("1"), data_atual = T("13/10/2001"), end_dest = T("20"),
        municipio = T("30"), docto_cliente = T("555"), docto_transp = T("123"),
        data_prev = T("20/10/2001"), veiculo = T("40"), colaborador, fornecedor = T("50"),
        local = T("Pátio 2"), peso = T("1000,5"), embalagem = T("sacos"), obs = T(""),
        qtde = Value::Int32(1), usuario = Value::Int32(2), flag = T("N"), responsavel = T(""),
        emergencia = T(""), msg = T("untouched"), tipo = Value::Int32(9), conecta = T(""),
        banco = T("ORACLE");

  bool Check() {
    return Ocg().mconsiste_campos(cliente, ponto, data_atual, end_dest, municipio, docto_cliente,
                                  docto_transp, data_prev, veiculo, colaborador, fornecedor, local,
                                  peso, embalagem, obs, qtde, usuario, flag, responsavel,
                                  emergencia, msg, tipo, conecta, banco);
  }
};

TEST(OrderChecksTest, RefusalsInOrder) {
  struct Case {
    const char* name;
    std::function<void(Order&)> spoil;
    bool want;
    std::string want_msg;
  };
  const std::string trap =
      "Acesso a consistência dos campos não disponível. Favor tentar mais tarde.";
  const Case cases[] = {
      {"well formed", [](Order&) {}, true, "untouched"},
      {"remark of 255 wins over missing customer",
       [](Order& o) {
         o.obs = T(std::string(255, 'a'));
         o.cliente = T("");
       },
       false, "Preencha Observação com, no máximo, 254 caracteres."},
      {"remark of 254 accented letters", [](Order& o) { o.obs = T(Repeat("ç", 254)); }, true,
       "untouched"},
      {"type 9 without number", [](Order& o) { o.docto_transp = T(""); }, false,
       "Preencha Nº Ordem de coleta"},
      {"type 9 as text",
       [](Order& o) {
         o.tipo = T("9");
         o.docto_transp = T("");
       },
       false, "Preencha Nº Ordem de coleta"},
      {"type 9 negative number", [](Order& o) { o.docto_transp = T("-1"); }, false,
       "Nº Ordem de coleta deve ser igual ou maior que 0"},
      {"type 5 ignores the number",
       [](Order& o) {
         o.tipo = Value::Int32(5);
         o.docto_transp = T("abc");
       },
       true, "untouched"},
      {"customer wins over later empties",
       [](Order& o) {
         o.cliente = T("");
         o.ponto = Value::Null();
         o.veiculo = T("");
       },
       false, "Informe o Cliente por favor."},
      {"operating point", [](Order& o) { o.ponto = Value::Null(); }, false,
       "Informe o Ponto de Operação."},
      {"municipality", [](Order& o) { o.municipio = Value(); }, false,
       "Informe o Município do Destinatário."},
      {"vehicle", [](Order& o) { o.veiculo = T(""); }, false, "Informe a Placa do Cavalo."},
      {"zero identifier counts as given", [](Order& o) { o.veiculo = Value::Int32(0); }, true,
       "untouched"},
      {"customer document", [](Order& o) { o.docto_cliente = T("12A"); }, false,
       "Insira um valor numérico no campo 'N.Docto Cliente'."},
      {"unreadable date", [](Order& o) { o.data_prev = T("32/13/2001"); }, false,
       "Insira uma data válida no campo 'Data Prev. Carregamento'."},
      {"date is required", [](Order& o) { o.data_prev = T(""); }, false,
       "Preencha Data Prev. Carregamento"},
      {"short date", [](Order& o) { o.data_prev = T("1/2/2001"); }, false,
       "Preencha Data Prev. Carregamento com uma data válida, com 10 dígitos, no formato "
       "dd/mm/aaaa (Exemplo: 13/10/2001)"},
      {"weight", [](Order& o) { o.peso = T("abc"); }, false,
       "Insira um valor numérico no campo 'Peso Previsto'."},
      {"weight of blanks", [](Order& o) { o.peso = T("  "); }, true, "untouched"},
      {"lower-case flag skips emergency", [](Order& o) { o.flag = T("s"); }, true, "untouched"},
      {"responsible party", [](Order& o) { o.flag = T("S"); }, false,
       "Preencha o Responsável pelo Transporte."},
      {"emergency type",
       [](Order& o) {
         o.flag = T("S");
         o.responsavel = Value::Int32(3);
       },
       false, "Preencha o Tipo de Emergência."},
      {"carrier, flag trimmed",
       [](Order& o) {
         o.flag = T(" S ");
         o.responsavel = T(" 3 ");
         o.emergencia = T("2");
         o.fornecedor = T("0");
       },
       false, "Preencha o fornecedor."},
      {"null to clean is a run-time error", [](Order& o) { o.peso = Value::Null(); }, false, trap},
  };
  for (const Case& c : cases) {
    Order o;
    c.spoil(o);
    EXPECT_EQ(c.want, o.Check()) << c.name;
    EXPECT_EQ(c.want_msg, o.msg.TextOrEmpty()) << c.name;
  }
}

TEST(OrderChecksTest, CallerSeesRewrittenArguments) {
  struct Case {
    const char* name;
    std::function<void(Order&)> spoil;
    Value Order::*field;
    Value want;
  };
  const Case cases[] = {
      {"date as yyyy/mm/dd", [](Order&) {}, &Order::data_prev, T("2001/10/20")},
      {"type 5 number becomes 0", [](Order& o) { o.tipo = Value::Int32(5); }, &Order::docto_transp,
       Value::Int32(0)},
      {"remark cleaned though a later check fails",
       [](Order& o) {
         o.obs = T("a<b>(c)");
         o.cliente = T("");
       },
       &Order::obs, T("abc")},
      {"number becomes text", [](Order& o) { o.peso = Value::Int32(7); }, &Order::peso, T("7")},
      {"cleaned before a null stops the check",
       [](Order& o) {
         o.local = T("rua;1");
         o.obs = Value::Null();
       },
       &Order::local, T("rua1")},
  };
  for (const Case& c : cases) {
    Order o;
    c.spoil(o);
    o.Check();
    EXPECT_TRUE(c.want == o.*c.field) << c.name << ": " << (o.*c.field).TextOrEmpty();
  }
}

TEST(OrderChecksTest, UserOneSeesTheTrapDetail) {
  Order o;
  o.usuario = Value::Int32(1);
  o.data_atual = Value::Null();
  EXPECT_FALSE(o.Check());
  const std::string m = o.msg.TextOrEmpty();
  const std::string head =
      "Acesso a consistência dos campos não disponível. Favor tentar mais tarde. "
      "ZorOCG.mconsiste_campos ( Invalid use of Null : 94)   No Nº ";
  EXPECT_EQ(0u, m.rfind(head, 0)) << m;
  EXPECT_TRUE(m.ends_with(" Strsq: ")) << m;
}

}  // namespace
}  // namespace ocg

namespace ocg {
namespace {

bool HasRemovedCharacter(const Value& v) {
  return v.is_text() && v.text().find_first_of("'<>();%&+\"") != std::string::npos;
}

// Whatever arrives in any argument, the check answers true with the message
// untouched, or false with one of its own refusals or its trap text; and the
// texts it cleans reach the caller without the removed characters.
TEST(OrderChecksTest, RandomisedArguments) {
  const std::string fixed[] = {
      "Informe o Cliente por favor.",
      "Informe o Ponto de Operação.",
      "Informe o Destinatário.",
      "Informe o Município do Destinatário.",
      "Informe a Placa do Cavalo.",
      "Insira um valor numérico no campo 'N.Docto Cliente'.",
      "Insira uma data válida no campo 'Data Prev. Carregamento'.",
      "Insira um valor numérico no campo 'N.Docto Transporte'.",
      "Insira um valor numérico no campo 'Peso Previsto'.",
      "Preencha o Responsável pelo Transporte.",
      "Preencha o Tipo de Emergência.",
      "Preencha o fornecedor.",
  };
  const std::string trap =
      "Acesso a consistência dos campos não disponível. Favor tentar mais tarde.";
  const std::string routine_refusals[] = {
      "Preencha Observação com, no máximo, 254 caracteres.",
      "Preencha Nº Ordem de coleta",
      "O campo Nº Ordem de coleta não permite a digitação de números com uso de separador de "
      "milhar(.)",
      "Preencha Nº Ordem de coleta com valor numérico",
      "Nº Ordem de coleta deve ser igual ou maior que 0",
      "Preencha Data Prev. Carregamento",
      "Preencha Data Prev. Carregamento com uma data válida, com 10 dígitos, no formato "
      "dd/mm/aaaa (Exemplo: 13/10/2001)",
      "Preencha Data Prev. Carregamento com uma data válida, no formato dd/mm/aaaa (Exemplo: "
      "13/10/2001)",
  };
  std::mt19937 rng(20261206u);
  int passed = 0, refused = 0, trapped = 0;
  for (int i = 0; i < 3000; ++i) {
    Order o;
    Value* fields[] = {&o.cliente,       &o.ponto,        &o.data_atual, &o.end_dest, &o.municipio,
                       &o.docto_cliente, &o.docto_transp, &o.data_prev,  &o.veiculo,  &o.fornecedor,
                       &o.local,         &o.peso,         &o.embalagem,  &o.obs,      &o.flag,
                       &o.responsavel,   &o.emergencia,   &o.tipo};
    std::string row = "call " + std::to_string(i) + ":";
    for (Value* f : fields) {
      if (rng() % 10 < 2) {
        *f = testing::RandomValue(rng);
        row += " [" + f->TextOrEmpty().substr(0, 30) + "]";
      }
    }
    if (rng() % 10 == 0) o.usuario = Value::Int32(1);
    const bool ok = o.Check();
    const std::string msg = o.msg.TextOrEmpty();
    if (ok) {
      EXPECT_EQ("untouched", msg) << row;
      ++passed;
      continue;
    }
    const bool is_trap = msg == trap || (o.usuario.Equals(Value::Int32(1)) &&
                                         msg.starts_with(trap + " ZorOCG.mconsiste_campos ( "));
    bool is_refusal = false;
    for (const std::string& m : fixed) is_refusal |= msg == m;
    for (const std::string& m : routine_refusals) is_refusal |= msg == m;
    EXPECT_TRUE(is_refusal || is_trap) << row << " -> " << msg;
    if (is_trap) {
      ++trapped;
    } else {
      ++refused;
      // Step 1 ran to its end: every text it cleaned is clean.
      for (Value* f : {&o.data_atual, &o.docto_cliente, &o.docto_transp, &o.data_prev, &o.local,
                       &o.peso, &o.embalagem, &o.obs}) {
        EXPECT_FALSE(HasRemovedCharacter(*f)) << row << " -> " << f->TextOrEmpty();
      }
    }
  }
  EXPECT_TRUE(passed > 50 && refused > 1000 && trapped > 50)
      << passed << " passed, " << refused << " refused, " << trapped << " trapped";
}

}  // namespace
}  // namespace ocg
