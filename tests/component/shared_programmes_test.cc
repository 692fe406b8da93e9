// Tonnage stays exact when orders share load programmes, under both kinds:
// two orders on one programme (the procedures answer for the order the
// operation works on, which they learn from the session), every spelling of
// a typed tonnage, a seeded random run, and a pooled connection that must not
// carry one call's context into the next.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "component/order_calls.h"
#include "infra/session.h"
#include "test_support.h"

namespace ocg {
namespace {

using testing::Answer;
using testing::BusinessState;
using testing::Call;
using testing::Engine;
using testing::EngineName;
using testing::Json;
using testing::NewOrder;
using testing::TempDatabase;
using testing::Text;

// Programmes 11-14 of customer 101 -> 201 at point 1 (limit 5) as "id loaded
// to-ship", and every link of the orders created here (126 on).
const std::string kTonnage =
    "SELECT PROGRAM_CARGA_ID, NVL(TON_CARREGADA, 0), NVL(TON_P_ESCOAR, 0) FROM PROGRAM_CARGA "
    "WHERE PROGRAM_CARGA_ID BETWEEN 11 AND 14 ORDER BY 1";
const std::string kLinks =
    "SELECT DOCTO_TRANSPORTE_ID, PROGRAM_CARGA_ID, ULTIMA_TON_PROGR FROM HIST_PROGR_ESCOAM "
    "WHERE DOCTO_TRANSPORTE_ID >= 126 ORDER BY 1, 2";
const std::string kStart = "11 60 240|12 150 50|13 0 100|14 100 20|";

// A number of an answer as the platform prints it ("235", "12,5").
std::string Number(const Json& j) { return j.is_number() ? FormatNumber(j.get<double>()) : ""; }

// The result, the message when one was set, and a list's entries as
// "id available/taken".
std::string Answered(const Answer& a) {
  std::string out = Cat(a.result);
  if (a.args.contains("outvntMsg_Ret") && a.args["outvntMsg_Ret"].is_string()) {
    out += " " + a.args["outvntMsg_Ret"].get<std::string>();
  }
  const Json& ids =
      a.args.contains("outarrvntProgram_Carga_id") ? a.args["outarrvntProgram_Carga_id"] : Json();
  for (size_t i = 0; ids.is_array() && i < ids.size(); ++i) {
    out += " " + Number(ids[i]) + " " + Number(a.args["outarrvntTon_P_Escoar"][i]) + "/" +
           Number(a.args["OutArrVntTon_Carregada"][i]);
  }
  return out;
}

// Order o of 101 -> 201 at point 1 taking takes (from 11-14) for weight.
Json Order(int o, Json takes, Json weight) {
  Json order = NewOrder();
  order["invntQtde_Programacao"] = takes.size();
  order.update(Json{{"inarrvntBaixas", std::move(takes)}, {"invntPeso_Previsto", weight}});
  if (o) order["invntDocto_Transp_id"] = o;
  return order;
}
Json ForOrder(int o) {
  return {{"invntCliente_id", 101},
          {"invntDestinatario_id", 201},
          {"invntponto_operacao_id", 1},
          {"InVntDocto_Transporte_ID", o}};
}
Json Check(int o, Json takes, Json weight) {
  Json check = ForOrder(o);
  check.update(Json{{"invntQtde_Programacao", 4},
                    {"inarrvntBaixas", std::move(takes)},
                    {"invntPeso_Previsto", weight}});
  return check;
}
Json Deletion(int o) { return {{"invntDocto_Transp_id", o}, {"inVntNum_CVA", ""}}; }

// Each engine under each kind, named for messages.
struct EngineKind {
  Engine engine;
  std::string kind;
  std::string name() const { return std::string(EngineName(engine)) + " " + kind; }
};
std::vector<EngineKind> Runs() {
  std::vector<EngineKind> runs;
  for (Engine engine : testing::TestEngines()) {
    for (const char* kind : {"ORACLE", "SQLSERVER"}) runs.push_back({engine, kind});
  }
  return runs;
}

class SharedProgrammesTest : public ::testing::Test {
 protected:
  void SetUp() override { SetClockForTesting(*ParseDateTime("2026/12/10 10:00")); }
  void TearDown() override { SetClockForTesting(std::nullopt); }
};

// Orders X (126) and Y (127) draw from programme 11; Z (128) from 14, which
// W (129) then closes, and Z is altered on it and deleted. After each step: the tonnage as
// the bookings compute it, the links, the answer, and the same business state
// (statuses and closing dates included) under both kinds.
TEST_F(SharedProgrammesTest, TwoOrdersOnTheSameProgrammes) {
  struct Step {
    const char* name;
    const char* op;
    Json args;
    std::string answer;
    std::string tonnage = "";  // "": not checked
    std::string links = "";
  };
  const std::string too_big =
      "False O valor da baixa (235,5) não pode ser maior do que a Tonelada a Escoar (235) "
      "correspondente. ";
  const Step steps[] = {
      {"create X: 8 t from 11", "gInclui_Col_Geral", Order(0, {"8", "0", "0", "0"}, "8"), "0",
       "11 68 232|12 150 50|13 0 100|14 100 20|", "126 11 8|126 12 null|126 13 null|126 14 null|"},
      {"create Y: 5 t from 11", "gInclui_Col_Geral", Order(0, {"5", "0", "0", "0"}, "5"), "0",
       "11 73 227|12 150 50|13 0 100|14 100 20|",
       "126 11 8|126 12 null|126 13 null|126 14 null|127 11 5|127 12 null|127 13 null|127 14 "
       "null|"},
      {"list for X: its own 8 t count again", "gBusca_Ton_Prog", ForOrder(126),
       "0 11 235/8 12 50/0 13 100/0 14 20/0"},
      {"check for X: 227 left + its own 8", "mConsiste_Progr_Carga",
       Check(126, {"235", "0", "0", "0"}, "235"), "True"},
      {"check for X: half a tonne over", "mConsiste_Progr_Carga",
       Check(126, {"235,5", "0", "0", "0"}, "235,5"), too_big},
      {"check for Y: its own 5", "mConsiste_Progr_Carga", Check(127, {"232", "0", "0", "0"}, "232"),
       "True"},
      {"alter X to 3 + 2: 73 - 8 + 3", "gAltera_Col_Geral", Order(126, {"3", "2", "0", "0"}, "5"),
       "0", "11 68 232|12 152 48|13 0 100|14 100 20|",
       "126 11 3|126 12 2|126 13 null|126 14 null|127 11 5|127 12 null|127 13 null|127 14 null|"},
      {"delete X: its 3 + 2 back", "gExclui_Col_Geral", Deletion(126), "0",
       "11 65 235|12 150 50|13 0 100|14 100 20|", "127 11 5|127 12 null|127 13 null|127 14 null|"},
      {"create Z: 10 t from 14", "gInclui_Col_Geral", Order(0, {"0", "0", "0", "10"}, "10"), "0",
       "11 65 235|12 150 50|13 0 100|14 110 10|",
       "127 11 5|127 12 null|127 13 null|127 14 null|128 11 null|128 12 null|128 13 null|128 14 "
       "10|"},
      {"create W: 6 of 14's 10 leave 4, under the limit: 14 closes", "gInclui_Col_Geral",
       Order(0, {"0", "0", "0", "6"}, "6"), "0", "11 65 235|12 150 50|13 0 100|14 116 0|",
       "127 11 5|127 12 null|127 13 null|127 14 null|128 11 null|128 12 null|128 13 null|128 14 "
       "10|129 11 null|129 12 null|129 13 null|129 14 6|"},
      {"list for Z: 14, closed since, with its 10", "gBusca_Ton_Prog", ForOrder(128),
       "0 11 235/0 12 50/0 13 100/0 14 10/10"},
      {"alter Z on closed 14: 116 - 10 + 8 leaves 6, which reopens it", "gAltera_Col_Geral",
       Order(128, {"1", "0", "0", "8"}, "9"), "0", "11 66 234|12 150 50|13 0 100|14 114 6|",
       "127 11 5|127 12 null|127 13 null|127 14 null|128 11 1|128 12 null|128 13 null|128 14 8|129 "
       "11 null|129 12 null|129 13 null|129 14 6|"},
      {"delete Z", "gExclui_Col_Geral", Deletion(128), "0",
       "11 65 235|12 150 50|13 0 100|14 106 14|",
       "127 11 5|127 12 null|127 13 null|127 14 null|129 11 null|129 12 null|129 13 null|129 14 "
       "6|"},
      {"delete W", "gExclui_Col_Geral", Deletion(129), "0",
       "11 65 235|12 150 50|13 0 100|14 100 20|", "127 11 5|127 12 null|127 13 null|127 14 null|"},
      {"delete Y: back to the start", "gExclui_Col_Geral", Deletion(127), "0", kStart, ""},
  };
  std::map<std::string, std::vector<std::string>> states;  // by engine and kind
  for (const Engine engine : testing::TestEngines()) {
    for (const std::string kind : {"ORACLE", "SQLSERVER"}) {
      const std::string run = std::string(EngineName(engine)) + " " + kind;
      TempDatabase db(engine);
      for (const Step& step : steps) {
        const std::string name = std::string(step.name) + " / " + run;
        const Answer a = Call(step.op, step.args, db.connection(), kind);
        EXPECT_EQ(step.answer, Answered(a)) << name;
        if (!step.tonnage.empty()) {
          EXPECT_EQ(step.tonnage, Text(db, kTonnage)) << name;
          EXPECT_EQ(step.links, Text(db, kLinks)) << name;
        }
        states[run].push_back(BusinessState(db));
      }
      EXPECT_EQ(0, db.Count("LOG_MSG")) << run;
    }
  }
  const auto& reference = states.begin()->second;
  for (const auto& [run, steps_state] : states) {
    for (size_t i = 0; i < std::size(steps); ++i) {
      EXPECT_EQ(reference[i], steps_state[i]) << run << " after " << steps[i].name;
    }
  }
}

// Each spelling of a take-off and a weight, created, altered and deleted
// under both kinds: what is booked is what the links hold, and the deletion
// leaves every programme where it started. Amounts are on programme 11 (and
// 12 where a row says so); "" in an answer means the call succeeded.
TEST_F(SharedProgrammesTest, EverySpellingOfATonnageComesBack) {
  struct Case {
    const char* name;
    Json create_takes, create_weight;
    std::string created;  // "" succeeded, else the refusal
    Json alter_takes = Json(), alter_weight = Json();
    std::string altered = "";
  };
  const std::string over = " não pode ser maior do que a Tonelada a Escoar (";
  const Case cases[] = {
      {"decimal point", {"1.5", "0", "0", "0"}, "1,5", "", {"0.25", "1.25", "0", "0"}, "1,5"},
      {"decimal comma", {"1,5", "0", "0", "0"}, "1,5", "", {"0,25", "1,25", "0", "0"}, "1,5"},
      {"JSON numbers", {1.5, 0, 0, 0}, 1.5, "", {0.25, 1.25, 0, 0}, 1.5},
      {"point and comma in one spread",
       {"29,75", "0.25", "0", "0"},
       "30",
       "",
       {"0.25", "29,75", "0", "0"},
       "30"},
      {"blanks around", {" 2.5 ", " 0 ", "", "0"}, " 2,5 ", "", {" 0,5", "2 ", "0", "0"}, "2,5"},
      {"one point before three digits is a decimal point",
       {"1.234", "0", "0", "0"},
       "1,234",
       "",
       {"0", "1.234", "0", "0"},
       "1,234"},
      {"a point in the weight",
       {"1,5", "0", "0", "0"},
       "1.5",
       "O campo Peso Previsto não permite a digitação de números com uso de separador de "
       "milhar(.)"},
      {"points grouping thousands",
       {"1.000.000", "0", "0", "0"},
       "1000000",
       "O valor da baixa (1000000)" + over + "240) correspondente. "},
      {"a negative take-off the sum hides",
       {"-20", "50", "0", "0"},
       "30",
       "O valor da baixa (-20) não pode ser negativo."},
      {"a negative take-off in an alteration",
       {"10", "0", "0", "0"},
       "10",
       "",
       {"-0.5", "10.5", "0", "0"},
       "10",
       "O valor da baixa (-0,5) não pode ser negativo."},
      {"a negative weight",
       {"-5", "0", "0", "0"},
       "-5",
       "Peso Previsto deve ser igual ou maior que 0"},
  };
  for (const Case& c : cases) {
    for (const EngineKind& run : Runs()) {
      const std::string& kind = run.kind;
      const std::string name = std::string(c.name) + " / " + run.name();
      TempDatabase db(run.engine);
      const Answer created = Call("gInclui_Col_Geral", Order(0, c.create_takes, c.create_weight),
                                  db.connection(), kind);
      EXPECT_EQ(c.created, created.ok() ? "" : created.args["outvntMsg_Ret"].get<std::string>())
          << name;
      if (!created.ok()) {
        EXPECT_EQ(kStart, Text(db, kTonnage)) << name;
        continue;
      }
      // What is booked on each programme is what its link holds.
      auto booked = [&db] {
        return Text(db,
                    "SELECT P.PROGRAM_CARGA_ID, NVL(P.TON_CARREGADA, 0) - NVL((SELECT "
                    "SUM(H.ULTIMA_TON_PROGR) FROM HIST_PROGR_ESCOAM H WHERE H.PROGRAM_CARGA_ID = "
                    "P.PROGRAM_CARGA_ID AND H.DOCTO_TRANSPORTE_ID >= 126), 0) FROM PROGRAM_CARGA P "
                    "WHERE P.PROGRAM_CARGA_ID BETWEEN 11 AND 14 ORDER BY 1");
      };
      const std::string untouched = "11 60|12 150|13 0|14 100|";
      EXPECT_EQ(untouched, booked()) << name << ": created";
      if (!c.alter_takes.is_null()) {
        const Answer altered = Call("gAltera_Col_Geral", Order(126, c.alter_takes, c.alter_weight),
                                    db.connection(), kind);
        EXPECT_EQ(c.altered, altered.ok() ? "" : altered.args["outvntMsg_Ret"].get<std::string>())
            << name;
        EXPECT_EQ(untouched, booked()) << name << ": altered";
      }
      EXPECT_TRUE(Call("gExclui_Col_Geral", Deletion(126), db.connection(), kind).ok()) << name;
      EXPECT_EQ(kStart, Text(db, kTonnage)) << name << ": deleted";
    }
  }
}

// A seeded run of creations, alterations and deletions with every spelling
// of a tonnage, the same under both kinds and on each engine: every
// programme's loaded tonnage ends equal to where it started plus what its
// live links hold, and every run ends in the same business state.
TEST_F(SharedProgrammesTest, RandomRunKeepsProgrammesEqualToTheirLinks) {
  constexpr int kCalls = 300;
  const std::string balance =
      "SELECT P.PROGRAM_CARGA_ID, NVL(P.TON_CARREGADA, 0) - NVL((SELECT SUM(H.ULTIMA_TON_PROGR) "
      "FROM HIST_PROGR_ESCOAM H WHERE H.PROGRAM_CARGA_ID = P.PROGRAM_CARGA_ID AND "
      "H.DOCTO_TRANSPORTE_ID >= 126), 0) FROM PROGRAM_CARGA P WHERE P.PROGRAM_CARGA_ID BETWEEN 11 "
      "AND 14 ORDER BY 1";
  std::map<std::string, std::string> end_states;
  for (const EngineKind& run : Runs()) {
    const std::string& kind = run.kind;
    const std::string on = run.name();
    TempDatabase db(run.engine);
    const std::string start = Text(db, balance);
    std::mt19937 rng(2026);
    auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    std::vector<int> live;
    int succeeded = 0;
    for (int call = 0; call < kCalls; ++call) {
      const int action = live.empty() ? 0 : pick(3);
      const size_t at = live.empty() ? 0 : static_cast<size_t>(pick(static_cast<int>(live.size())));
      const int order = action == 0 ? 0 : live[at];
      if (action == 2) {
        const Answer a = Call("gExclui_Col_Geral", Deletion(order), db.connection(), kind);
        ASSERT_TRUE(a.ok()) << on << " call " << call << ": " << a.text("outvntMsg_Ret");
        live.erase(live.begin() + static_cast<long>(at));
        ++succeeded;
        continue;
      }
      // Takes of up to a little more than the list offers (so some are
      // refused), in quarters of a tonne, each spelled one of five ways.
      const Answer listed = Call("gBusca_Ton_Prog", ForOrder(order), db.connection(), kind);
      ASSERT_TRUE(listed.ok()) << on << " call " << call;
      Json takes = Json::array();
      double weight = 0;
      for (const Json& available : listed.args["outarrvntTon_P_Escoar"]) {
        const double take =
            pick(4) == 0 ? 0 : pick(static_cast<int>(available.get<double>()) * 4 + 6) / 4.0;
        weight += take;
        std::string comma = FormatNumber(take), point = comma;
        std::replace(point.begin(), point.end(), ',', '.');
        switch (pick(5)) {
          case 0:
            takes.push_back(take);
            break;
          case 1:
            takes.push_back(comma);
            break;
          case 2:
            takes.push_back(point);
            break;
          case 3:
            takes.push_back(" " + comma + " ");
            break;
          default:
            takes.push_back(take == 0 ? "" : point);
            break;
        }
      }
      const Json weight_spelled = pick(2) ? Json(weight) : Json(FormatNumber(weight));
      const Answer a = Call(action == 0 ? "gInclui_Col_Geral" : "gAltera_Col_Geral",
                            Order(order, takes, weight_spelled), db.connection(), kind);
      if (a.ok()) {
        ++succeeded;
        if (action == 0) live.push_back(a.args["outvntDocto_Transp_id"].get<int>());
      } else {
        // Only the take-off over its programme may be refused.
        EXPECT_NE(std::string::npos, a.text("outvntMsg_Ret").find("não pode ser maior"))
            << on << " call " << call << ": " << a.text("outvntMsg_Ret");
      }
    }
    EXPECT_GT(succeeded, kCalls / 2) << on;
    EXPECT_EQ(start, Text(db, balance)) << on;
    EXPECT_EQ(0, db.Count("LOG_MSG")) << on;
    end_states[on] = BusinessState(db);
  }
  for (const auto& [on, state] : end_states) {
    EXPECT_EQ(end_states.begin()->second, state) << on;
  }
}

// The context of one call never reaches the next on the same pooled
// connection: a procedure called outside any operation after an alteration
// sees no order, and a call nested in another gives the caller's back.
TEST(CallContextTest, NoContextOutlivesItsCall) {
  TempDatabase db;
  ASSERT_TRUE(Call("gInclui_Col_Geral", NewOrder(), db.connection(), "SQLSERVER").ok());
  ASSERT_TRUE(Call("gAltera_Col_Geral", Order(126, {"5", "25", "0", "0"}, "30"), db.connection(),
                   "SQLSERVER")
                  .ok());
  EXPECT_EQ("", CurrentCallContext().operation);
  EXPECT_EQ("", Text(db, "EXEC SP_ZOR_CON_ULT_TON_PROG 11"));
  const std::string link =
      Text(db,
           "SELECT HIST_PROGR_ESCOAM_ID, 5 FROM HIST_PROGR_ESCOAM WHERE DOCTO_TRANSPORTE_ID = 126 "
           "AND PROGRAM_CARGA_ID = 11");
  ASSERT_NE("", link);
  {
    OperationScope outer(/*for_write=*/false, "gAltera_Col_Geral");
    SetContextOrder("126");
    EXPECT_EQ(link, Text(db, "EXEC SP_ZOR_CON_ULT_TON_PROG 11"));
    {
      OperationScope inner(/*for_write=*/false, "mConsiste_Progr_Carga");
      SetContextOrder("");
      EXPECT_EQ("", Text(db, "EXEC SP_ZOR_CON_ULT_TON_PROG 11"));
    }
    EXPECT_EQ("gAltera_Col_Geral", CurrentCallContext().operation);
    EXPECT_EQ(link, Text(db, "EXEC SP_ZOR_CON_ULT_TON_PROG 11"));
  }
  EXPECT_EQ("", Text(db, "EXEC SP_ZOR_CON_ULT_TON_PROG 11"));
}

}  // namespace
}  // namespace ocg
