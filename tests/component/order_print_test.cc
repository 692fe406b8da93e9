// The print fields of an order, through the bundled print routine; the same
// statement under both kinds.
#include <string>

#include "component/call_support.h"
#include "gtest/gtest.h"

namespace ocg {
namespace {

using testing::Answer;
using testing::CallOutcome;
using testing::OperationCaller;

class OrderPrintTest : public ::testing::Test {
 protected:
  testing::TempDatabase db_;
  OperationCaller caller_{db_};
};

TEST_F(OrderPrintTest, Answers) {
  auto order = [](const char* id) {
    return std::string(R"({"invntDocto_Transp_id": )") + id +
           R"(, "outvnttam_resposta": 99, "outvntarrconteudo": "x"})";
  };
  const std::string untouched =
      R"({"outvnttam_resposta": 99, "outvntarrconteudo": "x", "outvntMsg_Ret": {"empty": true}})";
  const std::vector<Answer> cases = {
      {"everything filled", "gImprime_Coleta", order("1"), "0",
       R"({"outvnttam_resposta": 99, "outvntMsg_Ret": {"empty": true}, "outvntarrconteudo": [
           "AV. DANTE MICHELINI, 5500 - JARDIM CAMBURI", "VITÓRIA/ES", "29090-900",
           "(27) 3333-1000", "SIDERÚRGICA CAPIXABA S.A.",
           "AV. BRIGADEIRO EDUARDO GOMES, 930 - SERRA/ES", "30/11/2026", "CAVALO MECÂNICO 6X2",
           "MTQ-2002", "MTQ-2021", "JOSÉ FERREIRA SANTOS", "4500012345",
           "METALÚRGICA HORIZONTE - AV. AMAZONAS, 7200 - BELO HORIZONTE/MG", 30.0, 158,
           "CARGA AMARRADA COM CINTAS", "FILIAL VITÓRIA - PORTO DE TUBARÃO"]})"},
      {"nothing optional: empty texts, numbers 0", "gImprime_Coleta", order(R"("4")"), "0",
       R"({"outvntarrconteudo": [
           "AV. DANTE MICHELINI, 5500 - JARDIM CAMBURI", "VITÓRIA/ES", "29090-900",
           "(27) 3333-1000", "CIMENTOS SERRA DO MAR LTDA", "RODOVIA ES-010, KM 4 - SERRA/ES",
           "03/12/2026", "", "", "", "", "",
           "JOÃO CARLOS DA SILVA - RUA SETE, 120 - VITÓRIA/ES", 0, 0, "",
           "FILIAL VITÓRIA - PORTO DE TUBARÃO"]})"},
      {"deleted order: array as passed", "gImprime_Coleta", order("7"), "0", untouched},
      {"order 0", "gImprime_Coleta", order("0"), "0", untouched},
  };
  testing::ExpectAnswers(caller_, cases);
}

TEST_F(OrderPrintTest, StatementTextsAndTraps) {
  struct Case {
    const char* args;
    const char* want;
  };
  const Case cases[] = {{R"({"invntDocto_Transp_id": 123})", " SP_042_IMPRIME_OCC(  123)"},
                        {R"({"invntDocto_Transp_id": ""})", " SP_042_IMPRIME_OCC( null)"},
                        {R"({"invntDocto_Transp_id": "-5"})", " SP_042_IMPRIME_OCC(  -5)"}};
  for (const Case& c : cases) {
    for (const char* kind : {"ORACLE", "SQLSERVER"}) {
      CallOutcome o = caller_.Call("gImprime_Coleta", c.args, kind);
      ASSERT_EQ(1u, o.statements.size()) << c.args;
      EXPECT_EQ(c.want, o.statements[0]["sql"]) << c.args << " / " << kind;
      EXPECT_TRUE(o.statements[0]["error"].is_null()) << o.statements[0];
    }
  }
  const std::string text = "Acesso a impressão da coleta não disponível. Favor tentar mais tarde.";
  for (const char* args :
       {R"({"invntDocto_Transp_id": null})", R"({"invntDocto_Transp_id": "1) OR (1=1"})"}) {
    testing::ExpectTrap(caller_, db_, args, "gImprime_Coleta", args, "ORACLE", text,
                        "ZorOCG.gImprime_Coleta");
  }
  // A routine the database cannot run leaves the array as the caller passed it.
  db_.Exec("ALTER TABLE PONTO_OPERACAO RENAME COLUMN CEP TO CEP_OLD");
  CallOutcome o = testing::ExpectTrap(caller_, db_, "routine broken", "gImprime_Coleta",
                                      R"({"invntDocto_Transp_id": 1, "outvntarrconteudo": "x"})",
                                      "SQLSERVER", text, "ZorOCG.gImprime_Coleta");
  EXPECT_EQ("x", o.by_name["outvntarrconteudo"]);
}

}  // namespace
}  // namespace ocg
