// A programme's status after its tonnage changed, with the clock fixed at the
// edges of each window (the component's now and the engine's sysdate move
// together).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "component/load_programmes.h"
#include "infra/sql_format.h"
#include "test_support.h"

namespace ocg {
namespace {

using testing::TempDatabase;
using testing::TraceCapture;

constexpr const char* kNotFound =
    " Não foram encontradas Programações de Carga com estas Características. ";

DateTime At(const std::string& moment) { return *ParseDateTime(moment); }

// 'yyyy/mm/dd hh:mm' quoted, or NULL for "".
std::string Lit(const std::string& moment) { return moment.empty() ? "NULL" : "'" + moment + "'"; }

class ProgrammeStatusTest : public testing::EngineTest {
 protected:
  // Programme 9901 of customer 101 -> 201 (address 2012) at point 7001.
  void SetUp() override {
    EngineTest::SetUp();
    if (IsSkipped()) return;
    db_.Exec(
        "INSERT INTO PONTO_OPERACAO (PONTO_OPERACAO_ID, LIMITE_PROGR_CARGA) VALUES (7001, 10);"
        "INSERT INTO PROGRAM_CARGA (PROGRAM_CARGA_ID, CLIENTE_ID, DESTINATARIO_ID, "
        "END_DESTINATARIO_ID, PONTO_OPERACAO_ID, ORIGEM_ID, TAB_STATUS_ID, DATA_ENCERRAMENTO) "
        "VALUES (9901, 101, 201, 2012, 7001, 2, 502, '2026/11/30 10:00')");
  }
  void TearDown() override { SetClockForTesting(std::nullopt); }

  // Runs the status update at now; the new status and closing moment, or the
  // message when it refused.
  std::string Run(const char* kind, const std::string& now) {
    SetClockForTesting(At(now));
    Value msg;
    if (!mAltera_Status_Programacao(kind, db_.connection(), 9901, msg, Value::Int32(5))) {
      return Cat(msg);
    }
    const auto row = db_.Rows(
        "SELECT TAB_STATUS_ID, DATA_ENCERRAMENTO FROM PROGRAM_CARGA WHERE PROGRAM_CARGA_ID = "
        "9901")[0];
    return Cat(row[0]) + (row[1].is_null() ? "" : " closed " + Cat(row[1]));
  }

  TempDatabase db_{engine()};
};
OCG_ON_EVERY_ENGINE(ProgrammeStatusTest);

TEST_P(ProgrammeStatusTest, Transitions) {
  struct Case {
    const char* name;
    const char* limit;
    const char* to_ship;
    std::string critical, latest, available, now, want;
  };
  const std::string crit = "2027/01/15 00:00", last = "2027/03/31 23:59",
                    avail = "2026/12/01 06:00";
  const Case cases[] = {
      {"8 t under a limit of 10 closes", "10", "8", crit, last, avail, "2027/02/01 09:30:45",
       "502 closed 01/02/2027 09:30:00"},
      {"the limit itself closes", "10", "10", "", "", "", "2027/02/01 09:30",
       "502 closed 01/02/2027 09:30:00"},
      {"nothing (null) against a limit of 0", "0", "NULL", crit, last, avail, "2027/02/01 09:30",
       "502 closed 01/02/2027 09:30:00"},
      {"inside the critical period: the closing date goes", "10", "50", crit, last, avail,
       "2027/02/01 09:30", "504"},
      {"the critical start's own minute is not inside", "10", "50", crit, last, avail,
       "2027/01/15 00:00:59", "501"},
      {"one minute later it is", "10", "50", crit, last, avail, "2027/01/15 00:01", "504"},
      {"the latest date's own minute: neither", "10", "50", crit, last, avail,
       "2027/03/31 23:59:30", "501"},
      {"a minute later, overdue", "10", "50", crit, last, avail, "2027/04/01 00:00", "505"},
      {"critical across the year end", "10", "50", "2026/12/31 23:59", last, avail,
       "2027/01/01 00:00", "504"},
      {"leap day still critical", "10", "50", "2028/02/01 00:00", "2028/02/29 23:59", avail,
       "2028/02/29 12:00", "504"},
      {"the day after the leap day, overdue", "10", "50", "2028/02/01 00:00", "2028/02/29 23:59",
       avail, "2028/03/01 00:00", "505"},
      {"before availability", "10", "50", crit, last, "2027/01/10 06:00", "2027/01/10 05:59",
       "503"},
      {"at the availability minute: open", "10", "50", crit, last, "2027/01/10 06:00",
       "2027/01/10 06:00", "501"},
      {"no critical start: critical until the latest date", "10", "50", "", last, avail,
       "2026/12/07 08:00", "504"},
      {"no latest date: overdue", "10", "50", crit, "", avail, "2026/12/07 08:00", "505"},
  };
  for (const Case& c : cases) {
    for (const char* kind : {"ORACLE", "SQLSERVER"}) {
      db_.Exec(std::string("UPDATE PONTO_OPERACAO SET LIMITE_PROGR_CARGA = ") + c.limit +
               " WHERE PONTO_OPERACAO_ID = 7001;"
               "UPDATE PROGRAM_CARGA SET TAB_STATUS_ID = 502, DATA_ENCERRAMENTO = "
               "'2026/11/30 10:00', TON_P_ESCOAR = " +
               c.to_ship + ", DATA_INI_PRAZO_CRIT = " + Lit(c.critical) +
               ", DATA_MAX_ESCOAM = " + Lit(c.latest) + ", DATA_DISPON = " + Lit(c.available) +
               " WHERE PROGRAM_CARGA_ID = 9901");
      EXPECT_EQ(c.want, Run(kind, c.now)) << c.name << " / " << kind;
    }
  }
  EXPECT_EQ(0, db_.Count("LOG_MSG"));
}

// Only 501 to 505 are changed; the refusal is not logged.
TEST_P(ProgrammeStatusTest, OtherStatusesAreLeftAlone) {
  for (const char* status : {"2", "NULL", "500"}) {
    db_.Exec(std::string("UPDATE PROGRAM_CARGA SET TAB_STATUS_ID = ") + status +
             ", TON_P_ESCOAR = 0 WHERE PROGRAM_CARGA_ID = 9901");
    const std::string got = Run("ORACLE", "2027/02/01 09:30");
    EXPECT_TRUE(got.starts_with(std::string(kNotFound) + " 2:  SELECT ")) << status << got;
    EXPECT_EQ(status,
              Cat(db_.Scalar(
                  "SELECT COALESCE(CAST(TAB_STATUS_ID AS VARCHAR(12)), 'NULL') FROM PROGRAM_CARGA "
                  "WHERE PROGRAM_CARGA_ID = 9901")));
  }
  EXPECT_EQ(0, db_.Count("LOG_MSG"));
}

TEST_P(ProgrammeStatusTest, StatementTexts) {
  const std::string reading =
      " SELECT  PROGRAM_CARGA.PROGRAM_CARGA_ID ,  PROGRAM_CARGA.CLIENTE_ID ,  CLIENTE.NOME "
      "CLIENTE_NOME ,  PROGRAM_CARGA.TAB_STATUS_ID ,  PROGRAM_CARGA.ORIGEM_ID ,  "
      "PROGRAM_CARGA.PONTO_OPERACAO_ID ,  PROGRAM_CARGA.DESTINATARIO_ID ,  "
      "PROGRAM_CARGA.END_DESTINATARIO_ID ,  DEST_END.NOME DESTINATARIO_NOME ,  DEST_END.PJ_CGC , "
      " DEST_END.PF_CPF ,  DEST_END.ENDERECO ,  DEST_END.MUNICIPIO ,  DEST_END.UF ,  "
      "PROGRAM_CARGA.TAB_TIPO_PRODUTO_ID ,  PROGRAM_CARGA.TAB_TIPO_VEICULO_ID ,  "
      "TO_CHAR(PROGRAM_CARGA.DATA_ATUAL, 'DD/MM/YYYY') DATA_ATUAL,  PROGRAM_CARGA.NUM_PROGRAMACAO "
      ",  PROGRAM_CARGA.PRAZO_ESCOAMENTO ,  PROGRAM_CARGA.TON_PROGRAMADA ,  "
      "PROGRAM_CARGA.TON_CARREGADA ,  PROGRAM_CARGA.TON_P_ESCOAR ,  "
      "TO_CHAR(PROGRAM_CARGA.DATA_DISPON, 'DD/MM/YYYY') DATA_DISPON,  PROGRAM_CARGA.DATA_DISPON "
      "DATA_DISPONIVEL ,  PROGRAM_CARGA.DATA_DISPON HORA_DISPONIVEL ,  "
      "PROGRAM_CARGA.DATA_MAX_ESCOAM ,  PROGRAM_CARGA.DATA_INI_PRAZO_CRIT ,  "
      "PROGRAM_CARGA.PRECO_CARRETEIRO ,  PROGRAM_CARGA.OBSERV ,  "
      "PONTO_OPERACAO.limite_progr_carga,  ORIGEM.MUNICIPIO MUNICIPIO_ORIGEM  FROM  "
      "PROGRAM_CARGA ,  PESSOA CLIENTE ,  VENDERECO_PESSOA DEST_END,  PONTO_OPERACAO,  MUNICIPIO "
      "ORIGEM  WHERE  PROGRAM_CARGA.PROGRAM_CARGA_ID   = 9901 AND  PROGRAM_CARGA.CLIENTE_ID = "
      "CLIENTE.PESSOA_ID AND  PROGRAM_CARGA.END_DESTINATARIO_ID = DEST_END.ENDERECO_PESSOA_ID AND "
      " PROGRAM_CARGA.ORIGEM_ID = ORIGEM.MUNICIPIO_iD AND  PROGRAM_CARGA.TAB_STATUS_ID IN ( 501 , "
      "502, 503, 504, 505 ) AND  PROGRAM_CARGA.PONTO_OPERACAO_ID = "
      "PONTO_OPERACAO.PONTO_OPERACAO_ID ";
  // Without dates the programme is overdue (505) once it has tonnage to ship.
  const struct {
    const char* kind;
    const char* to_ship;
    std::string update;
  } cases[] = {
      {"SQLSERVER", "5",
       " UPDATE PROGRAM_CARGA SET  TAB_STATUS_ID = 502 ,  Data_Encerramento = '2027/02/01 "
       "09:30'   WHERE PROGRAM_CARGA_ID  = 9901"},
      {"SQLSERVER", "50",
       " UPDATE PROGRAM_CARGA SET  TAB_STATUS_ID = 505 ,  Data_Encerramento = null   WHERE "
       "PROGRAM_CARGA_ID  = 9901"},
      {"oracle", "5",
       " UPDATE PROGRAM_CARGA SET  TAB_STATUS_ID =   502 ,  Data_Encerramento =   "
       "to_date('2027/02/01 09:30:00', 'yyyy/mm/dd hh24:mi:ss')   WHERE PROGRAM_CARGA_ID  = "
       "9901"},
      {"ORACLE", "50",
       " UPDATE PROGRAM_CARGA SET  TAB_STATUS_ID =   505 ,  Data_Encerramento =  null   WHERE "
       "PROGRAM_CARGA_ID  = 9901"},
  };
  TraceCapture trace(db_.dir());
  for (const auto& c : cases) {
    db_.Exec(std::string("UPDATE PROGRAM_CARGA SET TAB_STATUS_ID = 501, TON_P_ESCOAR = ") +
             c.to_ship + " WHERE PROGRAM_CARGA_ID = 9901");
    trace.Clear();
    SetClockForTesting(At("2027/02/01 09:30:12"));
    Value msg;
    EXPECT_TRUE(mAltera_Status_Programacao(c.kind, db_.connection(), 9901, msg, Value::Int32(5)));
    EXPECT_EQ((std::vector<std::string>{reading, c.update}), trace.Statements()) << c.kind;
  }
}

TEST_P(ProgrammeStatusTest, TrappedError) {
  db_.Exec(engine() == testing::Engine::kPostgres ? "DROP TABLE MUNICIPIO CASCADE"
                                                  : "DROP TABLE MUNICIPIO");
  Value msg;
  EXPECT_FALSE(mAltera_Status_Programacao("ORACLE", db_.connection(), 9901, msg, Value::Int32(1)));
  EXPECT_TRUE(Cat(msg).starts_with(
      "Acesso a alteração do status da programação não disponível. Favor tentar mais tarde. "
      "ZorOCG.mAltera_Status_Programacao ( "))
      << Cat(msg);
  EXPECT_EQ(1, db_.Count("LOG_MSG"));
}

}  // namespace
}  // namespace ocg
