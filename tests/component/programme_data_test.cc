// Programme data and the customer's programme flag on the demo database,
// under both kinds.
#include <string>

#include "component/call_support.h"
#include "gtest/gtest.h"

namespace ocg {
namespace {

using testing::Answer;
using testing::CallOutcome;
using testing::OperationCaller;

class ProgrammeDataTest : public ::testing::Test {
 protected:
  testing::TempDatabase db_;
  OperationCaller caller_{db_};
};

TEST_F(ProgrammeDataTest, Answers) {
  auto programme = [](const char* number, const char* point) {
    return std::string(R"({"invntnum_programacao": )") + number +
           R"(, "invntponto_operacao_id": )" + point + R"(, "outvntCliente": "x"})";
  };
  const std::string not_found =
      R"({"outvntMsg_Ret": "Não existe programação de carga com o número informado.",
          "outvntCliente": "x"})";
  auto flag = [](int customer) {
    return R"({"invntCliente_id": )" + std::to_string(customer) +
           R"(, "outvntFlag_Program_Carga": "x"})";
  };
  const std::vector<Answer> cases = {
      {"programme to an individual", "gBusca_Dados_Programacao", programme(R"("2026031")", "1"),
       "0",
       R"({"outvntCliente_id": 103, "outvntCliente": "CIMENTOS SERRA DO MAR",
           "outvntdestinatario_id": 203, "outvntEnd_Destinatario_id": 2031,
           "outvntPj_Cgc_dest": "", "outvntPf_Cpf_dest": "123.456.789-09",
           "outvntdestinatario": "JOÃO CARLOS DA SILVA",
           "outvntendereco_dest": "RUA HENRIQUE MOSCOSO, 1000, AP. 402",
           "outvntmunic_uf_dest": "VILA VELHA", "outvntindic_pf_pj": "PF",
           "outvntmunicipio_id": 6, "outvntMsg_Ret": {"empty": true}})"},
      {"number alone, point 0", "gBusca_Dados_Programacao", programme("2026011", "0"), "0",
       R"({"outvntCliente_id": 101, "outvntEnd_Destinatario_id": 2012})"},
      {"number alone, empty point", "gBusca_Dados_Programacao", programme("2026011", R"("")"), "0",
       R"({"outvntCliente_id": 101})"},
      {"another point", "gBusca_Dados_Programacao", programme("2026011", "2"), "10", not_found},
      {"no such number", "gBusca_Dados_Programacao", programme(R"("9999999")", "1"), "10",
       not_found},
      {"cancelled destination address", "gBusca_Dados_Programacao", programme("2026041", "2"), "10",
       R"({"outvntMsg_Ret": "Endereço do destinatário cancelado. Não será possível emitir uma ordem de coleta com essa programação.",
           "outvntCliente_id": "", "outvntCliente": "", "outvntdestinatario_id": "",
           "outvntEnd_Destinatario_id": "", "outvntmunicipio_id": ""})"},
      {"blank number", "gBusca_Dados_Programacao", programme(R"("   ")", "1"), "10",
       R"({"outvntMsg_Ret": "Informe o número da programação de carga para efetuar a busca."})"},
      {"customer with programmes", "gCons_Flag_Progr", flag(101), "0",
       R"({"outvntFlag_Program_Carga": "S", "outvntMsg_Ret": {"empty": true}})"},
      {"customer without", "gCons_Flag_Progr", flag(103), "0",
       R"({"outvntFlag_Program_Carga": "N"})"},
      {"inactive customer record", "gCons_Flag_Progr", flag(104), "10",
       R"({"outvntFlag_Program_Carga": "x", "outvntMsg_Ret":
           "Problemas na busca da flag de programação de carga. Nenhum registro encontrado."})"},
  };
  testing::ExpectAnswers(caller_, cases);
}

TEST_F(ProgrammeDataTest, StatementTexts) {
  const std::string select =
      " SELECT PRO_CAR.CLIENTE_ID,  CLI.NOME_FANTASIA AS CLIENTE,  PRO_CAR.END_DESTINATARIO_ID,  "
      "VENDERECO_PESSOA.NOME ,  VENDERECO_PESSOA.SOBRENOME ,  VENDERECO_PESSOA.NOME_FANTASIA ,  "
      "VENDERECO_PESSOA.PJ_CGC ,  VENDERECO_PESSOA.PF_CPF ,  VENDERECO_PESSOA.ENDERECO ,  "
      "VENDERECO_PESSOA.MUNICIPIO ,  VENDERECO_PESSOA.UF ,  VENDERECO_PESSOA.CEP ,  "
      "VENDERECO_PESSOA.MUNICIPIO_ID ,  VENDERECO_PESSOA.PESSOA_ID,  "
      "VENDERECO_PESSOA.INDICATIVO_PF_PJ  FROM PROGRAM_CARGA PRO_CAR,  PESSOA CLI,  "
      "VENDERECO_PESSOA  WHERE PRO_CAR.CLIENTE_ID = CLI.PESSOA_ID  AND PRO_CAR.END_DESTINATARIO_ID "
      "= VENDERECO_PESSOA.ENDERECO_PESSOA_ID ";
  const std::string address =
      "\n SELECT TAB_STATUS_ID  From ENDERECO_PESSOA  Where ENDERECO_PESSOA_ID = 2031";
  struct Case {
    const char* op;
    const char* args;
    const char* kind;
    std::string want;
  };
  const Case cases[] = {
      {"gBusca_Dados_Programacao",
       R"({"invntnum_programacao": "2026031", "invntponto_operacao_id": 1})", "ORACLE",
       select + " AND PRO_CAR.PONTO_OPERACAO_ID  = 1 AND PRO_CAR.NUM_PROGRAMACAO  = '2026031'" +
           address},
      {"gBusca_Dados_Programacao",
       R"({"invntnum_programacao": "2026031", "invntponto_operacao_id": " 1 "})", "SQLSERVER",
       select + " AND PRO_CAR.PONTO_OPERACAO_ID =  1  AND PRO_CAR.NUM_PROGRAMACAO = '2026031'" +
           address},
      {"gBusca_Dados_Programacao",
       R"({"invntnum_programacao": "x1", "invntponto_operacao_id": "0"})", "ORACLE",
       select + " AND PRO_CAR.NUM_PROGRAMACAO  = 'X1'"},
      {"gBusca_Dados_Programacao",
       R"({"invntnum_programacao": "x1", "invntponto_operacao_id": " 0"})", "SQLSERVER",
       select + " AND PRO_CAR.NUM_PROGRAMACAO = 'x1'"},
      {"gCons_Flag_Progr", R"({"invntCliente_id": "101"})", "ORACLE",
       " SELECT  FLAG_PROGRAM_CARGA  FROM  CLIENTE  WHERE  PESSOA_ID   = 101 AND  TAB_STATUS_ID = "
       "1 "},
      {"gCons_Flag_Progr", R"({"invntCliente_id": ""})", "ORACLE",
       " SELECT  FLAG_PROGRAM_CARGA  FROM  CLIENTE  WHERE  PESSOA_ID   is null AND  TAB_STATUS_ID "
       "= 1 "},
      {"gCons_Flag_Progr", R"({"invntCliente_id": "0"})", "SQLSERVER",
       "Exec SP_ZOR_CON_FLAG_PROGR null"},
  };
  for (const Case& c : cases) {
    CallOutcome o = caller_.Call(c.op, c.args, c.kind);
    std::string got;
    for (const auto& s : o.statements)
      got += (got.empty() ? "" : "\n") + s["sql"].get<std::string>();
    EXPECT_EQ(c.want, got) << c.op << " " << c.args << " / " << c.kind;
  }
}

TEST_F(ProgrammeDataTest, TrappedErrors) {
  for (const char* kind : {"ORACLE", "SQLSERVER"}) {
    testing::ExpectTrap(caller_, db_, "quote in the number", "gBusca_Dados_Programacao",
                        R"({"invntnum_programacao": "1'2"})", kind,
                        "Acesso aos dados da programação não disponível. Favor tentar mais tarde.",
                        "ZorOCG.gBusca_Dados_Programacao");
    testing::ExpectTrap(caller_, db_, "SQL as the customer", "gCons_Flag_Progr",
                        R"({"invntCliente_id": "1 OR 1=1"})", kind,
                        "Acesso aos dados da flag de programação de carga não disponível. Favor "
                        "tentar mais tarde.",
                        "ZorOCG.gCons_Flag_Progr");
  }
}

}  // namespace
}  // namespace ocg
