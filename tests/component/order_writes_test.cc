// The order writes on the demo database: a scenario under both kinds (the
// tonnage after each call, the statements as built, the same business state
// under both kinds), the refusals, every statement made to fail in turn, and
// four processes writing at once. Operations are called by name, as "ocg call"
// calls them.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "component/order_calls.h"
#include "embedded/sqlite_driver.h"
#include "infra/driver.h"
#include "infra/sql_format.h"
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
using testing::TraceCapture;

// Programmes 11-14 ("id loaded to-ship status") and order 126's links.
const std::string kProgrammes =
    "SELECT PROGRAM_CARGA_ID, NVL(TON_CARREGADA, 0), NVL(TON_P_ESCOAR, 0), TAB_STATUS_ID FROM "
    "PROGRAM_CARGA WHERE PROGRAM_CARGA_ID BETWEEN 11 AND 14 ORDER BY 1";
const std::string kLinks =
    "SELECT PROGRAM_CARGA_ID, ULTIMA_TON_PROGR FROM HIST_PROGR_ESCOAM WHERE "
    "DOCTO_TRANSPORTE_ID = 126 ORDER BY 1";

bool NoOrderId(const Answer& a) {
  return !a.args.contains("outvntDocto_Transp_id") || a.args["outvntDocto_Transp_id"].is_object();
}

class OrderLifecycleTest : public ::testing::Test {
 protected:
  void SetUp() override { SetClockForTesting(*ParseDateTime("2027/09/15 10:00")); }
  void TearDown() override { SetClockForTesting(std::nullopt); }
};

// Order 126 created from two of four programmes, read back, listed, altered
// to another split, printed, deleted twice; demo order 9 deleted with its CVA;
// an order that spends a programme. After each call: the programmes as the
// bookings compute them (nullptr: not checked), the order's links, one
// argument, and the same business state under both kinds.
TEST_F(OrderLifecycleTest, ScenarioUnderBothKinds) {
  struct Step {
    const char* name;
    const char* op;
    Json args;
    int user;
    const char* programmes;
    const char* links = nullptr;
    const char* argument = "result";
    std::string want = "0";
  };
  Json altered = NewOrder(), spend = NewOrder();
  altered.update(Json{{"invntDocto_Transp_id", 126},
                      {"inarrvntBaixas", {"5,5", "20", "5", "16"}},
                      {"invntPeso_Previsto", "46,5"}});
  spend.update(Json{{"inarrvntBaixas", {"0", "0", "0", "16"}}, {"invntPeso_Previsto", "16"}});
  const Json order = {{"invntDocto_Transp_id", 126}};
  const Json deletion = {{"invntDocto_Transp_id", 126}, {"inVntNum_CVA", ""}};
  const Json cva = {{"invntDocto_Transp_id", 9}, {"inVntNum_CVA", 778899}};
  const Json list = {{"invntCliente_id", 101},
                     {"invntDestinatario_id", 201},
                     {"invntponto_operacao_id", 1},
                     {"InVntDocto_Transporte_ID", 126}};
  const char* deleted = "11 60 240 504|12 150 50 505|13 0 100 503|14 100 16 505|";
  const Step steps[] = {
      // On 15 September 2027 11 is in its critical period and 12 overdue:
      // every programme on offer is booked and has its status refreshed.
      {"create", "gInclui_Col_Geral", NewOrder(), 5,
       "11 80 220 504|12 160 40 505|13 0 100 503|14 100 20 505|", "11 20|12 10|13 null|14 null|",
       "outvntDocto_Transp_id", "126"},
      {"read back", "gCons_Docto_Transp", order, 5, nullptr, nullptr, "outvntObserv1",
       R"("FRÁGIL")"},
      {"list", "gBusca_Ton_Prog", list, 5, nullptr, nullptr, "outarrvntProgram_Carga_id",
       "[11,12,13,14]"},
      // 16 t from 14 leave 4, under point 1's limit of 5: 14 is spent and closes.
      {"alter", "gAltera_Col_Geral", altered, 5,
       "11 65,5 234,5 504|12 170 30 505|13 5 95 503|14 116 0 502|", "11 5,5|12 20|13 5|14 16|"},
      {"print", "gImprime_Coleta", order, 5, nullptr},
      // The 4 t written off when 14 was spent stay so; 14 reopens.
      {"delete", "gExclui_Col_Geral", deletion, 5, deleted, ""},
      {"delete again", "gExclui_Col_Geral", deletion, 5, deleted, "", "outvntMsg_Ret",
       R"("Não existe nenhum registro com essas informações.")"},
      {"delete 9 with its CVA, as user 4", "gExclui_Col_Geral", cva, 4, deleted},
      {"spend 14", "gInclui_Col_Geral", spend, 5,
       "11 60 240 504|12 150 50 505|13 0 100 503|14 116 0 502|"},
  };
  // By engine and kind; the statements as built by kind, whatever the engine.
  std::map<std::string, std::vector<std::string>> states, statements;
  for (const Engine engine : testing::TestEngines()) {
    for (const std::string kind : {"ORACLE", "SQLSERVER"}) {
      const std::string run = std::string(EngineName(engine)) + " " + kind;
      TempDatabase db(engine);
      TraceCapture trace(db.dir());
      for (const Step& step : steps) {
        const std::string name = std::string(step.name) + " / " + run;
        Answer a = Call(step.op, step.args, db.connection(), kind, step.user);
        if (step.programmes) {
          EXPECT_EQ(step.programmes, Text(db, kProgrammes)) << name;
        }
        if (step.links) {
          EXPECT_EQ(step.links, Text(db, kLinks)) << name;
        }
        EXPECT_EQ(step.want,
                  step.argument == std::string("result") ? Cat(a.result) : a.text(step.argument))
            << name << ": " << a.text("outvntMsg_Ret");
        states[run].push_back(BusinessState(db));
      }
      EXPECT_EQ(
          "2305 S ana.costa@tarvosa.com.br "
          "__JOB__2__2003/01/01 00:00__2003/01/01 00:00__778899__3__0__0__6__0__0__0__0",
          Cat(db.Scalar(
              "SELECT FUNCAO_ID || ' ' || FLAG_ENVIA_EMAIL || ' ' || LOWER(ENDERECO_EMAIL) "
              "|| ' ' || TXT_QUERY FROM LOG_GERADOR WHERE LOG_GERADOR_ID = 2")))
          << run;
      EXPECT_EQ(0, db.Count("LOG_MSG")) << run;
      const std::vector<std::string> built = trace.Statements();
      statements[kind].insert(statements[kind].end(), built.begin(), built.end());
    }
  }
  // Each statement as the operations build it, blank for blank.
  const std::map<std::string, std::vector<std::string>> expected = {
      {"ORACLE",
       {"  Insert    Into DOCTO_TRANSPORTE  ( DOCTO_TRANSPORTE_ID, TAB_STATUS_ID, "
        "TAB_TIPO_DOCTO_TRANSP_ID, CLIENTE_ID, PONTO_OPERACAO_ID, DATA_EMISSAO, "
        "END_DESTINATARIO_ID, DESTINO_ID, DATA_PREV_CARREGAMENTO, VEICULO_FORNECEDOR_ID, "
        "COLABORADOR_ID, FORNECEDOR_ID, LOCAL_CARREG, PESO_PREVISTO, TXT_EMBALAGEM, OBSERV1, "
        "NUM_DOCTO_TRANSPORTE, FLAG_ADEME, TAB_TIPO_RESPONSAVEL_ID, TAB_TIPO_EMERGENCIA_ID, "
        "GERADOR_TRANSPORTE_ID, PEDIDO_ID, End_Remetente_ID, Empresa_ID, veiculo_carreta_id )  "
        "Values  (   126,  1  ,  5,  101,  1, sysdate ,  2012,  3,  to_date('2026/12/10 "
        "00:00:00', 'yyyy/mm/dd hh24:mi:ss'),  2,  301, null,  'PÁTIO 3',  30,  'BOBINAS',"
        "'FRÁGIL', null,  'N',  1, null,  1, null,  1013,  1,  21 )",
        " SELECT 0 RETORNO , '' MSG_RET , 126 AS DOCTO_TRANSPORTE_ID  FROM INFRA_IDS ",
        " INSERT  INTO HIST_PROGR_ESCOAM  ( HIST_PROGR_ESCOAM_ID ,  DOCTO_TRANSPORTE_ID ,  "
        "PROGRAM_CARGA_ID ,  ULTIMA_TON_PROGR )  VALUES  (    12 ,     126 ,     11 ,     5.5 ) ",
        " UPDATE DOCTO_TRANSPORTE  SET CLIENTE_ID =   101 ,  PONTO_OPERACAO_ID =   1 ,  "
        "DATA_EMISSAO = sysdate  , END_DESTINATARIO_ID =   2012, DESTINO_ID      =   3 , "
        "DATA_PREV_CARREGAMENTO =   to_date('2026/12/10 00:00:00', 'yyyy/mm/dd hh24:mi:ss'), "
        "VEICULO_FORNECEDOR_ID =    2, COLABORADOR_ID  =   301, FORNECEDOR_ID  =   null, "
        "LOCAL_CARREG   =    'PÁTIO 3', PESO_PREVISTO  =    46.5, TXT_EMBALAGEM  =    'BOBINAS', "
        "OBSERV1        =  'FRÁGIL' , NUM_DOCTO_TRANSPORTE =  null, FLAG_ADEME =   'N', "
        "TAB_TIPO_RESPONSAVEL_ID =   1, TAB_TIPO_EMERGENCIA_ID =  null, GERADOR_TRANSPORTE_ID =  "
        " 1 ,  End_Remetente_ID =   1013,   veiculo_carreta_id =   21   WHERE  "
        "DOCTO_TRANSPORTE_ID   = 126",
        " Update PEDIDO  SET    NUM_PEDIDO_EXTERNO =   '4500' WHERE  PEDIDO_ID   is null",
        " SELECT       PROGRAM_CARGA_ID ,       ULTIMA_TON_PROGR  FROM       HIST_PROGR_ESCOAM  "
        "WHERE      docto_transporte_id  = 126",
        " DELETE FROM HIST_PROGR_ESCOAM  WHERE DOCTO_TRANSPORTE_ID  = 126 ",
        " UPDATE DOCTO_TRANSPORTE  SET TAB_STATUS_ID = 2  WHERE DOCTO_TRANSPORTE_ID   = 126 ",
        " UPDATE PEDIDO SET FLAG_PED_ITEM_ABERTO = 'S' WHERE PEDIDO_ID IN (SELECT PEDIDO_ID   "
        "FROM DOCTO_TRANSPORTE   WHERE DOCTO_TRANSPORTE_ID =   126  )",
        " UPDATE PEDIDO_ITEM SET DESLOCAMENTO_ID = NULL  WHERE DESLOCAMENTO_ID IN (SELECT "
        "DESLOCAMENTO_ID FROM DESLOC_DOCTO_TRANSP WHERE DOCTO_TRANSPORTE_ID =   126)",
        " SELECT 0 RETORNO , '' MSG_RET  FROM INFRA_IDS",
        " Select Desloc_Docto_Transp.Deslocamento_ID, Deslocamento.Tab_Tipo_Deslocamento_ID   "
        "From Desloc_Docto_Transp, Deslocamento  Where Desloc_Docto_Transp.Deslocamento_ID = "
        "Deslocamento.Deslocamento_ID  And DOCTO_TRANSPORTE_ID   = 126 ",
        " Update DOCTO_TRANSPORTE SET  PEDIDO_ID = null  Where DOCTO_TRANSPORTE_ID  = 9"}},
      {"SQLSERVER",
       {"EXEC SP_ZOR_INC_OCG2 5, 101, 1, 2012, 3, 4500, null, '2026/12/10 00:00', 2, 301, null, "
        "'Pátio 3', 30, 'bobinas', 'N', 1, null, 'frágil'",
        "EXEC SP_ZOR_INC_RELAC_OCG 126, 11, 20", "EXEC SP_ZOR_INC_RELAC_OCG 126, 13, null",
        "EXEC SP_ZOR_ALT_TON_PROG 14, null, 116", "EXEC SP_ZOR_ALT_TON_PROG 11, 234.5, 65.5",
        "EXEC SP_ZOR_ALT_OCG2 126, 101, 1, 2012, 3, 4500, null, '2026/12/10 00:00', 2, 301, "
        "null, 'Pátio 3', 46.5, 'bobinas', 'N', 1, null, 'frágil'",
        "EXEC SP_ZOR_INC_RELAC_OCG 126, 11, 5.5", "EXEC SP_ZOR_EXC_RELAC_OCG 126",
        "EXEC SP_ZOR_EXC_OCG 126"}}};
  for (const auto& [kind, wanted] : expected) {
    for (const std::string& sql : wanted) {
      EXPECT_NE(statements[kind].end(), std::ranges::find(statements[kind], sql))
          << kind << " never ran: " << sql;
    }
  }
  const auto& reference = states.begin()->second;
  for (const auto& [run, after] : states) {
    for (size_t i = 0; i < std::size(steps); ++i) {
      EXPECT_EQ(reference[i], after[i]) << run << " after " << steps[i].name;
    }
  }
}

// Every refusal and trapped error: result 10, the message, a LOG_MSG row for
// a trapped error only, every business table as it was, no order identifier.
TEST_F(OrderLifecycleTest, RefusalsWriteNothing) {
  struct Case {
    const char* name;
    const char* op;
    Json args;
    std::string want;
    int logged = 0;
    int user = 5;
  };
  auto changed = [](Json changes) {
    Json order = NewOrder();
    order.update(changes);
    return order;
  };
  auto deletion = [](Json id, Json cva) {
    return Json{{"invntDocto_Transp_id", id}, {"inVntNum_CVA", cva}};
  };
  const std::string no_order = "Não existe nenhum registro com essas informações.";
  const Case cases[] = {
      {"a date that does not exist", "gInclui_Col_Geral",
       changed({{"invntData_Prev_Carreg", "31/02/2027"}}),
       "Insira uma data válida no campo 'Data Prev. Carregamento'."},
      {"a take-off over its programme", "gInclui_Col_Geral",
       changed({{"inarrvntBaixas", {"0", "60", "0", "0"}}, {"invntPeso_Previsto", "60"}}),
       "O valor da baixa (60) não pode ser maior do que a Tonelada a Escoar (50) correspondente. "},
      {"fewer take-offs than the count", "gInclui_Col_Geral",
       changed({{"inarrvntBaixas", {"20", "10", "0"}}}),
       "Acesso a consistência dos dados da programação não disponível. Favor tentar mais tarde.",
       1},
      {"a number already taken", "gInclui_Col_Geral",
       changed({{"InVntTab_Tipo_Docto_Transp_ID", 9}, {"invntN_Docto_Transp", "158"}}),
       "Já existe um registro com esse nº de ordem de coleta."},
      {"alter an order that is not there", "gAltera_Col_Geral",
       changed({{"invntDocto_Transp_id", 999}}), no_order},
      {"delete a deleted order", "gExclui_Col_Geral", deletion(7, ""), no_order},
      {"a CVA in letters", "gExclui_Col_Geral", deletion(1, "abc"),
       "Acesso exclusão da coleta não disponível. Favor tentar mais tarde.", 1},
      // The job refuses user 8's address after the order was deleted: the
      // deletion is undone with it.
      {"a recipient over 100 characters", "gExclui_Col_Geral", deletion(9, 778899),
       "Preencha Destinatário do E-Mail com, no máximo, 100 caracteres.", 1, 8},
  };
  for (const Engine engine : testing::TestEngines()) {
    for (const std::string kind : {"ORACLE", "SQLSERVER"}) {
      TempDatabase db(engine);
      const std::string before = BusinessState(db);
      for (const Case& c : cases) {
        const std::string name = std::string(c.name) + " / " + EngineName(engine) + " " + kind;
        const long logs = db.Count("LOG_MSG");
        Answer a = Call(c.op, c.args, db.connection(), kind, c.user);
        EXPECT_EQ(Value::Int16(10), a.result) << name;
        EXPECT_EQ(Json(c.want), a.args["outvntMsg_Ret"]) << name;
        EXPECT_EQ(logs + c.logged, db.Count("LOG_MSG")) << name;
        EXPECT_EQ(before, BusinessState(db)) << name;
        EXPECT_TRUE(NoOrderId(a)) << name;
      }
    }
  }
}

// The test thread's plan: statement number fail_at (counted from the plan's
// start, on every faulty connection) fails; with lose, its connection is lost
// there, and every later use of it fails too, transaction control included.
struct FaultPlan {
  int fail_at = 0;
  bool lose = false;
  bool fail_commit = false;  // the commit is refused instead
  int seen = 0;
  bool fired = false;
};
FaultPlan plan;

class FaultyDriver final : public Driver {
 public:
  explicit FaultyDriver(std::unique_ptr<Driver> inner) : inner_(std::move(inner)) {}
  Status Run(std::string_view sql, RowSet* out, std::string* engine_sql) override {
    if (lost_) return Lost();
    if (++plan.seen == plan.fail_at) {
      plan.fired = true;
      lost_ = plan.lose;
      return lost_ ? Lost() : Status::Error("injected failure", 1);
    }
    return inner_->Run(sql, out, engine_sql);
  }
  Status Begin(bool for_write) override { return lost_ ? Lost() : inner_->Begin(for_write); }
  Status Commit() override {
    if (lost_) return Lost();
    if (plan.fail_commit) {
      plan.fired = true;
      return Status::Error("injected commit failure", 1);
    }
    return inner_->Commit();
  }
  Status Rollback() override { return lost_ ? Lost() : inner_->Rollback(); }
  Status SetContext(const CallContext& context) override { return inner_->SetContext(context); }
  bool Reusable() const override { return !lost_ && inner_->Reusable(); }

 private:
  static Status Lost() { return Status::Error("connection lost", 10054); }
  std::unique_ptr<Driver> inner_;  // closing it rolls back what a lost link left open
  bool lost_ = false;
};

// "Fault Source={CONNECTION}": the database CONNECTION names (braced, its
// own "}" doubled) behind a FaultyDriver.
const bool registered = RegisterDriverEngine(
    {"fault injection", "Fault Source",
     [](const ConnectionKeys& keys) { return keys.count("faultsource") > 0; },
     [](std::string_view, const ConnectionKeys& keys, std::unique_ptr<Driver>* out) {
       std::unique_ptr<Driver> inner;
       Status st = OpenDriver(keys.at("faultsource"), &inner);
       if (st.ok()) *out = std::make_unique<FaultyDriver>(std::move(inner));
       return st;
     }});

std::string Faulty(const TempDatabase& db) {
  std::string braced;
  for (char c : db.connection()) braced += c == '}' ? std::string("}}") : std::string(1, c);
  return "Fault Source={" + braced + "}";
}

// Puts db back as it was when Keep() ran: the file copied back, or the
// PostgreSQL database made again from a copy of itself.
class Snapshot {
 public:
  explicit Snapshot(const TempDatabase& db) : db_(db) {}
  ~Snapshot() {
    if (!copy_.empty() && db_.engine() == Engine::kPostgres) Admin("DROP DATABASE " + copy_);
  }
  void Keep() {
    CloseThreadConnections();
    if (db_.engine() == Engine::kEmbedded) {
      copy_ = db_.dir() + "/pristine.db";
      std::filesystem::copy_file(db_.path(), copy_);
      return;
    }
    copy_ = DatabaseName() + "_pristine";
    Admin("CREATE DATABASE " + copy_ + " TEMPLATE " + DatabaseName());
  }
  void Restore() {
    CloseThreadConnections();
    if (db_.engine() == Engine::kEmbedded) {
      std::filesystem::copy_file(copy_, db_.path(),
                                 std::filesystem::copy_options::overwrite_existing);
      return;
    }
    Admin("DROP DATABASE " + DatabaseName() + " WITH (FORCE)");
    Admin("CREATE DATABASE " + DatabaseName() + " TEMPLATE " + copy_);
  }

 private:
  std::string DatabaseName() const {
    const std::string& c = db_.connection();
    const size_t at = c.find(";Database=") + 10;
    return c.substr(at, c.find(';', at) - at);
  }
  // A statement on the server's own database, outside db.
  void Admin(const std::string& sql) const {
    std::string admin = db_.connection();
    admin.replace(admin.find(";Database=") + 10, DatabaseName().size(), "postgres");
    std::unique_ptr<Driver> d;
    Status st = OpenDriver(admin, &d);
    if (st.ok()) st = d->Run(sql, nullptr, nullptr);
    EXPECT_TRUE(st.ok()) << sql << ": " << st.ToString();
  }

  const TempDatabase& db_;
  std::string copy_;
};

// Every statement of five writes made to fail in turn, or its connection lost
// there, under both kinds and on each engine: every business table stays as
// it was and the failure is logged once. Order 126 is created before each.
TEST(OrderFaultsTest, EveryStatementFailingLeavesNothingWritten) {
  ASSERT_TRUE(registered);
  Json split = NewOrder(), row_only = NewOrder();
  split.update(Json{{"invntDocto_Transp_id", 126}, {"inarrvntBaixas", {"5", "20", "5", "0"}}});
  row_only.update(Json{{"invntDocto_Transp_id", 1}, {"invntQtde_Programacao", 0}});
  const Json delete_1 = {{"invntDocto_Transp_id", 1}, {"inVntNum_CVA", ""}};
  const Json delete_9 = {{"invntDocto_Transp_id", 9}, {"inVntNum_CVA", 778899}};
  const std::tuple<const char*, const char*, Json, int> operations[] = {
      {"create", "gInclui_Col_Geral", NewOrder(), 5},
      {"alter 126 to another split", "gAltera_Col_Geral", split, 5},
      {"alter 1, its row and sales order", "gAltera_Col_Geral", row_only, 5},
      {"delete 1 and its displacement", "gExclui_Col_Geral", delete_1, 5},
      {"delete 9 and register its CVA job", "gExclui_Col_Geral", delete_9, 4}};
  std::map<std::string, std::set<std::string>> after;  // by operation, under either kind
  for (const Engine engine : testing::TestEngines()) {
    int injected = 0;
    for (const std::string kind : {"ORACLE", "SQLSERVER"}) {
      const std::string run = std::string(EngineName(engine)) + " " + kind;
      TempDatabase db(engine);
      ASSERT_TRUE(Call("gInclui_Col_Geral", NewOrder(), db.connection(), kind).ok());
      Snapshot pristine(db);
      pristine.Keep();
      const std::string before = BusinessState(db);
      for (const auto& [what, op, args, user] : operations) {
        for (bool lose : {false, true}) {
          for (int k = 1, fired = 1; fired; ++k) {
            const std::string name = std::string(what) + " / " + run + " / statement " +
                                     std::to_string(k) + (lose ? " lost" : " failed");
            plan = {k, lose};
            Answer a = Call(op, args, Faulty(db), kind, user);
            fired = plan.fired;
            plan = {};
            injected += fired;
            if (!fired) {  // it ran to its end before statement k
              EXPECT_TRUE(a.ok()) << name;
              after[what].insert(BusinessState(db));
              pristine.Restore();
            } else if (!a.ok()) {  // (a failed system-log step is ignored)
              EXPECT_EQ(before, BusinessState(db)) << name;
              EXPECT_TRUE(NoOrderId(a)) << name;
              // The trap's row; the job module adds its own report of a failed
              // registration, alone when the failing step had no trap.
              const long rows = db.Count("LOG_MSG");
              const long reports = db.Count("LOG_MSG WHERE MSG01 LIKE 'LUM_JOB.gInclui_JOB - %'");
              EXPECT_TRUE(rows == 1 || (rows == 2 && reports == 1)) << name << ": " << rows;
              db.Exec("DELETE FROM LOG_MSG");
            } else {
              pristine.Restore();
            }
          }
        }
      }
    }
    EXPECT_GT(injected, 300) << EngineName(engine);
  }
  for (const auto& [what, states] : after) EXPECT_EQ(1u, states.size()) << what << ": runs differ";

  // The database refusing the commit itself: the call fails, is logged once
  // and has written nothing.
  for (const Engine engine : testing::TestEngines()) {
    for (const std::string kind : {"ORACLE", "SQLSERVER"}) {
      TempDatabase db(engine);
      ASSERT_TRUE(Call("gInclui_Col_Geral", NewOrder(), db.connection(), kind).ok());
      const std::string before = BusinessState(db);
      for (const auto& [what, op, args, user] : operations) {
        const std::string name =
            std::string(what) + " / " + EngineName(engine) + " " + kind + " / commit refused";
        plan = {.fail_commit = true};
        Answer a = Call(op, args, Faulty(db), kind, user);
        EXPECT_TRUE(plan.fired) << name;
        plan = {};
        EXPECT_FALSE(a.ok()) << name;
        EXPECT_TRUE(NoOrderId(a)) << name;
        EXPECT_NE("", a.text("outvntMsg_Ret")) << name;
        EXPECT_EQ(before, BusinessState(db)) << name;
        EXPECT_EQ(1, db.Count("LOG_MSG")) << name;
        db.Exec("DELETE FROM LOG_MSG");
      }
    }
  }
}

// One writer of four: fifteen calls that create, delete or alter its own
// orders of customer 102 for 203 at point 3 (limit 0), taking 0, 1 or 2,5 t
// from each programme listed at that moment. A refusal (the offer changed
// since it was listed) is fine; a trapped error, a busy database among them,
// is not.
int Writer(const std::string& connection, const std::string& kind, int seed) {
  std::mt19937 rng(seed);
  std::vector<int> mine;
  for (int i = 0; i < 15; ++i) {
    const int action = mine.empty() ? 0 : static_cast<int>(rng() % 3);
    const size_t at = mine.empty() ? 0 : rng() % mine.size();
    const int order = action == 0 ? 0 : mine[at];
    Json o = {{"invntDocto_Transp_id", order}, {"inVntNum_CVA", ""}};
    if (action != 1) {
      Answer listed = Call("gBusca_Ton_Prog",
                           {{"invntCliente_id", 102},
                            {"invntDestinatario_id", 203},
                            {"invntponto_operacao_id", 3},
                            {"InVntDocto_Transporte_ID", order}},
                           connection, kind);
      const int count =
          listed.args["outVntTam_Arr"].is_number() ? listed.args["outVntTam_Arr"].get<int>() : 0;
      Json takes = Json::array();
      double weight = 0;
      for (int j = 0; j < count; ++j) {
        const double take = std::vector<double>{0, 1, 2.5}[rng() % 3];
        takes.push_back(FormatNumber(take));
        weight += take;
      }
      o = NewOrder();
      o.update(Json{{"invntCliente_id", 102},
                    {"invntDestinatario_id", 203},
                    {"invntEnd_Destinatario_id", 2031},
                    {"invntponto_operacao_id", 3},
                    {"invntQtde_Programacao", count},
                    {"inarrvntBaixas", takes},
                    {"invntPeso_Previsto", FormatNumber(weight)}});
      if (order) o["invntDocto_Transp_id"] = order;
    }
    const char* ops[] = {"gInclui_Col_Geral", "gExclui_Col_Geral", "gAltera_Col_Geral"};
    Answer a = Call(ops[action], o, connection, kind);
    if (a.ok() && action == 0) mine.push_back(a.args["outvntDocto_Transp_id"].get<int>());
    if (a.ok() && action == 1) mine.erase(mine.begin() + static_cast<long>(at));
    if (!a.ok() && a.text("outvntMsg_Ret").find("não disponível") != std::string::npos) return 1;
  }
  return 0;
}

// Four processes, two on each path, write orders on programmes 71-76 at once,
// on each engine.
TEST(OrderConcurrencyTest, TonnageAlwaysEqualsTheLinks) {
  for (const Engine engine : testing::TestEngines()) {
    const char* on = EngineName(engine);
    TempDatabase db(engine);
    SetClockForTesting(*ParseDateTime("2026/12/06 10:00"));
    // 76 has no status, which the status rule refuses to touch.
    db.Exec("UPDATE PROGRAM_CARGA SET TAB_STATUS_ID = 501 WHERE PROGRAM_CARGA_ID = 76");
    const std::string programmes =
        "SELECT P.PROGRAM_CARGA_ID, NVL(P.TON_PROGRAMADA, 0), NVL(P.TON_CARREGADA, 0), "
        "NVL(P.TON_P_ESCOAR, 0), (SELECT NVL(SUM(H.ULTIMA_TON_PROGR), 0) FROM HIST_PROGR_ESCOAM "
        "H WHERE H.PROGRAM_CARGA_ID = P.PROGRAM_CARGA_ID AND H.DOCTO_TRANSPORTE_ID >= 126) "
        "FROM PROGRAM_CARGA P WHERE P.PROGRAM_CARGA_ID BETWEEN 71 AND 76 ORDER BY 1";
    const auto initial = db.Rows(programmes);

    const auto start = std::chrono::steady_clock::now();
    const bool writers_ok = testing::InChildProcesses(
        4, [&](int p) { return Writer(db.connection(), p % 2 ? "SQLSERVER" : "ORACLE", p); });
    SetClockForTesting(std::nullopt);
    EXPECT_TRUE(writers_ok) << on << ": a writer met a trapped error";
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60)) << on;

    // Every identifier drawn names one order (the key refuses a second).
    const Value created =
        db.Scalar("SELECT COUNT(*) FROM DOCTO_TRANSPORTE WHERE DOCTO_TRANSPORTE_ID >= 126");
    EXPECT_EQ(created, db.Scalar("SELECT DOCTO_TRANSPORTE_ID - 125 FROM INFRA_IDS")) << on;
    EXPECT_GE(created.int32(), 8) << on;
    const auto now = db.Rows(programmes);
    for (size_t i = 0; i < now.size(); ++i) {
      const double programmed = now[i][1].dbl(), loaded = now[i][2].dbl(), rest = now[i][3].dbl(),
                   links = now[i][4].dbl();
      EXPECT_DOUBLE_EQ(initial[i][2].dbl() + links, loaded) << on << " " << Cat(now[i][0]);
      EXPECT_DOUBLE_EQ(programmed - loaded, rest) << on << " " << Cat(now[i][0]);
    }
    // Active orders have their links; deleted ones have none.
    EXPECT_EQ(Value::Int32(0),
              db.Scalar("SELECT COUNT(*) FROM DOCTO_TRANSPORTE D WHERE DOCTO_TRANSPORTE_ID >= 126 "
                        "AND (TAB_STATUS_ID = 1) = NOT EXISTS (SELECT 1 FROM HIST_PROGR_ESCOAM H "
                        "WHERE H.DOCTO_TRANSPORTE_ID = D.DOCTO_TRANSPORTE_ID)"))
        << on;
    EXPECT_EQ(0, db.Count("LOG_MSG")) << on;
  }
}

}  // namespace
}  // namespace ocg
