// Job registration against a real database, on each engine under both kinds.
#include "jobs/job_registration.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "infra/sql_format.h"
#include "jobs/cva_job_call.h"
#include "test_support.h"

namespace ocg {
namespace {

using testing::JobCall;
using testing::TempDatabase;
using testing::TraceCapture;

class JobRegistrationTest : public testing::EngineTest {
 protected:
  TempDatabase db_{engine()};
};
OCG_ON_EVERY_ENGINE(JobRegistrationTest);

// The job's row, its statements as built (the job's id written as #) and one
// system-log row per write. Under ORACLE the title and recipient are stored
// in capitals; a flag "s" does not send: title and recipient are blanked, in
// the row and in the caller's arguments.
TEST_P(JobRegistrationTest, StoresTheJobAndItsParameterText) {
  const std::string params = "__2003/01/01 00:00__2003/01/01 00:00__778899__3__0__0__6__0__0__0__0";
  struct Case {
    const char* kind;
    const char* flag;
    const char* start;
    std::string row;
    std::vector<std::string> statements = {};
  };
  const Case cases[] = {
      {"ORACLE",
       "S",
       "",
       "5|2305|GRAVAÇÃO DO ARQUIVO DE CVA ELETRÔNICO ENCERRADA.|S|ANA@TARVOSA.COM.BR|1|<null>|"
       "__JOB__#" +
           params,
       {" INSERT  INTO LOG_GERADOR  ( LOG_GERADOR_ID ,  USUARIO_INTERNET_ID ,  FUNCAO_ID ,  "
        "TITULO_EMAIL ,  FLAG_ENVIA_EMAIL ,  TEXTO_EMAIL ,  ENDERECO_EMAIL ,  Tab_Status_JOB_ID,  "
        "Data_Inicio,  Email_Remetente,  Endereco_anexo  )  VALUES  (    # ,     5 ,     2305 ,    "
        " "
        "'GRAVAÇÃO DO ARQUIVO DE CVA ELETRÔNICO ENCERRADA.' ,     'S' ,    NULL ,     "
        "'ANA@TARVOSA.COM.BR' ,     1 ,    null ,    NULL ,    NULL   ) ",
        " UPDATE LOG_GERADOR  SET  TXT_QUERY =    '__JOB__#" + params +
            "'  WHERE LOG_GERADOR_ID  = # "}},
      {"SQLSERVER",
       "S",
       "",
       "5|2305|" + testing::kCvaTitle + "|S|ana@tarvosa.com.br|1|<null>|__JOB__#" + params,
       {"EXEC SP_ZOR_INC_JOB2   5, 2305, '" + testing::kCvaTitle +
            "', 'S', 5, null, 'ana@tarvosa.com.br' , 1 , null , null , null  ",
        "EXEC SP_ZOR_INCLUI_PARAMETRO_JOB   #, '__JOB__#" + params + "', 5"}},
      {"ORACLE", "s", "06/12/2026 10:30",
       "5|2305|<null>|S|<null>|1|2026-12-06 10:30:00|__JOB__#" + params},
      {"SQLSERVER", "s", "06/12/2026 10:30",
       "5|2305|<null>|s|<null>|1|2026-12-06 10:30:00|__JOB__#" + params},
  };
  TraceCapture trace(db_.dir());
  for (const Case& c : cases) {
    const std::string name = std::string(c.kind) + " flag " + c.flag;
    const long system_log = db_.Count("LOG_SISTEMA");
    JobCall call(c.kind, db_);
    call.flag = Value::Text(c.flag);
    call.data_inicio = Value::Text(c.start);
    trace.Clear();
    ASSERT_TRUE(call.Run()) << name << ": " << Cat(call.msg);
    EXPECT_EQ("untouched", Cat(call.msg)) << name;
    const std::string id = Cat(call.job_id);
    auto with_id = [&id](std::string s) {
      for (size_t at; (at = s.find('#')) != std::string::npos;) s.replace(at, 1, id);
      return s;
    };
    EXPECT_EQ(Value::Int32(std::stoi(id)), db_.Scalar("SELECT LOG_GERADOR_ID FROM INFRA_IDS"));
    EXPECT_EQ(with_id(c.row) + "|",
              testing::Text(db_,
                            "SELECT USUARIO_INTERNET_ID || '|' || FUNCAO_ID || '|' || "
                            "COALESCE(TITULO_EMAIL, '<null>') || '|' || FLAG_ENVIA_EMAIL || '|' || "
                            "COALESCE(ENDERECO_EMAIL, '<null>') || '|' || TAB_STATUS_JOB_ID || '|' "
                            "|| COALESCE(CAST(DATA_INICIO AS VARCHAR(30)), '<null>') || '|' || "
                            "TXT_QUERY FROM LOG_GERADOR WHERE LOG_GERADOR_ID = " +
                                id))
        << name;
    for (const std::string& sql : c.statements) {
      const auto built = trace.Statements();
      EXPECT_NE(built.end(), std::ranges::find(built, with_id(sql)))
          << name << ": " << with_id(sql);
    }
    EXPECT_EQ(system_log + 2,
              db_.Count("LOG_SISTEMA WHERE TABELA_SISTEMA_ID = 490 AND TAB_TIPO_ACAO_ID = 1"))
        << name << ": one per write";
    EXPECT_EQ(c.flag[0] == 's' ? "" : "ana@tarvosa.com.br", Cat(call.destinatario)) << name;
    EXPECT_EQ(0, db_.Count("LOG_MSG")) << name;
  }
}

// Refusals leave no job; those past the configuration checks log one row
// "LUM_JOB.gInclui_JOB - " + the message (a trapped error, its own row).
TEST_P(JobRegistrationTest, RefusalsWriteNothing) {
  struct Case {
    const char* name;
    void (*change)(JobCall&);
    const char* msg;
    const char* logged = "";  // the start of the LOG_MSG row; "" for none
  };
  const Case cases[] = {
      {"blank kind", [](JobCall& c) { c.banco = Value::Text("  "); },
       "Informações de configuração do sistema incompletas (Banco de Dados)."},
      {"empty connection", [](JobCall& c) { c.conecta = Value::Text(""); },
       "Informações de configuração do sistema incompletas (String de Conexão)."},
      {"user not numeric", [](JobCall& c) { c.usuario = Value::Text("ana"); },
       "Informações de configuração do sistema incompletas (Código do Usuário)."},
      {"count not numeric", [](JobCall& c) { c.qtde = Value::Text("onze"); },
       "Quantidade de parâmetros informada inválida.", "LUM_JOB.gInclui_JOB - "},
      {"function code 0", [](JobCall& c) { c.funcao = Value::Int32(0); },
       "Código da Função deve ser igual ou maior que 1", "LUM_JOB.gInclui_JOB - "},
      {"flag of two characters", [](JobCall& c) { c.flag = Value::Text("SS"); },
       "Preencha Envia E-Mail (S/N) com, no máximo, 1 caracteres.", "LUM_JOB.gInclui_JOB - "},
      {"no such date", [](JobCall& c) { c.data_inicio = Value::Text("31/02/2026"); },
       "Informe uma data de início válida.", "LUM_JOB.gInclui_JOB - "},
      {"sending without a recipient", [](JobCall& c) { c.destinatario = Value::Text(""); },
       "Preencha Destinatário do E-Mail", "LUM_JOB.gInclui_JOB - "},
      {"more parameters than the list", [](JobCall& c) { c.qtde = Value::Int32(12); },
       "Acesso a inclusão do JOB não disponível. Favor tentar mais tarde.",
       "Acesso a inclusão do JOB"},
  };
  const long jobs = db_.Count("LOG_GERADOR");
  for (const char* kind : {"ORACLE", "SQLSERVER"}) {
    for (const Case& c : cases) {
      db_.Exec("DELETE FROM LOG_MSG");
      JobCall call(kind, db_);
      c.change(call);
      const std::string name = std::string(c.name) + " / " + kind;
      EXPECT_FALSE(call.Run()) << name;
      EXPECT_TRUE(Cat(call.msg).starts_with(c.msg)) << name << ": " << Cat(call.msg);
      EXPECT_EQ(jobs, db_.Count("LOG_GERADOR")) << name;
      EXPECT_EQ(*c.logged ? 1 : 0, db_.Count("LOG_MSG")) << name;
      EXPECT_TRUE(Cat(db_.Scalar("SELECT MSG01 FROM LOG_MSG")).starts_with(c.logged)) << name;
    }
  }
}

// The parameter step fails after the job row was written: nothing stays, not
// the row, not its key, not its system-log row, and the failure is logged.
TEST_P(JobRegistrationTest, AFailedParameterStepLeavesNoHalfJob) {
  db_.Exec(engine() == testing::Engine::kEmbedded
               ? "CREATE TRIGGER NO_PARAMETERS BEFORE UPDATE OF TXT_QUERY ON LOG_GERADOR "
                 "BEGIN SELECT RAISE(ABORT, 'parameters refused'); END"
               : "CREATE FUNCTION NO_PARAMETERS() RETURNS trigger LANGUAGE plpgsql AS "
                 "$$BEGIN RAISE EXCEPTION 'parameters refused'; END$$; "
                 "CREATE TRIGGER NO_PARAMETERS BEFORE UPDATE OF TXT_QUERY ON LOG_GERADOR "
                 "FOR EACH ROW EXECUTE FUNCTION NO_PARAMETERS()");
  const std::string jobs = "SELECT COUNT(*), MAX(LOG_GERADOR_ID) FROM LOG_GERADOR",
                    keys = "SELECT LOG_GERADOR_ID, LOG_SISTEMA_ID FROM INFRA_IDS",
                    system_log = "SELECT COUNT(*) FROM LOG_SISTEMA";
  auto state = [&] {
    return testing::Text(db_, jobs) + testing::Text(db_, keys) + testing::Text(db_, system_log);
  };
  const std::string before = state();
  for (const char* kind : {"ORACLE", "SQLSERVER"}) {
    JobCall call(kind, db_);
    EXPECT_FALSE(call.Run()) << kind;
    EXPECT_EQ(before, state()) << kind;
    EXPECT_GE(db_.Count("LOG_MSG"), 1) << kind;
  }
}

}  // namespace
}  // namespace ocg
