// The tonnage spread check and the booking steps against a real embedded
// database, under both kinds: "ORACLE" builds the statements, any other kind
// calls the bundled procedures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "component/load_programmes.h"
#include "component/ocg.h"
#include "infra/sql_format.h"
#include "test_support.h"

namespace ocg {
namespace {

using testing::TempDatabase;
using testing::TraceCapture;

const Value kUntouched = Value::Text("untouched");
const std::string kNoProgramme(kNoProgrammeMessage), kReload(kReloadMessage);
const std::string kCheckTrap =
    "Acesso a consistência dos dados da programação não disponível. Favor tentar mais tarde.";

Value I(int32_t v) { return Value::Int32(v); }
Value T(std::string v) { return Value::Text(std::move(v)); }
Value A(std::vector<Value> items) { return Value::Array(std::move(items)); }

// Customer 101 -> 201 at the test's point 7001 (limit 5): 9901 with 15 t to
// ship, from which order 990002 took 1 and then order 990001 took 5, and 9902
// with 25 t.
void AddOffer(const TempDatabase& db) {
  db.Exec(
      "INSERT INTO PONTO_OPERACAO (PONTO_OPERACAO_ID, LIMITE_PROGR_CARGA) VALUES (7001, 5);"
      "INSERT INTO PROGRAM_CARGA (PROGRAM_CARGA_ID, CLIENTE_ID, DESTINATARIO_ID, "
      "PONTO_OPERACAO_ID, TON_PROGRAMADA, TON_CARREGADA, TON_P_ESCOAR, TAB_STATUS_ID) VALUES "
      "(9901, 101, 201, 7001, 30, 15, 15, 501), (9902, 101, 201, 7001, 25, NULL, 25, 501);"
      "INSERT INTO HIST_PROGR_ESCOAM (HIST_PROGR_ESCOAM_ID, DOCTO_TRANSPORTE_ID, "
      "PROGRAM_CARGA_ID, ULTIMA_TON_PROGR) VALUES (99000, 990002, 9901, 1), "
      "(99001, 990001, 9901, 5)");
}

// Every programme's tonnage, status and closing date, and every link.
std::string Tonnage(const TempDatabase& db) {
  std::string out;
  for (const char* sql : {"SELECT PROGRAM_CARGA_ID, TON_CARREGADA, TON_P_ESCOAR, TAB_STATUS_ID, "
                          "DATA_ENCERRAMENTO FROM PROGRAM_CARGA ORDER BY 1",
                          "SELECT DOCTO_TRANSPORTE_ID, PROGRAM_CARGA_ID, ULTIMA_TON_PROGR FROM "
                          "HIST_PROGR_ESCOAM ORDER BY 1, 2, 3"}) {
    for (const auto& row : db.Rows(sql)) {
      for (const Value& v : row) out += (v.is_null() ? "null" : Cat(v)) + " ";
      out += "\n";
    }
  }
  return out;
}

class TonnageTest : public testing::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    if (!IsSkipped()) AddOffer(db_);
  }

  // Checks a spread of 101 -> 201 at point 7001; result, message, statements.
  Value Run(const char* kind, Value qtde, Value baixas, Value peso, Value docto = I(0),
            Value cliente = I(101)) {
    Value conn = db_.conn(), banco = T(kind), destinatario = I(201), ponto = I(7001), ids,
          user = I(5);
    logs_ = db_.Count("LOG_MSG");
    msg_ = kUntouched;
    trace_.Clear();
    return Ocg().mConsiste_Progr_Carga(conn, banco, cliente, destinatario, ponto, msg_, qtde,
                                       baixas, peso, user, ids, docto);
  }

  TempDatabase db_{engine()};
  TraceCapture trace_{db_.dir()};
  Value msg_;
  long logs_ = 0;
};
OCG_ON_EVERY_ENGINE(TonnageTest);

// Each answer under both kinds: "true", the refusal, or "trap" (the user text,
// one LOG_MSG row). Nothing here moves tonnage.
TEST_P(TonnageTest, SpreadCheck) {
  struct Case {
    const char* name;
    Value qtde, baixas, peso;
    std::string want;
    Value docto = I(0), cliente = I(101);
  };
  const std::string too_big = " não pode ser maior do que a Tonelada a Escoar (";
  const Case cases[] = {
      {"adds up and fits", I(2), A({I(10), I(20)}), T("30"), "true"},
      {"sum short", I(2), A({I(10), I(15)}), T("30"),
       "A somatória das baixas( 25) deve ser igual ao Peso Previsto (30)."},
      {"first take-off over its programme", I(2), A({I(20), I(10)}), T("30"),
       "O valor da baixa (20)" + too_big + "15) correspondente. "},
      {"the order's own take counts again", I(2), A({I(20), I(10)}), T("30"), "true", I(990001)},
      {"a take-off equal to what is left passes", I(2), A({I(15), I(15)}), T("30"), "true"},
      {"just over", I(2), A({T("15,001"), T("14,999")}), T("30"),
       "O valor da baixa (15,001)" + too_big + "15) correspondente. "},
      {"commas and blanks; 10,1 + 20,2 is 30,3", T(" 2 "), A({T(" 10,1 "), T("20,2")}), T("30,3"),
       "true"},
      {"the count as typed is compared with the offer", I(3), A({I(10), I(20), I(0)}), T("30"),
       kReload},
      {"a count that is not whole", T("2,5"), A({I(10), I(20)}), T("30"), kReload},
      {"no count, no sum", I(0), A({I(10), I(20)}), T("30"),
       "A somatória das baixas( 0) deve ser igual ao Peso Previsto (30)."},
      {"weight empty", I(2), A({I(10), I(20)}), T(""), "Preencha Peso Previsto"},
      {"weight 0 and nothing taken", I(2), A({I(0), I(0)}), T("0"), "true"},
      {"negative weight", I(2), A({I(10), I(20)}), T("-30"),
       "Peso Previsto deve ser igual ou maior que 0"},
      // One reading of a typed tonnage: "2.5" is 2,5 in the sum and in the fit.
      {"a point in a take-off", I(2), A({T("2.5"), T("27,5")}), T("30"),
       "O valor da baixa (27,5)" + too_big + "25) correspondente. "},
      {"a point and a comma", I(2), A({T("0.25"), T("14,75")}), T("15"), "true"},
      {"a negative take-off, though the sum adds up", I(2), A({T("-20"), T("50")}), T("30"),
       "O valor da baixa (-20) não pode ser negativo."},
      {"a negative fraction", I(2), A({I(15), T("-0.5")}), T("14,5"),
       "O valor da baixa (-0,5) não pode ser negativo."},
      {"no programme", I(2), A({I(10), I(20)}), T("30"), kNoProgramme, I(0), I(104)},
      {"letters in a take-off", I(2), A({T("abc"), I(30)}), T("30"), "trap"},
      {"fewer take-offs than the count", I(2), A({I(30)}), T("30"), "trap"},
      {"take-offs that are no array", I(2), T("30"), T("30"), "trap"},
      {"a count in letters", T("dois"), A({I(10), I(20)}), T("30"), "trap"},
  };
  const std::string before = Tonnage(db_);
  for (const Case& c : cases) {
    for (const char* kind : {"ORACLE", "SQLSERVER"}) {
      const std::string name = std::string(c.name) + " / " + kind;
      const bool ok = c.want == "true", trap = c.want == "trap";
      EXPECT_EQ(Value::Bool(ok), Run(kind, c.qtde, c.baixas, c.peso, c.docto, c.cliente)) << name;
      EXPECT_EQ(ok ? kUntouched : T(trap ? kCheckTrap : c.want), msg_) << name;
      EXPECT_EQ(logs_ + (trap ? 1 : 0), db_.Count("LOG_MSG")) << name;
    }
  }
  EXPECT_EQ(before, Tonnage(db_));
}

// The offer and the order's links, as the trace shows them.
TEST_P(TonnageTest, StatementTexts) {
  const std::string offer =
      " SELECT  PROGRAM_CARGA.PROGRAM_CARGA_ID ,  PROGRAM_CARGA.NUM_PROGRAMACAO ,  "
      "PROGRAM_CARGA.TON_P_ESCOAR ,  TO_CHAR(PROGRAM_CARGA.DATA_DISPON, 'DD/MM/YYYY') "
      "DATA_DISPON,  PROGRAM_CARGA.TON_PROGRAMADA ,  PROGRAM_CARGA.TON_CARREGADA ,  "
      "PONTO_OPERACAO.LIMITE_PROGR_CARGA  FROM  PROGRAM_CARGA , PONTO_OPERACAO  WHERE  "
      "PROGRAM_CARGA.PONTO_OPERACAO_ID = PONTO_OPERACAO.PONTO_OPERACAO_ID AND  "
      "PROGRAM_CARGA.CLIENTE_ID  = 101 AND  PROGRAM_CARGA.DESTINATARIO_ID  = 201 AND  "
      "PROGRAM_CARGA.PONTO_OPERACAO_ID    = 7001  AND NVL(PROGRAM_CARGA.TON_P_ESCOAR,0) > 0  AND "
      "NVL(PROGRAM_CARGA.TAB_STATUS_ID,0) <> 2  AND NVL(PROGRAM_CARGA.TAB_STATUS_ID,0) <> 502 ";
  const std::string linked =
      " Union SELECT PROGRAM_CARGA.PROGRAM_CARGA_ID , PROGRAM_CARGA.NUM_PROGRAMACAO , "
      "PROGRAM_CARGA.TON_P_ESCOAR ,  TO_CHAR(PROGRAM_CARGA.DATA_DISPON, 'DD/MM/YYYY') DATA_DISPON "
      ", PROGRAM_CARGA.TON_PROGRAMADA , PROGRAM_CARGA.TON_CARREGADA ,  "
      "PONTO_OPERACAO.LIMITE_PROGR_CARGA FROM PROGRAM_CARGA , PONTO_OPERACAO , Hist_Progr_Escoam  "
      "Where PROGRAM_CARGA.PONTO_OPERACAO_ID = PONTO_OPERACAO.PONTO_OPERACAO_ID  AND "
      "PROGRAM_CARGA.PROGRAM_CARGA_ID = Hist_Progr_Escoam.PROGRAM_CARGA_ID  AND "
      "Hist_Progr_Escoam.Docto_Transporte_ID  = 990001  ";
  auto last = [](const std::string& prog) {
    return " SELECT       HIST_PROGR_ESCOAM_ID ,       ULTIMA_TON_PROGR  FROM       "
           "HIST_PROGR_ESCOAM  WHERE       PROGRAM_CARGA_ID   = " +
           prog + "  and     docto_transporte_id  = 990001";
  };
  const std::vector<std::string> want[] = {
      {offer + " ORDER BY PROGRAM_CARGA_ID "},
      {offer + linked + " ORDER BY PROGRAM_CARGA_ID ", last("9901"), last("9902")},
      {"EXEC SP_ZOR_CON_TON_PROG 101, 201, 7001", "EXEC SP_ZOR_CON_ULT_TON_PROG 9901",
       "EXEC SP_ZOR_CON_ULT_TON_PROG 9902"}};
  const char* kinds[] = {"ORACLE", "ORACLE", "SQLSERVER"};
  const Value orders[] = {I(0), T("990001"), I(990001)};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Value::Bool(true), Run(kinds[i], I(2), A({I(10), I(20)}), T("30"), orders[i]));
    EXPECT_EQ(want[i], trace_.Statements()) << kinds[i];
  }
}

// The booking steps: the update texts of both paths (0 is written as null), a
// give-back, and the trap of the link lookup, whose detail has no blanks after
// the number.
TEST_P(TonnageTest, BookingSteps) {
  const Value conn = db_.conn(), user = I(1);
  Value msg;
  std::string sql;
  bool built = false;
  const struct {
    const char* want;
    double remaining, loaded;
  } cases[] = {{" UPDATE PROGRAM_CARGA  SET  TON_P_ESCOAR  =  null ,  TON_CARREGADA =    72.5  "
                "WHERE PROGRAM_CARGA_ID   = 9902 ",
                0, 72.5},
               {"EXEC SP_ZOR_ALT_TON_PROG 9902, 227.5, null", 227.5, 0}};
  for (const auto& c : cases) {
    const Value kind = T(c.want[0] == 'E' ? "SQLSERVER" : "ORACLE");
    EXPECT_TRUE(
        BookTonnage(kind, conn, user, T("9902"), c.remaining, c.loaded, sql, msg, &built).ok());
    EXPECT_EQ(c.want, sql);
  }
  EXPECT_EQ((std::vector<Value>{Value::Double(227.5), Value::Null()}),
            db_.Rows("SELECT TON_P_ESCOAR, TON_CARREGADA FROM PROGRAM_CARGA "
                     "WHERE PROGRAM_CARGA_ID = 9902")[0]);
  // 4 t back to a programme with 6 t to ship and 10 t loaded.
  db_.Exec(
      "UPDATE PROGRAM_CARGA SET TON_P_ESCOAR = 6, TON_CARREGADA = 10 "
      "WHERE PROGRAM_CARGA_ID = 9901");
  trace_.Clear();
  EXPECT_TRUE(mRecupera_TON_PROG("ORACLE", db_.connection(), 9901, 4, msg, user));
  EXPECT_EQ(std::vector<std::string>{" UPDATE PROGRAM_CARGA  SET  TON_P_ESCOAR  =  "
                                     "nvl(ton_p_escoar,0)   +   4 ,  TON_CARREGADA =  "
                                     "nvl(TON_CARREGADA,0)  -   4   WHERE PROGRAM_CARGA_ID   "
                                     "= 9901 "},
            trace_.Statements());
  EXPECT_EQ((std::vector<Value>{Value::Double(10), Value::Double(6)}),
            db_.Rows("SELECT TON_P_ESCOAR, TON_CARREGADA FROM PROGRAM_CARGA "
                     "WHERE PROGRAM_CARGA_ID = 9901")[0]);

  EXPECT_FALSE(mTrataSP_ZOR_CON_ULT_TON_PROG("ORACLE", db_.connection(), 9901, sql, msg, user,
                                             Value::Null()));
  EXPECT_TRUE(Cat(msg).starts_with(
      "Acesso aos histórico das programações de carga não disponível. Favor tentar mais tarde. "
      "ZorOCG.mTrataSP_ZOR_CON_ULT_TON_PROG ( Invalid use of Null : 94) No Nº "))
      << Cat(msg);
  EXPECT_EQ(1, db_.Count("LOG_MSG"));
}

// Books take tonnes on programme prog (of 102 -> 203 at point 3) as order
// creation does, in one write transaction: the offer read, the new tonnage
// written, the link, the status.
bool Book(const TempDatabase& db, const char* kind, int32_t prog, double take, int32_t order) {
  OperationScope scope(/*for_write=*/true);
  const Value banco = T(kind), conn = db.conn(), user = I(5);
  Value msg;
  std::string sql;
  bool opened = false, built = false;
  RecordSet offer;
  if (!OpenOffer(banco, conn, user, I(102), I(203), I(3), Value(), sql, msg, offer, &opened).ok()) {
    return false;
  }
  auto number = [&offer](const char* column) {
    return gTrata_Numero(offer.Field(column).value()).ToDouble().value();
  };
  while (opened && number("PROGRAM_CARGA_ID") != prog) {
    offer.MoveNext();
    opened = !offer.Eof();
  }
  if (!opened) return false;
  const double loaded = number("TON_CARREGADA") + take, left = number("TON_PROGRAMADA") - loaded;
  const double remaining = left < number("LIMITE_PROGR_CARGA") ? 0 : left;
  const bool ok =
      BookTonnage(banco, conn, user, I(prog), remaining, loaded, sql, msg, &built).ok() && built &&
      Execute(
          "INSERT INTO HIST_PROGR_ESCOAM (HIST_PROGR_ESCOAM_ID, DOCTO_TRANSPORTE_ID, "
          "PROGRAM_CARGA_ID, ULTIMA_TON_PROGR) SELECT COALESCE(MAX(HIST_PROGR_ESCOAM_ID), 0) + "
          "1, " +
              std::to_string(order) + ", " + std::to_string(prog) + ", " + std::to_string(take) +
              " FROM HIST_PROGR_ESCOAM",
          conn)
          .ok() &&
      mAltera_Status_Programacao(kind, db.connection(), prog, msg, user);
  return ok && scope.Commit().ok();
}

// Gives back the take of the order's most recent link, as order deletion does.
bool GiveBack(const TempDatabase& db, const char* kind, int32_t order) {
  OperationScope scope(/*for_write=*/true);
  const std::string last =
      "(SELECT MAX(HIST_PROGR_ESCOAM_ID) FROM HIST_PROGR_ESCOAM WHERE "
      "DOCTO_TRANSPORTE_ID = " +
      std::to_string(order) + ")";
  RecordSet link;
  Value msg;
  if (!link.Open("SELECT PROGRAM_CARGA_ID, ULTIMA_TON_PROGR FROM HIST_PROGR_ESCOAM WHERE "
                 "HIST_PROGR_ESCOAM_ID = " +
                     last,
                 db.conn())
           .ok() ||
      link.Eof()) {
    return false;
  }
  const int32_t prog = link.Field("PROGRAM_CARGA_ID").value().int32();
  const double take = link.Field("ULTIMA_TON_PROGR").value().dbl();
  const bool ok =
      mRecupera_TON_PROG(kind, db.connection(), prog, take, msg, I(5)) &&
      Execute("DELETE FROM HIST_PROGR_ESCOAM WHERE HIST_PROGR_ESCOAM_ID = " + last, db.conn())
          .ok() &&
      mAltera_Status_Programacao(kind, db.connection(), prog, msg, I(5));
  return ok && scope.Commit().ok();
}

class BookingTest : public testing::EngineTest {};
OCG_ON_EVERY_ENGINE(BookingTest);

// The same bookings under both kinds leave the same tonnage, status, closing
// date and links.
TEST_P(BookingTest, BothKindsLeaveTheSameState) {
  SetClockForTesting(DateTime{2027, 2, 1, 9, 30, 0});
  TempDatabase oracle(engine()), server(engine());
  for (auto [db, kind] : {std::pair{&oracle, "ORACLE"}, std::pair{&server, "SQLSERVER"}}) {
    EXPECT_TRUE(Book(*db, kind, 71, 12.5, 990001)) << kind;  // 501, 100 t left
    EXPECT_TRUE(Book(*db, kind, 73, 30, 990001)) << kind;    // nothing left: 502
    EXPECT_TRUE(Book(*db, kind, 74, 0.25, 990002)) << kind;  // still 505
    EXPECT_TRUE(GiveBack(*db, kind, 990001)) << kind;        // 73 reopens: 504
    EXPECT_TRUE(Book(*db, kind, 75, 80, 990002)) << kind;    // 503 closes: 502 now
    EXPECT_FALSE(Book(*db, kind, 72, 1, 990002)) << kind;    // exhausted: not on offer
    EXPECT_FALSE(Book(*db, kind, 76, 5, 990002)) << kind;    // no status: all rolled back
  }
  SetClockForTesting(std::nullopt);
  const std::string state = Tonnage(oracle);
  EXPECT_EQ(state, Tonnage(server));
  for (const char* row : {"71 50 100 501 null \n", "73 10 30 504 null \n",
                          "74 15,25 9,75 505 null \n", "75 80 null 502 01/02/2027 09:30:00 \n",
                          "76 null 20 null null \n", "990001 71 12,5 \n", "990002 74 0,25 \n"}) {
    EXPECT_NE(std::string::npos, state.find(row)) << row << " in\n" << state;
  }
}

// Two processes booking on one programme at once never lose a booking: its
// loaded and remaining tonnage always match the sum of its links.
TEST_P(BookingTest, TwoProcessesNeverLoseABooking) {
  TempDatabase db(engine());
  constexpr int kPerProcess = 200;
  const bool children_ok = testing::InChildProcesses(2, [&db](int p) {
    const char* kind = p == 0 ? "ORACLE" : "SQLSERVER";
    int failures = 0;
    for (int i = 1; i <= kPerProcess; ++i) {
      failures += !Book(db, kind, 71, 0.25, 990001 + p);
      if (i % 10 == 0) failures += !GiveBack(db, kind, 990001 + p);
    }
    return failures == 0 ? 0 : 1;
  });
  EXPECT_TRUE(children_ok) << "a child failed a booking";
  // 2 x 180 bookings of 0.25 t on 37.5 t loaded out of 150.
  const auto rows = db.Rows(
      "SELECT MAX(P.TON_CARREGADA), MAX(P.TON_P_ESCOAR), COUNT(*), SUM(H.ULTIMA_TON_PROGR) "
      "FROM PROGRAM_CARGA P JOIN HIST_PROGR_ESCOAM H ON H.PROGRAM_CARGA_ID = P.PROGRAM_CARGA_ID "
      "WHERE P.PROGRAM_CARGA_ID = 71");
  std::string got;
  for (const Value& v : rows.at(0)) got += Cat(v) + " ";
  EXPECT_EQ("127,5 22,5 360 90 ", got);
  EXPECT_EQ(0, db.Count("LOG_MSG"));
}

}  // namespace
}  // namespace ocg
