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
