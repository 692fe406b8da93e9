#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "component/ocg.h"
#include "test_support.h"

namespace ocg {
namespace {

Value T(const std::string& s) { return Value::Text(s); }

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

using O = Order;
using Spoil = std::vector<std::pair<Value O::*, Value>>;

TEST(OrderChecksTest, RefusalsInOrder) {
  struct Case {
    const char* name;
    std::string want_msg;  // "untouched": the order passes
    Spoil spoil;
  };
  std::string accented_254;
  for (int i = 0; i < 254; ++i) accented_254 += "ç";
  const Case cases[] = {
      {"remark of 255 wins over missing customer",
       "Preencha Observação com, no máximo, 254 caracteres.",
       {{&O::obs, T(std::string(255, 'a'))}, {&O::cliente, T("")}}},
      {"remark of 254 accented letters", "untouched", {{&O::obs, T(accented_254)}}},
      {"type 9 as text needs a number",
       "Preencha Nº Ordem de coleta",
       {{&O::tipo, T("9")}, {&O::docto_transp, T("")}}},
      {"type 9 negative number",
       "Nº Ordem de coleta deve ser igual ou maior que 0",
       {{&O::docto_transp, T("-1")}}},
      {"type 5 ignores the number",
       "untouched",
       {{&O::tipo, Value::Int32(5)}, {&O::docto_transp, T("abc")}}},
      {"customer wins over later empties",
       "Informe o Cliente por favor.",
       {{&O::cliente, T("")}, {&O::ponto, Value::Null()}, {&O::veiculo, T("")}}},
      {"operating point", "Informe o Ponto de Operação.", {{&O::ponto, Value::Null()}}},
      {"recipient", "Informe o Destinatário.", {{&O::end_dest, T("")}}},
      {"municipality", "Informe o Município do Destinatário.", {{&O::municipio, Value()}}},
      {"vehicle", "Informe a Placa do Cavalo.", {{&O::veiculo, T("")}}},
      {"zero identifier counts as given", "untouched", {{&O::veiculo, Value::Int32(0)}}},
      {"customer document",
       "Insira um valor numérico no campo 'N.Docto Cliente'.",
       {{&O::docto_cliente, T("12A")}}},
      {"unreadable date wins over weight",
       "Insira uma data válida no campo 'Data Prev. Carregamento'.",
       {{&O::data_prev, T("32/13/2001")}, {&O::peso, T("abc")}}},
      {"date is required", "Preencha Data Prev. Carregamento", {{&O::data_prev, T("")}}},
      {"short date",
       "Preencha Data Prev. Carregamento com uma data válida, com 10 dígitos, no formato "
       "dd/mm/aaaa (Exemplo: 13/10/2001)",
       {{&O::data_prev, T("1/2/2001")}}},
      {"weight", "Insira um valor numérico no campo 'Peso Previsto'.", {{&O::peso, T("abc")}}},
      {"weight of blanks", "untouched", {{&O::peso, T("  ")}}},
      {"lower-case flag skips emergency", "untouched", {{&O::flag, T("s")}}},
      {"responsible party", "Preencha o Responsável pelo Transporte.", {{&O::flag, T("S")}}},
      {"emergency type",
       "Preencha o Tipo de Emergência.",
       {{&O::flag, T("S")}, {&O::responsavel, Value::Int32(3)}}},
      {"carrier, flag trimmed",
       "Preencha o fornecedor.",
       {{&O::flag, T(" S ")},
        {&O::responsavel, T(" 3 ")},
        {&O::emergencia, T("2")},
        {&O::fornecedor, T("0")}}},
      {"null to clean is a run-time error",
       "Acesso a consistência dos campos não disponível. Favor tentar mais tarde.",
       {{&O::peso, Value::Null()}}},
  };
  for (const Case& c : cases) {
    Order o;
    for (const auto& [field, value] : c.spoil) o.*field = value;
    EXPECT_EQ(c.want_msg == "untouched", o.Check()) << c.name;
    EXPECT_EQ(c.want_msg, o.msg.TextOrEmpty()) << c.name;
  }
}

TEST(OrderChecksTest, CallerSeesRewrittenArguments) {
  struct Case {
    const char* name;
    Spoil spoil;
    Value Order::*field;
    Value want;
  };
  const Case cases[] = {
      {"date as yyyy/mm/dd", {}, &Order::data_prev, T("2001/10/20")},
      {"type 5 number becomes 0",
       {{&Order::tipo, Value::Int32(5)}},
       &Order::docto_transp,
       Value::Int32(0)},
      {"remark cleaned though a later check fails",
       {{&Order::obs, T("a<b>(c)")}, {&Order::cliente, T("")}},
       &Order::obs,
       T("abc")},
      {"number becomes text", {{&Order::peso, Value::Int32(7)}}, &Order::peso, T("7")},
      {"cleaned before a null stops the check",
       {{&Order::local, T("rua;1")}, {&Order::obs, Value::Null()}},
       &Order::local,
       T("rua1")},
  };
  for (const Case& c : cases) {
    Order o;
    for (const auto& [field, value] : c.spoil) o.*field = value;
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
  EXPECT_TRUE(
      m.starts_with("Acesso a consistência dos campos não disponível. Favor tentar mais "
                    "tarde. ZorOCG.mconsiste_campos ( Invalid use of Null : 94)   No Nº "))
      << m;
  EXPECT_TRUE(m.ends_with(" Strsq: ")) << m;
}

}  // namespace
}  // namespace ocg
