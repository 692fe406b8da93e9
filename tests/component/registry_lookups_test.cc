// Vehicle, trailer, person, address and e-mail lookups on the demo database,
// under both kinds: "ORACLE" builds the statements in the component,
// "SQLSERVER" calls the bundled procedures.
#include <map>
#include <string>

#include "component/call_support.h"
#include "gtest/gtest.h"
#include "value/text.h"

namespace ocg {
namespace {

using testing::Answer;
using testing::CallOutcome;
using testing::OperationCaller;

const std::string kOwnFleet = "TARVOSA TRANSPORTES E SERVIÇOS";

class RegistryLookupsTest : public ::testing::Test {
 protected:
  testing::TempDatabase db_;
  OperationCaller caller_{db_};
};

TEST_F(RegistryLookupsTest, Answers) {
  auto veic = [](const char* id) { return std::string(R"({"invntVeic_Fornec_id": )") + id + "}"; };
  auto owner = [](const std::string& name, int id, int kg, int veic) {
    return R"({"outvntProprietario": ")" + name + R"(", "outvntProprietario_id": )" +
           std::to_string(id) + R"(, "outvntCapacidade_kg": )" + std::to_string(kg) +
           R"(.0, "outvntVeiculo_Fornecedor_id": )" + std::to_string(veic) + "}";
  };
  const std::string refusal =
      R"({"outvntMsg_Ret": "ESSE VEÍCULO NÃO POSSUI NENHUM FORNECEDOR_ID NEM COLABORADOR_ID.",
          "outvntProprietario": {"empty": true}})";
  auto trailers = [](const char* tractor) {
    return std::string(R"({"InLngVeiculo_Fornecedor_ID": )") + tractor +
           R"(, "outarrvntcarreta_veiculo_id": "x", "outvntqtde_carreta_veiculo": "x"})";
  };
  auto person = [](const char* num, const char* kind) {
    return std::string(R"({"invntNum_Pj_Pf": ")") + num + R"(", "invntIndic_Pj_Pf": ")" + kind +
           R"(", "outvntNome": "x"})";
  };
  auto email = [](int user) {
    return R"({"InLngUsuario_Internet_ID": )" + std::to_string(user) + R"(, "outvntMsg_Ret": "x"})";
  };
  auto address = [](const char* mail) {
    return std::string(R"({"outstremail": ")") + mail + R"(", "outvntMsg_Ret": "x"})";
  };
  const std::vector<Answer> cases = {
      {"own fleet", "gCons_Veic", veic("1"), "0", owner(kOwnFleet, 1, 45000, 1), "outvntMsg_Ret"},
      {"own fleet, inactive", "gCons_Veic", veic("6"), "0", owner(kOwnFleet, 1, 45000, 6),
       "outvntMsg_Ret"},
      {"collaborator's", "gCons_Veic", veic("2"), "0", owner("JOSÉ FERREIRA SANTOS", 301, 45000, 2),
       "outvntMsg_Ret"},
      {"supplier's, id typed with a quote", "gCons_Veic", veic(R"("3'")"), "0",
       R"({"invntVeic_Fornec_id": "3", "outvntProprietario": "RODOVIX",
           "outvntProprietario_id": 401, "outvntCapacidade_kg": 37000.0})",
       "outvntMsg_Ret"},
      {"neither collaborator nor supplier", "gCons_Veic", veic("4"), "10", refusal},
      {"no such vehicle", "gCons_Veic", veic("999"), "10", refusal},
      {"inactive collaborator", "gCons_Veic", veic("5"), "10",
       R"({"outvntMsg_Ret": "Problemas na consulta do veículo. Nenhum Registro encontrado."})"},
      {"blank identifier", "gCons_Veic", veic(R"("''")"), "10",
       R"({"invntVeic_Fornec_id": "",
           "outvntMsg_Ret": "Erro na Consulta. invntVeic_Fornec_id não informado."})"},
      {"two trailers", "gBusca_Carreta_Veiculo", trailers("1"), "0",
       R"({"outarrvntcarreta_veiculo_id": [11, 12], "outarrvntcarreta_veiculo":
           ["MSV-1011", "MSV-1012"], "outvntqtde_carreta_veiculo": 2, "outvntMsg_Ret": {"empty": true}})"},
      {"inactive trailer left out", "gBusca_Carreta_Veiculo", trailers("3"), "0",
       R"({"outarrvntcarreta_veiculo_id": [31], "outvntqtde_carreta_veiculo": 1})"},
      {"no trailer: arrays as passed", "gBusca_Carreta_Veiculo", trailers("4"), "0",
       R"({"outarrvntcarreta_veiculo_id": "x", "outvntqtde_carreta_veiculo": "x"})"},
      {"tractor 0: vehicles without a tractor", "gBusca_Carreta_Veiculo", trailers("0"), "0",
       R"({"outarrvntcarreta_veiculo_id": [1, 2, 3, 4, 5, 7], "outvntqtde_carreta_veiculo": 6})"},
      {"CNPJ: type 2 before type 4, cleaned", "gCons_geral", person("(56.789.012/0001-34)", "PJ"),
       "0",
       R"({"invntNum_Pj_Pf": "56.789.012/0001-34", "outvntindic_pf_pj": "PJ",
           "outvntCnpj_Cpf": "56.789.012/0001-34", "outvntNome": "METALÚRGICA HORIZONTE",
           "outvntEndereco": "AV. AMAZONAS, 7200", "outvntMunicipio": "BELO HORIZONTE",
           "outvntEnd_Pessoa_id": 2012, "outvntmunicipio_id": 3, "outvntPessoa_id": 201,
           "outvntMsg_Ret": {"empty": true}})"},
      {"CPF: cancelled address skipped", "gCons_geral", person("987.654.321-00", "PF"), "0",
       R"({"outvntindic_pf_pj": "PF", "outvntCnpj_Cpf": "987.654.321-00",
           "outvntEnd_Pessoa_id": 2042, "outvntPessoa_id": 204})"},
      {"CPF searched as CNPJ", "gCons_geral", person("987.654.321-00", "PJ"), "10",
       R"({"outvntMsg_Ret": "Nenhum Registro encontrado com essas informações.",
           "outvntNome": "x"})"},
      {"inactive person", "gCons_geral", person("78.901.234/0001-56", "PJ"), "10",
       R"({"outvntMsg_Ret": "Nenhum Registro encontrado com essas informações."})"},
      {"no number", "gCons_geral", person(" ", "PJ"), "10",
       R"({"outvntMsg_Ret": "Informe o número do CNPJ ou CPF."})"},
      {"no kind", "gCons_geral", person("1", ""), "10",
       R"({"outvntMsg_Ret": "Informe o tipo de pessoa para consulta (Pf ou PJ)."})"},
      {"address of an individual", "gCons_End_Dest", R"j({"InVntPessoa_id": "203)"})j", "0",
       R"({"InVntPessoa_id": "203", "outvntindic_pf_pj": "PF", "outvntCnpj_Cpf": "",
           "outvntNome": "JOÃO CARLOS DA SILVA", "outvntEndereco":
           "RUA HENRIQUE MOSCOSO, 1000, AP. 402", "outvntMunicipio": "VILA VELHA",
           "outvntEnd_Pessoa_id": 2031, "outvntmunicipio_id": 6, "outvntMsg_Ret": {"empty": true}})"},
      {"person 0", "gCons_End_Dest", R"({"InVntPessoa_id": 0})", "10",
       R"({"outvntMsg_Ret": "Nenhum endereço encontrado com essas informações."})"},
      {"no person", "gCons_End_Dest", R"({"InVntPessoa_id": "''"})", "10",
       R"({"outvntMsg_Ret": "Informe o código da pessoa."})"},
      {"user's person", "mBusca_EMail_Usuario", email(1), "true",
       address("sistemas@tarvosa.com.br")},
      {"collaborator's person", "mBusca_EMail_Usuario", email(2), "true",
       address("jose.ferreira@gmail.com")},
      {"supplier's person", "mBusca_EMail_Usuario", email(3), "true",
       address("trafego@rodovix.com.br")},
      {"person wins over supplier", "mBusca_EMail_Usuario", email(6), "true",
       address("ana.costa@tarvosa.com.br")},
      {"no link", "mBusca_EMail_Usuario", email(5), "true", address("")},
      {"collaborator without an address", "mBusca_EMail_Usuario", email(7), "true", address("")},
      {"no such user", "mBusca_EMail_Usuario", email(99), "true", address("")},
      {"user 0", "mBusca_EMail_Usuario", email(0), "true", address("")},
  };
  testing::ExpectAnswers(caller_, cases);
}

// Whole statements, blanks included, as the trace shows them (last one run).
TEST_F(RegistryLookupsTest, StatementTexts) {
  const std::string owner_tail =
      " TAB_TIPO_VEICULO.CAPACIDADE_KG ,  VEIC_FORN.VEICULO_FORNECEDOR_ID ,  0 RETORNO  FROM ";
  const std::string type_join =
      "VEIC_FORN.TAB_TIPO_VEICULO_ID = TAB_TIPO_VEICULO.TAB_TIPO_VEICULO_ID(+) AND  ";
  const std::string person_tail =
      " AND  VEND_PES.TAB_STATUS_ID_PES = 1 AND  VEND_PES.TAB_STATUS_ID_END = 1  And "
      "VEnd_Pes.Tab_Tipo_Endereco_ID in ( 2,4 )  Order By VEnd_Pes.Tab_Tipo_Endereco_ID ";
  const std::string person_head = " SELECT  VEND_PES.INDICATIVO_PF_PJ INDIC_PJ_PF , ";
  const std::string person_list =
      " VEND_PES.NOME_Fantasia ,  VEND_PES.ENDERECO ,  VEND_PES.MUNICIPIO ,  "
      "VEND_PES.ENDERECO_PESSOA_ID ,  VEND_PES.PESSOA_ID ,  VEND_PES.MUNICIPIO_ID ";
  // The Oracle path reads the vehicle first.
  auto read = [](const char* condition) {
    return std::string(
               " SELECT  COLABORADOR_ID as COLAB_ID ,  FORNECEDOR_ID as FORN_ID,"
               "TAB_TIPO_PROP_VEICULO_ID   FROM VEICULO_FORNECEDOR  WHERE VEICULO_FORNECEDOR_ID "
               " ") +
           condition + " \n";
  };
  struct Case {
    const char* name;
    const char* op;
    const char* args;
    const char* kind;
    std::string want;
  };
  const Case cases[] = {
      {"vehicle refused", "gCons_Veic", R"({"invntVeic_Fornec_id": 0})", "ORACLE",
       read(" is null") + " SELECT 10 RETORNO , 'ESSE VEÍCULO NÃO POSSUI NENHUM FORNECEDOR_ID NEM "
                          "COLABORADOR_ID.' MSG_RETORNO  FROM INFRA_IDS "},
      {"own fleet", "gCons_Veic", R"({"invntVeic_Fornec_id": 1})", "ORACLE",
       read(" = 1") + " SELECT  1 PROPRIETARIO_ID ,  '" + kOwnFleet +
           "' PROPRIETARIO ,  TAB_TIPO_VEICULO.CAPACIDADE_KG , VEICULO_FORNECEDOR_ID,  0 RETORNO  "
           "FROM  VEICULO_FORNECEDOR VEIC_FORN, TAB_TIPO_VEICULO  WHERE  " +
           type_join + "VEIC_FORN.VEICULO_FORNECEDOR_ID   = 1 "},
      {"collaborator", "gCons_Veic", R"({"invntVeic_Fornec_id": 2})", "ORACLE",
       read(" = 2") +
           " SELECT  VEIC_FORN.COLABORADOR_ID PROPRIETARIO_ID ,  COLAB.NOME_FANTASIA PROPRIETARIO "
           ", " +
           owner_tail +
           " VEICULO_FORNECEDOR VEIC_FORN , VCOLABORADOR COLAB ,  TAB_TIPO_VEICULO  WHERE  "
           "VEIC_FORN.COLABORADOR_ID = COLAB.COLABORADOR_ID AND  " +
           type_join +
           "VEIC_FORN.TAB_STATUS_ID = 1 AND  COLAB.TAB_STATUS_ID = 1 AND  "
           "VEIC_FORN.VEICULO_FORNECEDOR_ID   = 2 "},
      {"supplier", "gCons_Veic", R"({"invntVeic_Fornec_id": 3})", "ORACLE",
       read(" = 3") +
           " SELECT  VEIC_FORN.FORNECEDOR_ID PROPRIETARIO_ID ,  FORN.NOME_FANTASIA PROPRIETARIO "
           ", " +
           owner_tail +
           " VEICULO_FORNECEDOR VEIC_FORN , VFORNECEDOR FORN ,  TAB_TIPO_VEICULO  WHERE  "
           "VEIC_FORN.FORNECEDOR_ID = FORN.FORNECEDOR_ID AND  " +
           type_join +
           "VEIC_FORN.TAB_STATUS_ID = 1 AND  FORN.TAB_STATUS_ID = 1 AND  "
           "VEIC_FORN.VEICULO_FORNECEDOR_ID  = 3 "},
      {"vehicle procedure", "gCons_Veic", R"({"invntVeic_Fornec_id": "0"})", "SQLSERVER",
       "Exec SP_ZOR_CON_VEIC_OCG null"},
      {"trailers", "gBusca_Carreta_Veiculo", R"({"InLngVeiculo_Fornecedor_ID": "1"})", "SQLSERVER",
       " SELECT PLACA , VEICULO_FORNECEDOR_ID  From Veiculo_Fornecedor  Where Tab_Status_ID = 1 "
       " And Cavalo_ID  = 1  "},
      {"CNPJ", "gCons_geral", R"({"invntNum_Pj_Pf": "ab-1", "invntIndic_Pj_Pf": "PJ"})", "ORACLE",
       person_head + " VEND_PES.PJ_CGC CNPJ_CPF , " + person_list +
           ",  0 RETORNO  FROM  VENDERECO_PESSOA VEND_PES  WHERE  VEND_PES.PJ_CGC    = 'AB-1'" +
           person_tail},
      {"CPF", "gCons_geral", R"({"invntNum_Pj_Pf": "1", "invntIndic_Pj_Pf": "PF"})", "ORACLE",
       person_head + " VEND_PES.PF_CPF CNPJ_CPF , " + person_list +
           ",  0 RETORNO  FROM  VENDERECO_PESSOA VEND_PES  WHERE  VEND_PES.PF_CPF    = '1'" +
           person_tail},
      {"person procedure", "gCons_geral", R"({"invntNum_Pj_Pf": 12, "invntIndic_Pj_Pf": "PF"})",
       "SQLSERVER", "Exec SP_ZOR_CON_GERAL_OCG '12', 'PF'"},
      {"address", "gCons_End_Dest", R"({"InVntPessoa_id": 203})", "SQLSERVER",
       person_head + " VEND_PES.PJ_CGC CNPJ_CPF , " + person_list +
           "  FROM  VENDERECO_PESSOA VEND_PES  WHERE  VEND_PES.PESSOA_ID    = 203" + person_tail},
      {"e-mail, person", "mBusca_EMail_Usuario", R"({"InLngUsuario_Internet_ID": 4})", "ORACLE",
       " SELECT  COLABORADOR_ID,  PESSOA_ID,  FORNECEDOR_ID  FROM USUARIO WHERE  USUARIO_ID  = 4\n"
       " SELECT  PESSOA.EMAIL  FROM PESSOA   WHERE PESSOA_ID  = 501"},
      {"e-mail, person", "mBusca_EMail_Usuario", R"({"InLngUsuario_Internet_ID": 4})", "SQLSERVER",
       " SELECT  COLABORADOR_ID,  PESSOA_ID,  FORNECEDOR_ID  FROM USUARIO WHERE  USUARIO_ID = 4\n"
       " SELECT  PESSOA.EMAIL  FROM PESSOA  WHERE PESSOA_ID = 501"},
      {"e-mail, supplier", "mBusca_EMail_Usuario", R"({"InLngUsuario_Internet_ID": 3})", "ORACLE",
       " SELECT  COLABORADOR_ID,  PESSOA_ID,  FORNECEDOR_ID  FROM USUARIO WHERE  USUARIO_ID  = 3\n"
       " SELECT  PESSOA.EMAIL  FROM PESSOA, FORNECEDOR   WHERE FORNECEDOR.PESSOA_ID = "
       "PESSOA.PESSOA_ID  AND FORNECEDOR.FORNECEDOR_ID  = 401"},
      {"e-mail, collaborator", "mBusca_EMail_Usuario", R"({"InLngUsuario_Internet_ID": 2})",
       "SQLSERVER",
       " SELECT  COLABORADOR_ID,  PESSOA_ID,  FORNECEDOR_ID  FROM USUARIO WHERE  USUARIO_ID = 2\n"
       " SELECT  PESSOA.EMAIL  FROM PESSOA, COLABORADOR   WHERE COLABORADOR.PESSOA_ID = "
       "PESSOA.PESSOA_ID  AND COLABORADOR.COLABORADOR_ID = 301"},
      {"e-mail, user 0", "mBusca_EMail_Usuario", R"({"InLngUsuario_Internet_ID": 0})", "SQLSERVER",
       " SELECT  COLABORADOR_ID,  PESSOA_ID,  FORNECEDOR_ID  FROM USUARIO WHERE  USUARIO_ID = "
       "null"},
  };
  for (const Case& c : cases) {
    CallOutcome o = caller_.Call(c.op, c.args, c.kind);
    std::string got;
    for (const auto& s : o.statements) {
      got += (got.empty() ? "" : "\n") + s["sql"].get<std::string>();
      EXPECT_TRUE(s["error"].is_null()) << c.name << ": " << s;
    }
    EXPECT_EQ(c.want, got) << c.name << " / " << c.kind;
  }
  // A vehicle found hands back the statement that found it.
  CallOutcome o = caller_.Call("gCons_Veic", R"({"invntVeic_Fornec_id": 7})", "SQLSERVER");
  EXPECT_EQ("Exec SP_ZOR_CON_VEIC_OCG 7", o.msg);
}

// Each bundled procedure answers with the columns and rows of the statement
// the Oracle path builds for the same call (the statement taken from the
// trace, so the comparison follows the component).
TEST_F(RegistryLookupsTest, ProceduresAnswerAsTheOraclePath) {
  auto rows = [this](const std::string& sql) {
    RowSet set;
    Status st = RunStatement(db_.connection(), sql, &set);
    EXPECT_TRUE(st.ok()) << sql << ": " << st.ToString();
    std::vector<std::map<std::string, Value>> out;
    for (const auto& row : set.rows) {
      auto& named = out.emplace_back();
      for (size_t i = 0; i < row.size(); ++i) named[ToUpperText(set.columns[i])] = row[i];
    }
    return out;
  };
  struct Case {
    const char* op;
    const char* args;
  };
  const Case cases[] = {
      {"gCons_Veic", R"({"invntVeic_Fornec_id": 1})"},
      {"gCons_Veic", R"({"invntVeic_Fornec_id": 2})"},
      {"gCons_Veic", R"({"invntVeic_Fornec_id": 3})"},
      {"gCons_Veic", R"({"invntVeic_Fornec_id": 4})"},
      {"gCons_Veic", R"({"invntVeic_Fornec_id": 5})"},
      {"gCons_geral", R"({"invntNum_Pj_Pf": "23.456.789/0001-01", "invntIndic_Pj_Pf": "PJ"})"},
      {"gCons_geral", R"({"invntNum_Pj_Pf": "123.456.789-09", "invntIndic_Pj_Pf": "PF"})"},
      {"gCons_geral", R"({"invntNum_Pj_Pf": "123.456.789-09", "invntIndic_Pj_Pf": "pf"})"},
      {"gCons_Flag_Progr", R"({"invntCliente_id": 103})"},
      {"gCons_Flag_Progr", R"({"invntCliente_id": 104})"},
  };
  for (const Case& c : cases) {
    const std::string oracle = OperationCaller::LastStatement(caller_.Call(c.op, c.args, "ORACLE"));
    const std::string procedure =
        OperationCaller::LastStatement(caller_.Call(c.op, c.args, "SQLSERVER"));
    EXPECT_TRUE(procedure.starts_with("Exec SP_")) << procedure;
    EXPECT_EQ(rows(oracle), rows(procedure)) << c.op << " " << c.args;
  }
  // A vehicle whose keys fit no rule answers in the shape of its read.
  db_.Exec("UPDATE VEICULO_FORNECEDOR SET COLABORADOR_ID = -1 WHERE VEICULO_FORNECEDOR_ID = 4");
  EXPECT_EQ(rows(OperationCaller::LastStatement(
                caller_.Call("gCons_Veic", R"({"invntVeic_Fornec_id": 4})", "ORACLE"))),
            rows("EXEC SP_ZOR_CON_VEIC_OCG 4"));
}

TEST_F(RegistryLookupsTest, TrappedErrors) {
  const std::string vehicle =
      "Acesso aos dados do veículo não disponível. Favor tentar mais tarde.";
  const std::string person =
      "Acesso aos dados do destinatário não disponível. Favor tentar mais tarde.";
  for (const char* kind : {"ORACLE", "SQLSERVER"}) {
    testing::ExpectTrap(caller_, db_, "null vehicle", "gCons_Veic",
                        R"({"invntVeic_Fornec_id": null})", kind, vehicle, "ZorOCG.gCons_Veic");
    testing::ExpectTrap(caller_, db_, "null tractor", "gBusca_Carreta_Veiculo",
                        R"({"InLngVeiculo_Fornecedor_ID": null})", kind, vehicle,
                        "gBusca_Carreta_Veiculo - Z032CONH");
    testing::ExpectTrap(caller_, db_, "lower-case kind", "gCons_geral",
                        R"({"invntNum_Pj_Pf": "1", "invntIndic_Pj_Pf": "pj"})", kind, person,
                        "ZorOCG.gCons_geral");
    testing::ExpectTrap(
        caller_, db_, "letters after the person", "gCons_End_Dest", R"({"InVntPessoa_id": "2 x"})",
        kind,
        "Acesso aos dados do endereço do destinatário não disponível. Favor tentar mais tarde.",
        "ZorOCG.gCons_End_Dest");
  }
  testing::ExpectTrap(caller_, db_, "not a whole number", "gCons_Veic",
                      R"({"invntVeic_Fornec_id": "1x"})", "ORACLE", vehicle, "ZorOCG.gCons_Veic");
  db_.Exec("ALTER TABLE USUARIO RENAME TO USUARIO_OLD");
  CallOutcome o = testing::ExpectTrap(
      caller_, db_, "no user table", "mBusca_EMail_Usuario", R"({"outstremail": "before"})",
      "SQLSERVER", "Acesso ao e-mail do usuário não disponível. Favor tentar mais tarde.",
      "ZOREAC.mBusca_EMail_Usuario");
  EXPECT_EQ("before", o.by_name["outstremail"]);
  // The emulation traps its own failure; the operation does not log again.
  db_.Exec("ALTER TABLE VEICULO_FORNECEDOR RENAME TO VEICULO_OLD");
  testing::ExpectTrap(caller_, db_, "no vehicle table", "gCons_Veic",
                      R"({"invntVeic_Fornec_id": 1})", "ORACLE", vehicle,
                      "ZorOCG.mTrataSP_ZOR_CON_VEIC_OCG");
}

}  // namespace
}  // namespace ocg
