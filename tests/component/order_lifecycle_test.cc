// Creating, reading, altering, printing and deleting an order on the demo
// database under both kinds, the statements they build, and the refusals
// that leave everything as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "component/load_programmes.h"
#include "order_calls.h"
#include "test_support.h"

namespace ocg {
namespace {

using testing::Answer;
using testing::BusinessState;
using testing::Call;
using testing::Json;
using testing::NewOrder;
using testing::TempDatabase;
using testing::TraceCapture;

// Programmes 11-14 as "id loaded to-ship status", one a line.
std::string Programmes(const TempDatabase& db) {
  std::string out;
  for (const auto& row : db.Rows("SELECT PROGRAM_CARGA_ID, NVL(TON_CARREGADA, 0), "
                                 "NVL(TON_P_ESCOAR, 0), TAB_STATUS_ID FROM PROGRAM_CARGA "
                                 "WHERE PROGRAM_CARGA_ID BETWEEN 11 AND 14 ORDER BY 1")) {
    out += Cat(row[0]) + " " + Cat(row[1]) + " " + Cat(row[2]) + " " + Cat(row[3]) + "\n";
  }
  return out;
}

// The order's links as "programme:take", null for a take of 0.
std::string Links(const TempDatabase& db, int order) {
  std::string out;
  for (const auto& row : db.Rows("SELECT PROGRAM_CARGA_ID, ULTIMA_TON_PROGR FROM "
                                 "HIST_PROGR_ESCOAM WHERE DOCTO_TRANSPORTE_ID = " +
                                 std::to_string(order) + " ORDER BY 1")) {
    out += Cat(row[0]) + ":" + (row[1].is_null() ? "null" : Cat(row[1])) + " ";
  }
  return out;
}

class OrderLifecycleTest : public ::testing::Test {
 protected:
  void SetUp() override { SetClockForTesting(*ParseDateTime("2027/09/15 10:00")); }
  void TearDown() override { SetClockForTesting(std::nullopt); }
};

// Create from two of four programmes, read back, list, alter to another split,
// print, delete, delete again; delete demo order 9, which has a CVA; create
// an order that spends a programme. The
// programmes after each step are as the bookings compute them, and both kinds
// leave the same business state after every step.
TEST_F(OrderLifecycleTest, ScenarioUnderBothKinds) {
  std::map<std::string, std::vector<std::string>> states, statements;
  for (const std::string kind : {"ORACLE", "SQLSERVER"}) {
    TempDatabase db;
    TraceCapture trace(db.dir());
    auto call = [&](std::string_view op, const Json& args, int user = 5) {
      Answer a = Call(op, args, db.connection(), kind, user);
      states[kind].push_back(BusinessState(db.connection()));
      return a;
    };
    Answer created = call("gInclui_Col_Geral", NewOrder());
    ASSERT_TRUE(created.ok()) << kind << created.text("outvntMsg_Ret");
    EXPECT_EQ("126", created.text("outvntDocto_Transp_id")) << kind;
    // Every programme on offer is booked and has its status refreshed: on 15
    // September 2027 11 is in its critical period and 12 overdue.
    EXPECT_EQ("11 80 220 504\n12 160 40 505\n13 0 100 503\n14 100 20 505\n", Programmes(db))
        << kind;
    EXPECT_EQ("11:20 12:10 13:null 14:null ", Links(db, 126)) << kind;

    Answer read = call("gCons_Docto_Transp", {{"invntDocto_Transp_id", 126}});
    ASSERT_TRUE(read.ok()) << kind;
    EXPECT_EQ(R"("PÁTIO 3" "BOBINAS" "FRÁGIL" 30.0)",
              read.text("outvntLocal_Carreg") + " " + read.text("outvntTxt_Embalagem") + " " +
                  read.text("outvntObserv1") + " " + read.text("outvntPeso_Previsto"))
        << kind;
    Answer listed = call("gBusca_Ton_Prog", {{"invntCliente_id", 101},
                                             {"invntDestinatario_id", 201},
                                             {"invntponto_operacao_id", 1},
                                             {"InVntDocto_Transporte_ID", 126}});
    EXPECT_EQ("[11,12,13,14]", listed.text("outarrvntProgram_Carga_id")) << kind;

    Json altered = NewOrder();
    altered["invntDocto_Transp_id"] = 126;
    altered["inarrvntBaixas"] = {"5,5", "20", "5", "16"};
    altered["invntPeso_Previsto"] = "46,5";
    ASSERT_TRUE(call("gAltera_Col_Geral", altered).ok()) << kind;
    // 16 t from 14 leave 4, under point 1's limit of 5: 14 is spent (0 to
    // ship) and closes.
    EXPECT_EQ("11 65,5 234,5 504\n12 170 30 505\n13 5 95 503\n14 116 0 502\n", Programmes(db))
        << kind;
    EXPECT_EQ("11:5,5 12:20 13:5 14:16 ", Links(db, 126)) << kind;

    EXPECT_TRUE(call("gImprime_Coleta", {{"invntDocto_Transp_id", 126}}).ok()) << kind;

    const Json deletion = {{"invntDocto_Transp_id", 126}, {"inVntNum_CVA", ""}};
    ASSERT_TRUE(call("gExclui_Col_Geral", deletion).ok()) << kind;
    // The 4 t written off when 14 was spent stay written off; it reopens.
    const std::string deleted = "11 60 240 504\n12 150 50 505\n13 0 100 503\n14 100 16 505\n";
    EXPECT_EQ(deleted, Programmes(db)) << kind;
    EXPECT_EQ("", Links(db, 126)) << kind;
    EXPECT_EQ(Value::Int32(2), db.Scalar("SELECT TAB_STATUS_ID FROM DOCTO_TRANSPORTE WHERE "
                                         "DOCTO_TRANSPORTE_ID = 126"));
    // Deleting twice gives nothing back twice.
    Answer again = call("gExclui_Col_Geral", deletion);
    EXPECT_EQ(Value::Int16(10), again.result) << kind;
    EXPECT_EQ(R"("Não existe nenhum registro com essas informações.")", again.text("outvntMsg_Ret"))
        << kind;
    EXPECT_EQ(deleted, Programmes(db)) << kind;

    // User 4 has an address: the job is mailed to it.
    ASSERT_TRUE(
        call("gExclui_Col_Geral", {{"invntDocto_Transp_id", 9}, {"inVntNum_CVA", 778899}}, 4).ok())
        << kind;
    EXPECT_EQ(
        "2305 S ana.costa@tarvosa.com.br "
        "__JOB__2__2003/01/01 00:00__2003/01/01 00:00__778899__3__0__0__6__0__0__0__0",
        Cat(db.Scalar("SELECT FUNCAO_ID || ' ' || FLAG_ENVIA_EMAIL || ' ' || LOWER(ENDERECO_EMAIL) "
                      "|| ' ' || TXT_QUERY FROM LOG_GERADOR WHERE LOG_GERADOR_ID = 2")))
        << kind;
    // A take that leaves less than the point's limit spends the programme.
    Json spend = NewOrder();
    spend.update(Json{{"inarrvntBaixas", {"0", "0", "0", "16"}}, {"invntPeso_Previsto", "16"}});
    ASSERT_TRUE(call("gInclui_Col_Geral", spend).ok()) << kind;
    EXPECT_EQ("11 60 240 504\n12 150 50 505\n13 0 100 503\n14 116 0 502\n", Programmes(db)) << kind;
    EXPECT_EQ(0, db.Count("LOG_MSG")) << kind;
    statements[kind] = trace.Statements();
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
  ASSERT_EQ(states["ORACLE"].size(), states["SQLSERVER"].size());
  for (size_t step = 0; step < states["ORACLE"].size(); ++step) {
    EXPECT_EQ(states["ORACLE"][step], states["SQLSERVER"][step]) << "after call " << step + 1;
  }
}

// Every refusal and trapped error: result 10, the message, the LOG_MSG rows
// of a trapped error only, and every business table as it was.
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
  const std::string spread_trap =
      "Acesso a consistência dos dados da programação não disponível. Favor tentar mais tarde.";
  const Case cases[] = {
      {"no customer", "gInclui_Col_Geral", changed({{"invntCliente_id", ""}}),
       "Informe o Cliente por favor."},
      {"a date that does not exist", "gInclui_Col_Geral",
       changed({{"invntData_Prev_Carreg", "31/02/2027"}}),
       "Insira uma data válida no campo 'Data Prev. Carregamento'."},
      {"a take-off over its programme", "gInclui_Col_Geral",
       changed({{"inarrvntBaixas", {"0", "60", "0", "0"}}, {"invntPeso_Previsto", "60"}}),
       "O valor da baixa (60) não pode ser maior do que a Tonelada a Escoar (50) correspondente. "},
      {"a count short of the offer", "gInclui_Col_Geral",
       changed({{"invntQtde_Programacao", 2}, {"inarrvntBaixas", {"20", "10"}}}),
       std::string(kReloadMessage)},
      {"fewer take-offs than the count", "gInclui_Col_Geral",
       changed({{"inarrvntBaixas", {"20", "10", "0"}}}), spread_trap, 1},
      {"take-offs that are no array", "gInclui_Col_Geral", changed({{"inarrvntBaixas", "30"}}),
       spread_trap, 1},
      {"a number already taken", "gInclui_Col_Geral",
       changed({{"InVntTab_Tipo_Docto_Transp_ID", 9}, {"invntN_Docto_Transp", "158"}}),
       "Já existe um registro com esse nº de ordem de coleta."},
      {"alter an order that is not there", "gAltera_Col_Geral",
       changed({{"invntDocto_Transp_id", 999}}), no_order},
      {"alter a deleted order", "gAltera_Col_Geral", changed({{"invntDocto_Transp_id", 7}}),
       no_order},
      {"alter with a spread of another split", "gAltera_Col_Geral",
       changed({{"invntDocto_Transp_id", 1}, {"invntQtde_Programacao", 3}}),
       std::string(kReloadMessage)},
      {"delete an order that is not there", "gExclui_Col_Geral", deletion(999, ""), no_order},
      {"delete a deleted order", "gExclui_Col_Geral", deletion(7, ""), no_order},
      {"a CVA in letters", "gExclui_Col_Geral", deletion(1, "abc"),
       "Acesso exclusão da coleta não disponível. Favor tentar mais tarde.", 1},
      // The job refuses user 8's address after the order was deleted: the
      // deletion is undone with it.
      {"a recipient over 100 characters", "gExclui_Col_Geral", deletion(9, 778899),
       "Preencha Destinatário do E-Mail com, no máximo, 100 caracteres.", 1, 8},
  };
  for (const std::string kind : {"ORACLE", "SQLSERVER"}) {
    TempDatabase db;
    const std::string before = BusinessState(db.connection());
    for (const Case& c : cases) {
      const long logs = db.Count("LOG_MSG");
      Answer a = Call(c.op, c.args, db.connection(), kind, c.user);
      EXPECT_EQ(Value::Int16(10), a.result) << c.name << " / " << kind;
      EXPECT_EQ(Json(c.want), a.args["outvntMsg_Ret"]) << c.name << " / " << kind;
      EXPECT_EQ(logs + c.logged, db.Count("LOG_MSG")) << c.name << " / " << kind;
      EXPECT_EQ(before, BusinessState(db.connection())) << c.name << " / " << kind;
      if (a.args.contains("outvntDocto_Transp_id")) {
        EXPECT_EQ(R"({"empty":true})", a.text("outvntDocto_Transp_id")) << c.name;
      }
    }
  }
}

}  // namespace
}  // namespace ocg
