// The order writes on the demo database, on each engine under both kinds:
// scenarios with the tonnage and links after each call, the statements as
// built and the same business state everywhere; the refusals; every
// statement made to fail in turn; writers at once; a seeded random run.
// Operations are called by name, as "ocg call" calls them.
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
#include "infra/driver.h"
#include "infra/session.h"
#include "infra/sql_format.h"
#include "test_support.h"

namespace ocg {
namespace {

using testing::Answer;
using testing::BusinessState;
using testing::Call;
using testing::Deletion;
using testing::Engine;
using testing::EngineKind;
using testing::EngineName;
using testing::Json;
using testing::NewOrder;
using testing::Order;
using testing::Runs;
using testing::TempDatabase;
using testing::Text;
using testing::TraceCapture;

// Programmes 11-14 of 101 -> 201 at point 1 (limit 5): "id loaded to-ship",
// with the status too; the links of order 126, and of every order since.
const std::string kTonnage =
    "SELECT PROGRAM_CARGA_ID, NVL(TON_CARREGADA, 0), NVL(TON_P_ESCOAR, 0) FROM PROGRAM_CARGA "
    "WHERE PROGRAM_CARGA_ID BETWEEN 11 AND 14 ORDER BY 1";
const std::string kStatuses =
    "SELECT PROGRAM_CARGA_ID, NVL(TON_CARREGADA, 0), NVL(TON_P_ESCOAR, 0), TAB_STATUS_ID FROM "
    "PROGRAM_CARGA WHERE PROGRAM_CARGA_ID BETWEEN 11 AND 14 ORDER BY 1";
const std::string kLinks126 =
    "SELECT PROGRAM_CARGA_ID, ULTIMA_TON_PROGR FROM HIST_PROGR_ESCOAM WHERE "
    "DOCTO_TRANSPORTE_ID = 126 ORDER BY 1";
const std::string kLinks =
    "SELECT DOCTO_TRANSPORTE_ID, PROGRAM_CARGA_ID, ULTIMA_TON_PROGR FROM HIST_PROGR_ESCOAM "
    "WHERE DOCTO_TRANSPORTE_ID >= 126 ORDER BY 1, 2";
const std::string kStart = "11 60 240|12 150 50|13 0 100|14 100 20|";

bool NoOrderId(const Answer& a) {
  return !a.args.contains("outvntDocto_Transp_id") || a.args["outvntDocto_Transp_id"].is_object();
}

// A number of an answer as the platform prints it ("235", "12,5").
std::string Number(const Json& j) { return j.is_number() ? FormatNumber(j.get<double>()) : ""; }

// The result, the message when one was set, a new order's identifier as #id,
// and a list's entries as "id available/taken".
std::string Answered(const Answer& a) {
  std::string out = Cat(a.result);
  if (a.args.contains("outvntMsg_Ret") && a.args["outvntMsg_Ret"].is_string()) {
    out += " " + a.args["outvntMsg_Ret"].get<std::string>();
  }
  if (a.args.contains("outvntDocto_Transp_id") && a.args["outvntDocto_Transp_id"].is_number()) {
    out += " #" + Number(a.args["outvntDocto_Transp_id"]);
  }
  const Json& ids =
      a.args.contains("outarrvntProgram_Carga_id") ? a.args["outarrvntProgram_Carga_id"] : Json();
  for (size_t i = 0; ids.is_array() && i < ids.size(); ++i) {
    out += " " + Number(ids[i]) + " " + Number(a.args["outarrvntTon_P_Escoar"][i]) + "/" +
           Number(a.args["OutArrVntTon_Carregada"][i]);
  }
  return out;
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

// One call of a scenario: what it answers (Answered), and where given the
// programmes' and the links' query text afterwards.
struct Step {
  const char* name;
  const char* op;
  Json args;
  std::string answer;
  const char* programmes = nullptr;  // nullptr: not checked
  const char* links = nullptr;
  int user = 5;
};

class OrderWritesTest : public ::testing::Test {
 protected:
  void SetUp() override { SetClockForTesting(*ParseDateTime("2026/12/10 10:00")); }
  void TearDown() override { SetClockForTesting(std::nullopt); }

  // Runs the steps on a fresh demo database of each engine under each kind,
  // checking each step, the rows a query gives at the end ("" for none), and
  // that every run leaves the same business state after each step; returns
  // the statements as built, by kind.
  std::map<std::string, std::vector<std::string>> Scenario(const std::vector<Step>& steps,
                                                           const std::string& programmes,
                                                           const std::string& links,
                                                           const std::string& last_query = "",
                                                           const std::string& last_rows = "") {
    std::map<std::string, std::vector<std::string>> states, statements;
    for (const EngineKind& run : Runs()) {
      TempDatabase db(run.engine);
      TraceCapture trace(db.dir());
      for (const Step& step : steps) {
        const std::string name = std::string(step.name) + " / " + run.name();
        const Answer a = Call(step.op, step.args, db.connection(), run.kind, step.user);
        EXPECT_EQ(step.answer, Answered(a)) << name;
        if (step.programmes) {
          EXPECT_EQ(step.programmes, Text(db, programmes)) << name;
        }
        if (step.links) {
          EXPECT_EQ(step.links, Text(db, links)) << name;
        }
        states[run.name()].push_back(BusinessState(db));
      }
      if (!last_query.empty()) {
        EXPECT_EQ(last_rows, Text(db, last_query)) << run.name();
      }
      EXPECT_EQ(0, db.Count("LOG_MSG")) << run.name();
      const std::vector<std::string> built = trace.Statements();
      statements[run.kind].insert(statements[run.kind].end(), built.begin(), built.end());
    }
    for (const auto& [run, after] : states) {
      for (size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(states.begin()->second[i], after[i]) << run << " after " << steps[i].name;
      }
    }
    return statements;
  }
};

// Order 126 created from two of four programmes, read back, listed, altered
// to another split, printed, deleted twice; demo order 9 deleted with its CVA
// job; an order that spends a programme. On 15 September 2027 11 is in its
// critical period and 12 overdue: every programme on offer is booked and has
// its status refreshed.
TEST_F(OrderWritesTest, Lifecycle) {
  SetClockForTesting(*ParseDateTime("2027/09/15 10:00"));
  Json altered = Order(126, {"5,5", "20", "5", "16"}, "46,5");
  const Json order = {{"invntDocto_Transp_id", 126}};
  const char* deleted = "11 60 240 504|12 150 50 505|13 0 100 503|14 100 16 505|";
  const std::vector<Step> steps = {
      {"create", "gInclui_Col_Geral", NewOrder(), "0 #126",
       "11 80 220 504|12 160 40 505|13 0 100 503|14 100 20 505|", "11 20|12 10|13 null|14 null|"},
      {"read back", "gCons_Docto_Transp", order, "0"},
      {"list", "gBusca_Ton_Prog", ForOrder(126), "0 11 240/20 12 50/10 13 100/0 14 20/0"},
      // 16 t from 14 leave 4, under point 1's limit of 5: 14 is spent and closes.
      {"alter", "gAltera_Col_Geral", altered, "0",
       "11 65,5 234,5 504|12 170 30 505|13 5 95 503|14 116 0 502|", "11 5,5|12 20|13 5|14 16|"},
      {"print", "gImprime_Coleta", order, "0"},
      // The 4 t written off when 14 was spent stay so; 14 reopens.
      {"delete", "gExclui_Col_Geral", Deletion(126), "0", deleted, ""},
      {"delete again", "gExclui_Col_Geral", Deletion(126),
       "10 Não existe nenhum registro com essas informações.", deleted, ""},
      {"delete 9 with its CVA, as user 4",
       "gExclui_Col_Geral",
       {{"invntDocto_Transp_id", 9}, {"inVntNum_CVA", 778899}},
       "0",
       deleted,
       nullptr,
       4},
      {"spend 14", "gInclui_Col_Geral", Order(0, {"0", "0", "0", "16"}, "16"), "0 #127",
       "11 60 240 504|12 150 50 505|13 0 100 503|14 116 0 502|"},
  };
  // The CVA job, to the deleting user's address.
  auto statements = Scenario(
      steps, kStatuses, kLinks126,
      "SELECT FUNCAO_ID, FLAG_ENVIA_EMAIL, LOWER(ENDERECO_EMAIL), TXT_QUERY FROM LOG_GERADOR "
      "WHERE LOG_GERADOR_ID = 2",
      "2305 S ana.costa@tarvosa.com.br "
      "__JOB__2__2003/01/01 00:00__2003/01/01 00:00__778899__3__0__0__6__0__0__0__0|");
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
        " Update DOCTO_TRANSPORTE SET  PEDIDO_ID = null  Where DOCTO_TRANSPORTE_ID  = 9",
        // A booking writes 0 as null; a give-back adds to what is there.
        " UPDATE PROGRAM_CARGA  SET  TON_P_ESCOAR  =   100 ,  TON_CARREGADA =   null  WHERE "
        "PROGRAM_CARGA_ID   = 13 ",
        " UPDATE PROGRAM_CARGA  SET  TON_P_ESCOAR  =  null ,  TON_CARREGADA =    116  WHERE "
        "PROGRAM_CARGA_ID   = 14 ",
        " UPDATE PROGRAM_CARGA  SET  TON_P_ESCOAR  =  nvl(ton_p_escoar,0)   +   16 ,  "
        "TON_CARREGADA =  nvl(TON_CARREGADA,0)  -   16   WHERE PROGRAM_CARGA_ID   = 14 "}},
      {"SQLSERVER",
       {"EXEC SP_ZOR_INC_OCG2 5, 101, 1, 2012, 3, 4500, null, '2026/12/10 00:00', 2, 301, null, "
        "'Pátio 3', 30, 'bobinas', 'N', 1, null, 'frágil'",
        "EXEC SP_ZOR_INC_RELAC_OCG 126, 11, 20", "EXEC SP_ZOR_INC_RELAC_OCG 126, 13, null",
        "EXEC SP_ZOR_ALT_TON_PROG 14, null, 116", "EXEC SP_ZOR_ALT_TON_PROG 11, 234.5, 65.5",
        "EXEC SP_ZOR_ALT_TON_PROG 13, 100, null",
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
}

// Orders X (126) and Y (127) draw from programme 11; Z (128) from 14, which W
// (129) then closes, and Z is altered on it and deleted: the procedures answer
// for the order the operation works on.
TEST_F(OrderWritesTest, TwoOrdersOnTheSameProgrammes) {
  const std::string too_big =
      "False O valor da baixa (235,5) não pode ser maior do que a Tonelada a Escoar (235) "
      "correspondente. ";
  const std::vector<Step> steps = {
      {"create X: 8 t from 11", "gInclui_Col_Geral", Order(0, {"8", "0", "0", "0"}, "8"), "0 #126",
       "11 68 232|12 150 50|13 0 100|14 100 20|", "126 11 8|126 12 null|126 13 null|126 14 null|"},
      {"create Y: 5 t from 11", "gInclui_Col_Geral", Order(0, {"5", "0", "0", "0"}, "5"), "0 #127",
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
      {"create Z: 10 t from 14", "gInclui_Col_Geral", Order(0, {"0", "0", "0", "10"}, "10"),
       "0 #128", "11 65 235|12 150 50|13 0 100|14 110 10|",
       "127 11 5|127 12 null|127 13 null|127 14 null|128 11 null|128 12 null|128 13 null|128 14 "
       "10|"},
      {"create W: 6 of 14's 10 leave 4, under the limit: 14 closes", "gInclui_Col_Geral",
       Order(0, {"0", "0", "0", "6"}, "6"), "0 #129", "11 65 235|12 150 50|13 0 100|14 116 0|",
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
      {"delete Y: back to the start", "gExclui_Col_Geral", Deletion(127), "0", kStart.c_str(), ""},
  };
  Scenario(steps, kTonnage, kLinks);
}

// A take-off that leaves exactly the point's limit (5 t) to ship leaves it
// so, in a creation and in an alteration: only less is written off.
TEST_F(OrderWritesTest, TheLimitItselfStaysToShip) {
  const std::vector<Step> steps = {
      {"create: 15 of 14's 20", "gInclui_Col_Geral", Order(0, {"0", "0", "0", "15"}, "15"),
       "0 #126", "11 60 240|12 150 50|13 0 100|14 115 5|"},
      {"alter to 14", "gAltera_Col_Geral", Order(126, {"0", "0", "0", "14"}, "14"), "0",
       "11 60 240|12 150 50|13 0 100|14 114 6|"},
      {"alter back to 15", "gAltera_Col_Geral", Order(126, {"0", "0", "0", "15"}, "15"), "0",
       "11 60 240|12 150 50|13 0 100|14 115 5|"},
      {"delete", "gExclui_Col_Geral", Deletion(126), "0", kStart.c_str(), ""},
  };
  Scenario(steps, kTonnage, kLinks);
}

// Every refusal and trapped error: result 10, the message, a LOG_MSG row for
// a trapped error only, every business table as it was, no order identifier.
TEST_F(OrderWritesTest, RefusalsWriteNothing) {
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
      {"a point in the weight", "gInclui_Col_Geral", Order(0, {"1,5", "0", "0", "0"}, "1.5"),
       "O campo Peso Previsto não permite a digitação de números com uso de separador de "
       "milhar(.)"},
      {"points grouping thousands", "gInclui_Col_Geral",
       Order(0, {"1.000.000", "0", "0", "0"}, "1000000"),
       "O valor da baixa (1000000) não pode ser maior do que a Tonelada a Escoar (240) "
       "correspondente. "},
      {"a negative take-off the sum hides", "gInclui_Col_Geral",
       Order(0, {"-20", "50", "0", "0"}, "30"), "O valor da baixa (-20) não pode ser negativo."},
      {"a negative take-off in an alteration", "gAltera_Col_Geral",
       Order(1, {"-0.5", "10.5", "0", "0"}, "10"),
       "O valor da baixa (-0,5) não pode ser negativo."},
      {"a negative weight", "gInclui_Col_Geral", Order(0, {"-5", "0", "0", "0"}, "-5"),
       "Peso Previsto deve ser igual ou maior que 0"},
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
  for (const EngineKind& run : Runs()) {
    TempDatabase db(run.engine);
    const std::string before = BusinessState(db);
    for (const Case& c : cases) {
      const std::string name = std::string(c.name) + " / " + run.name();
      const long logs = db.Count("LOG_MSG");
      Answer a = Call(c.op, c.args, db.connection(), run.kind, c.user);
      EXPECT_EQ(Value::Int16(10), a.result) << name;
      EXPECT_EQ(Json(c.want), a.args["outvntMsg_Ret"]) << name;
      EXPECT_EQ(logs + c.logged, db.Count("LOG_MSG")) << name;
      EXPECT_EQ(before, BusinessState(db)) << name;
      EXPECT_TRUE(NoOrderId(a)) << name;
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
  explicit Snapshot(const TempDatabase& db)
      : db_(db), name_(db.server() ? testing::DatabaseOf(db.connection()) : "") {}
  ~Snapshot() {
    if (!copy_.empty() && db_.server()) Admin("DROP DATABASE " + copy_);
  }
  void Keep() {
    CloseThreadConnections();
    if (!db_.server()) {
      copy_ = db_.dir() + "/pristine.db";
      std::filesystem::copy_file(db_.path(), copy_);
      return;
    }
    copy_ = name_ + "_pristine";
    Admin("CREATE DATABASE " + copy_ + " TEMPLATE " + name_);
  }
  void Restore() {
    CloseThreadConnections();
    if (!db_.server()) {
      std::filesystem::copy_file(copy_, db_.path(),
                                 std::filesystem::copy_options::overwrite_existing);
      return;
    }
    Admin("DROP DATABASE " + name_ + " WITH (FORCE)");
    Admin("CREATE DATABASE " + name_ + " TEMPLATE " + copy_);
  }

 private:
  void Admin(const std::string& sql) const {
    EXPECT_EQ("", testing::RunOnServer(*db_.server(), sql));
  }

  const TempDatabase& db_;
  const std::string name_;
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

// Four processes, two on each path, write orders on programmes 71-76 at once,
// on each engine.
TEST_F(OrderWritesTest, ConcurrentWritersKeepTonnageEqualToTheLinks) {
  for (const Engine engine : testing::TestEngines()) {
    const char* on = EngineName(engine);
    TempDatabase db(engine);
    // 76 has no status, which the status rule refuses to touch.
    db.Exec("UPDATE PROGRAM_CARGA SET TAB_STATUS_ID = 501 WHERE PROGRAM_CARGA_ID = 76");
    const auto initial = testing::Programmes71To76(db);
    const auto start = std::chrono::steady_clock::now();
    const bool writers_ok = testing::InChildProcesses(4, [&](int p) {
      const char* kind = p % 2 ? "SQLSERVER" : "ORACLE";
      auto call = [&](std::string_view op, const Json& args) -> std::optional<Answer> {
        return Call(op, args, db.connection(), kind);
      };
      return testing::WriteOrders(call, p, 15) == 0 ? 0 : 1;
    });
    EXPECT_TRUE(writers_ok) << on << ": a writer met a trapped error";
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60)) << on;
    testing::ExpectBookingsExact(db, initial, 8, on);
  }
}

// A seeded run of creations, alterations and deletions with every spelling
// of a tonnage, the same under both kinds and on each engine: every
// programme's loaded tonnage ends equal to where it started plus what its
// live links hold, and every run ends in the same business state.
TEST_F(OrderWritesTest, RandomRunKeepsProgrammesEqualToTheirLinks) {
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
