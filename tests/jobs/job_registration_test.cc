// Job registration against a real embedded database, under both kinds.
#include "jobs/job_registration.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "infra/sql_format.h"
#include "jobs/cva_job_call.h"
#include "test_support.h"

namespace ocg {
namespace {

using nlohmann::json;
using testing::TempDatabase;
using testing::TraceCapture;

constexpr const char* kKinds[] = {"ORACLE", "SQLSERVER"};
using testing::JobCall;
const std::string& kTitle = testing::kCvaTitle;

class JobRegistrationTest : public testing::EngineTest {};
OCG_ON_EVERY_ENGINE(JobRegistrationTest);

std::string Row(const TempDatabase& db, int id) {
  auto rows = db.Rows(
      "SELECT USUARIO_INTERNET_ID || '|' || FUNCAO_ID || '|' || COALESCE(TITULO_EMAIL, '<null>') "
      "|| "
      "'|' || FLAG_ENVIA_EMAIL || '|' || COALESCE(ENDERECO_EMAIL, '<null>') || '|' || "
      "TAB_STATUS_JOB_ID || '|' || COALESCE(CAST(DATA_INICIO AS VARCHAR(30)), '<null>') || '|' || "
      "TXT_QUERY "
      "FROM LOG_GERADOR WHERE LOG_GERADOR_ID = " +
      std::to_string(id));
  return rows.empty() ? "<none>" : Cat(rows[0][0]);
}

TEST_P(JobRegistrationTest, StoresTheJobAndItsParameterTextUnderBothKinds) {
  const std::string params = "__2003/01/01 00:00__2003/01/01 00:00__778899__3__0__0__6__0__0__0__0";
  struct Case {
    const char* kind;
    const char* flag;
    const char* start;
    std::string want;  // the row, with the job id written as #
  };
  const Case cases[] = {
      {"ORACLE", "S", "",
       "5|2305|GRAVAÇÃO DO ARQUIVO DE CVA ELETRÔNICO ENCERRADA.|S|"
       "ANA@TARVOSA.COM.BR|1|<null>|__JOB__#" +
           params},
      {"SQLSERVER", "S", "",
       "5|2305|" + kTitle + "|S|ana@tarvosa.com.br|1|<null>|__JOB__#" + params},
      // "s" does not send: title and recipient are blanked, in the row and in
      // the caller's arguments.
      {"ORACLE", "s", "06/12/2026 10:30",
       "5|2305|<null>|S|<null>|1|2026-12-06 10:30:00|__JOB__#" + params},
      {"SQLSERVER", "s", "06/12/2026 10:30",
       "5|2305|<null>|s|<null>|1|2026-12-06 10:30:00|__JOB__#" + params},
  };
  for (const Case& c : cases) {
    TempDatabase db(engine());
    const long system_log = db.Count("LOG_SISTEMA");
    JobCall call(c.kind, db);
    call.flag = Value::Text(c.flag);
    call.data_inicio = Value::Text(c.start);
    const std::string name = std::string(c.kind) + " flag " + c.flag;
    ASSERT_TRUE(call.Run()) << name << ": " << Cat(call.msg);
    EXPECT_EQ("untouched", Cat(call.msg)) << name;
    const int id = call.job_id.ToInt32().value();
    EXPECT_EQ(Value::Int32(id), db.Scalar("SELECT LOG_GERADOR_ID FROM INFRA_IDS")) << name;
    std::string want = c.want;
    want.replace(want.find('#'), 1, std::to_string(id));
    EXPECT_EQ(want, Row(db, id)) << name;
    EXPECT_EQ(system_log + 2, db.Count("LOG_SISTEMA")) << name << ": one per write";
    EXPECT_EQ(Value::Int32(2), db.Scalar("SELECT COUNT(*) FROM LOG_SISTEMA WHERE "
                                         "TABELA_SISTEMA_ID = 490 AND TAB_TIPO_ACAO_ID = 1 AND "
                                         "REGISTRO_ID = " +
                                         std::to_string(id)))
        << name;
    if (std::string(c.flag) == "s") {
      EXPECT_EQ("", Cat(call.destinatario)) << name;
    }
    EXPECT_EQ(0, db.Count("LOG_MSG")) << name;
  }
}

// Refusals leave no job; those past the configuration checks log one row
// "LUM_JOB.gInclui_JOB - " + the message.
TEST_P(JobRegistrationTest, RefusalsWriteNothing) {
  struct Case {
    const char* name;
    void (*change)(JobCall&);
    const char* msg;
    long log_rows;
  };
  const Case cases[] = {
      {"blank kind", [](JobCall& c) { c.banco = Value::Text("  "); },
       "Informações de configuração do sistema incompletas (Banco de Dados).", 0},
      {"empty connection", [](JobCall& c) { c.conecta = Value::Text(""); },
       "Informações de configuração do sistema incompletas (String de Conexão).", 0},
      {"user not numeric", [](JobCall& c) { c.usuario = Value::Text("ana"); },
       "Informações de configuração do sistema incompletas (Código do Usuário).", 0},
      {"count not numeric", [](JobCall& c) { c.qtde = Value::Text("onze"); },
       "Quantidade de parâmetros informada inválida.", 1},
      {"function code 0", [](JobCall& c) { c.funcao = Value::Int32(0); },
       "Código da Função deve ser igual ou maior que 1", 1},
      {"flag of two characters", [](JobCall& c) { c.flag = Value::Text("SS"); },
       "Preencha Envia E-Mail (S/N) com, no máximo, 1 caracteres.", 1},
      {"no such date", [](JobCall& c) { c.data_inicio = Value::Text("31/02/2026"); },
       "Informe uma data de início válida.", 1},
      {"sending without a recipient", [](JobCall& c) { c.destinatario = Value::Text(""); },
       "Preencha Destinatário do E-Mail", 1},
      {"more parameters than the list", [](JobCall& c) { c.qtde = Value::Int32(12); },
       "Acesso a inclusão do JOB não disponível. Favor tentar mais tarde.", 1},
  };
  for (const char* kind : kKinds) {
    for (const Case& c : cases) {
      TempDatabase db(engine());
      const long jobs = db.Count("LOG_GERADOR");
      JobCall call(kind, db);
      c.change(call);
      const std::string name = std::string(c.name) + " / " + kind;
      EXPECT_FALSE(call.Run()) << name;
      EXPECT_TRUE(Cat(call.msg).starts_with(c.msg)) << name << ": " << Cat(call.msg);
      EXPECT_EQ(jobs, db.Count("LOG_GERADOR")) << name;
      EXPECT_EQ(c.log_rows, db.Count("LOG_MSG")) << name;
      const bool trapped = std::string(c.name) == "more parameters than the list";
      if (c.log_rows == 1) {
        EXPECT_TRUE(
            Cat(db.Scalar("SELECT MSG01 FROM LOG_MSG"))
                .starts_with(trapped ? "Acesso a inclusão do JOB" : "LUM_JOB.gInclui_JOB - "))
            << name;
      }
    }
  }
}

// The parameter step fails after the job row was written: nothing stays, not
// the row, not its key, not its system-log row, and the failure is logged.
TEST_P(JobRegistrationTest, AFailedParameterStepLeavesNoHalfJob) {
  for (const char* kind : kKinds) {
    TempDatabase db(engine());
    db.Exec(engine() == testing::Engine::kEmbedded
                ? "CREATE TRIGGER NO_PARAMETERS BEFORE UPDATE OF TXT_QUERY ON LOG_GERADOR "
                  "BEGIN SELECT RAISE(ABORT, 'parameters refused'); END"
                : "CREATE FUNCTION NO_PARAMETERS() RETURNS trigger LANGUAGE plpgsql AS "
                  "$$BEGIN RAISE EXCEPTION 'parameters refused'; END$$; "
                  "CREATE TRIGGER NO_PARAMETERS BEFORE UPDATE OF TXT_QUERY ON LOG_GERADOR "
                  "FOR EACH ROW EXECUTE FUNCTION NO_PARAMETERS()");
    const Value key = db.Scalar("SELECT LOG_GERADOR_ID || '/' || LOG_SISTEMA_ID FROM INFRA_IDS");
    const long jobs = db.Count("LOG_GERADOR"), system_log = db.Count("LOG_SISTEMA");
    JobCall call(kind, db);
    EXPECT_FALSE(call.Run()) << kind;
    EXPECT_EQ(jobs, db.Count("LOG_GERADOR")) << kind;
    EXPECT_EQ(system_log, db.Count("LOG_SISTEMA")) << kind;
    EXPECT_EQ(key, db.Scalar("SELECT LOG_GERADOR_ID || '/' || LOG_SISTEMA_ID FROM INFRA_IDS"))
        << kind;
    EXPECT_GE(db.Count("LOG_MSG"), 1) << kind;
  }
}

// The statements as the trace shows them.
TEST_P(JobRegistrationTest, StatementTexts) {
  for (const char* kind : kKinds) {
    TempDatabase db(engine());
    TraceCapture trace(db.dir());
    JobCall call(kind, db);
    call.qtde = Value::Int32(2);
    ASSERT_TRUE(call.Run()) << kind << Cat(call.msg);
    const std::string id = Cat(call.job_id);
    std::vector<std::string> got;
    for (const std::string& s : trace.Statements()) {
      if (s.starts_with(" INSERT") || s.starts_with(" UPDATE LOG_GERADOR") ||
          s.starts_with("EXEC")) {
        got.push_back(s);
      }
    }
    std::vector<std::string> want;
    if (std::string(kind) == "ORACLE") {
      want = {
          " INSERT  INTO LOG_GERADOR  ( LOG_GERADOR_ID ,  USUARIO_INTERNET_ID ,  FUNCAO_ID , "
          " TITULO_EMAIL ,  FLAG_ENVIA_EMAIL ,  TEXTO_EMAIL ,  ENDERECO_EMAIL ,  "
          "Tab_Status_JOB_ID,  Data_Inicio,  Email_Remetente,  Endereco_anexo  )  VALUES  (  "
          "  " +
              id +
              " ,     5 ,     2305 ,     'GRAVAÇÃO DO ARQUIVO DE CVA ELETRÔNICO ENCERRADA.' ,"
              "     'S' ,    NULL ,     'ANA@TARVOSA.COM.BR' ,     1 ,    null ,    NULL ,    NULL "
              "  ) ",
          " UPDATE LOG_GERADOR  SET  TXT_QUERY =    '__JOB__" + id +
              "__2003/01/01 00:00__2003/01/01 00:00'  WHERE LOG_GERADOR_ID  = " + id + " "};
    } else {
      want = {"EXEC SP_ZOR_INC_JOB2   5, 2305, '" + kTitle +
                  "', 'S', 5, null, 'ana@tarvosa.com.br' , 1 , null , null , null  ",
              "EXEC SP_ZOR_INCLUI_PARAMETRO_JOB   " + id + ", '__JOB__" + id +
                  "__2003/01/01 00:00__2003/01/01 00:00', 5"};
    }
    EXPECT_EQ(want, got) << kind;
  }
}

}  // namespace
}  // namespace ocg
