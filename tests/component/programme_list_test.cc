// The programme list of the order screen against the demo database, under
// both kinds: "ORACLE" builds the statement, "SQLSERVER" calls the bundled
// SP_ZOR_CON_TON_PROG.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "component/ocg.h"
#include "component/procedure.h"
#include "infra/sql_format.h"
#include "test_support.h"

namespace ocg {
namespace {

using testing::TempDatabase;
using testing::TraceCapture;

constexpr std::string_view kNoProgramme =
    "Não existe programação de carga para efetuar/alterar esta coleta.";
const Value kUntouched = Value::Text("untouched");

struct Listing {
  Value result, ids = kUntouched, numbers, available, dates, msg = kUntouched, size, taken;
  long new_log_rows = 0;

  // "id available/taken" per entry (with the number and date when full), or
  // the message when there is none.
  std::string Show(bool full = false) const {
    if (!ids.is_array()) return Cat(msg);
    std::string out;
    for (size_t i = 0; i < ids.array().size(); ++i) {
      out += (i ? " " : "") + Cat(ids.array()[i]) + " " +
             (full ? Cat(numbers.array()[i]) + " " + Cat(dates.array()[i]) + " " : "") +
             Cat(available.array()[i]) + "/" + Cat(taken.array()[i]);
    }
    return out;
  }
};

class ProgrammeListTest : public testing::EngineTest {
 protected:
  Listing Run(const char* kind, Value cliente, Value destinatario, Value ponto, Value docto,
              Value user = Value::Int32(5)) {
    Listing l;
    Value conn = db_.conn(), banco = Value::Text(kind);
    const long logs = db_.Count("LOG_MSG");
    trace_.Clear();
    l.result = Ocg().gBusca_Ton_Prog(cliente, destinatario, ponto, l.ids, l.numbers, l.available,
                                     l.dates, l.msg, l.size, conn, banco, user, l.taken, docto);
    statements_ = trace_.Statements();
    l.new_log_rows = db_.Count("LOG_MSG") - logs;
    return l;
  }

  TempDatabase db_{engine()};
  TraceCapture trace_{db_.dir()};
  std::vector<std::string> statements_;
};
OCG_ON_EVERY_ENGINE(ProgrammeListTest);

Value I(int32_t v) { return Value::Int32(v); }
Value T(std::string v) { return Value::Text(std::move(v)); }

TEST_P(ProgrammeListTest, Lists) {
  // Programmes 9930, 9910, 9920 come from the Oracle statement largest load
  // first; the list is by identifier.
  db_.Exec(
      "INSERT INTO PONTO_OPERACAO (PONTO_OPERACAO_ID, LIMITE_PROGR_CARGA) VALUES (7001, 5);"
      "INSERT INTO PROGRAM_CARGA (PROGRAM_CARGA_ID, CLIENTE_ID, DESTINATARIO_ID, "
      "PONTO_OPERACAO_ID, TON_CARREGADA, TON_P_ESCOAR, TAB_STATUS_ID) VALUES "
      "(9930, 101, 201, 7001, 3, 5, 501), (9910, 101, 201, 7001, 2, 7, 501), "
      "(9920, 101, 201, 7001, 1, 9, NULL)");
  struct Case {
    const char* name;
    const char* kind;  // nullptr: both, with the same answer
    Value cliente, destinatario, ponto, docto;
    std::string want;
  };
  const Case cases[] = {
      {"new order: open programmes only", nullptr, I(101), I(201), I(1), Value(),
       "11 240/0 12 50/0 13 100/0 14 20/0"},
      {"as texts, order 0", nullptr, Value::Text("101"), Value::Text(" 201"), Value::Text("1"),
       I(0), "11 240/0 12 50/0 13 100/0 14 20/0"},
      {"exhausted 72 left out, no status offered", nullptr, I(102), I(203), I(3), Value(),
       "71 112,5/0 73 30/0 74 10/0 75 80/0 76 20/0"},
      {"closed 22 left out though 8 t are left", nullptr, I(102), I(202), I(2), Value(),
       "21 380/0"},
      {"sorted by identifier", nullptr, I(101), I(201), I(7001), Value(),
       "9910 7/0 9920 9/0 9930 5/0"},
      {"no programme", nullptr, I(104), I(201), I(1), Value(), std::string(kNoProgramme)},
      {"no customer", nullptr, Value::Text(""), I(201), I(1), Value(), std::string(kNoProgramme)},
      {"order 1: its takes count as available", nullptr, I(101), I(201), I(1), I(1),
       "11 260/20 12 60/10 13 100/0 14 20/0"},
      {"order 2: closed 15 still listed", nullptr, I(101), I(201), I(1), Value::Text("2"),
       "11 267/27 12 50/0 13 100/0 14 20/0 15 3/3"},
  };
  for (const Case& c : cases) {
    for (const char* kind : {"ORACLE", "SQLSERVER"}) {
      if (c.kind != nullptr && std::string(c.kind) != kind) continue;
      const std::string name = std::string(c.name) + " / " + kind;
      Listing l = Run(kind, c.cliente, c.destinatario, c.ponto, c.docto);
      EXPECT_EQ(c.want, l.Show()) << name;
      const bool listed = c.want != kNoProgramme;
      EXPECT_EQ(listed ? ValueOk() : ValueFailed(), l.result) << name;
      EXPECT_EQ(listed ? kUntouched : Value::Text(std::string(kNoProgramme)), l.msg) << name;
      if (listed) {
        EXPECT_EQ(I(static_cast<int32_t>(l.ids.array().size())), l.size) << name;
      }
      if (c.ponto == I(3)) {
        EXPECT_EQ(
            "71 2026071 16/11/2026 112,5/0 73 2026073 25/11/2026 30/0 74 2026074 "
            "20/09/2026 10/0 75 2026075 01/07/2027 80/0 76 2026076 01/12/2026 20/0",
            l.Show(true))
            << name;
      }
      EXPECT_EQ(0, l.new_log_rows) << name;
    }
  }
}

TEST_P(ProgrammeListTest, StatementTexts) {
  auto oracle = [](bool existing, const std::string& docto) {
    return std::string(
               " SELECT  PROGRAM_CARGA.PROGRAM_CARGA_ID ,  PROGRAM_CARGA.NUM_PROGRAMACAO ,  "
               "PROGRAM_CARGA.TON_P_ESCOAR ,  TO_CHAR(PROGRAM_CARGA.DATA_DISPON, 'DD/MM/YYYY') "
               "DATA_DISPON,") +
           (existing ? " " : "") + " PROGRAM_CARGA.TON_PROGRAMADA , " +
           (existing ? " 0 as TON_CARREGADA , " : " PROGRAM_CARGA.TON_CARREGADA , ") +
           " PONTO_OPERACAO.LIMITE_PROGR_CARGA  FROM  PROGRAM_CARGA , PONTO_OPERACAO  WHERE  "
           "PROGRAM_CARGA.PONTO_OPERACAO_ID = PONTO_OPERACAO.PONTO_OPERACAO_ID AND  "
           "PROGRAM_CARGA.CLIENTE_ID  = 101 AND  PROGRAM_CARGA.DESTINATARIO_ID  is null AND  "
           "PROGRAM_CARGA.PONTO_OPERACAO_ID    = 1  AND NVL(PROGRAM_CARGA.TON_P_ESCOAR,0) > 0  "
           "AND NVL(PROGRAM_CARGA.TAB_STATUS_ID,0) <> 2  AND NVL(PROGRAM_CARGA.TAB_STATUS_ID,0) "
           "<> 502  Union SELECT PROGRAM_CARGA.PROGRAM_CARGA_ID , PROGRAM_CARGA.NUM_PROGRAMACAO "
           ", PROGRAM_CARGA.TON_P_ESCOAR ,  TO_CHAR(PROGRAM_CARGA.DATA_DISPON, 'DD/MM/YYYY') "
           "DATA_DISPON" +
           (existing ? "" : " ") +
           ", PROGRAM_CARGA.TON_PROGRAMADA , Hist_Progr_Escoam.ULTIMA_TON_PROGR AS "
           "TON_CARREGADA ,  PONTO_OPERACAO.LIMITE_PROGR_CARGA FROM PROGRAM_CARGA , "
           "PONTO_OPERACAO , Hist_Progr_Escoam  Where PROGRAM_CARGA.PONTO_OPERACAO_ID = "
           "PONTO_OPERACAO.PONTO_OPERACAO_ID  AND PROGRAM_CARGA.PROGRAM_CARGA_ID = "
           "Hist_Progr_Escoam.PROGRAM_CARGA_ID  AND Hist_Progr_Escoam.Docto_Transporte_ID " +
           docto + "   ORDER BY TON_CARREGADA desc ";
  };
  Run("ORACLE", I(101), Value::Null(), I(1), Value());
  EXPECT_EQ(std::vector<std::string>{oracle(false, " is null")}, statements_);
  Run("ORACLE", I(101), T(""), I(1), I(1));
  EXPECT_EQ(std::vector<std::string>{oracle(true, " = 1")}, statements_);
  Run("SQLSERVER", I(101), T(""), I(1), I(1));
  EXPECT_EQ(std::vector<std::string>{"EXEC SP_ZOR_CON_TON_PROG 101, null, 1"}, statements_);
}

// A run-time error gives the trap's user text (the detail for the user 1)
// and one LOG_MSG row naming the procedure.
TEST_P(ProgrammeListTest, TrappedErrors) {
  const std::string list = "gBusca_Ton_Prog ( ",
                    emulation = "mVerifica_Lista_Programacao_Utilizada ( ";
  const struct {
    const char* kind;
    Value cliente, docto;
    std::string text, procedure;
  } cases[] = {
      {"ORACLE", I(101), Value::Null(),
       "Acesso aos dados das programações ligadas a coleta não disponível. Favor tentar mais "
       "tarde.",
       emulation},
      {"ORACLE", T("abc"), Value(),
       "Acesso aos dados da tonelada programada não disponível. Favor tentar mais tarde.", list},
  };
  for (const auto& c : cases) {
    for (int user : {5, 1}) {
      Listing l = Run(c.kind, c.cliente, I(201), I(1), c.docto, I(user));
      EXPECT_EQ(ValueFailed(), l.result) << c.procedure;
      EXPECT_EQ(kUntouched, l.ids) << c.procedure;
      EXPECT_EQ(user == 1 ? c.text + " ZorOCG." + c.procedure : c.text,
                Cat(l.msg).substr(0, user == 1 ? c.text.size() + 8 + c.procedure.size() : 9999))
          << c.procedure;
      EXPECT_EQ(1, l.new_log_rows) << c.procedure;
    }
  }
}

}  // namespace
}  // namespace ocg
