// ocg backup of a file that two ocg serve processes are writing: each copy is
// a whole database, as one committed transaction left it, that answers every
// read operation; an existing destination is never overwritten.
#include "embedded/backup.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "cli/dispatch.h"
#include "server/server_process.h"
#include "test_support.h"

namespace ocg {
namespace {

using Json = nlohmann::json;
using testing::ChildProcess;
using testing::ServerProcess;
using testing::TempDatabase;

// Customer 102's order for 202 at point 2, taking 1 t from programme 21, the
// only one on offer there.
const char kOrder[] = R"({"InVntTab_Tipo_Docto_Transp_ID": 5, "invntCliente_id": 102,
  "invntponto_operacao_id": 2, "invntData_Atual": "06/12/2026", "invntEnd_Destinatario_id": 2021,
  "invntDestinatario_id": 202, "invntMunicipio_Dest_id": 4, "invntN_Docto_Cliente": "",
  "invntN_Docto_Transp": "", "invntData_Prev_Carreg": "10/12/2026", "invntVeiculo_Forn_id": 2,
  "invntColaborador_id": 301, "invntFornecedor_id": "", "invntLocal_Carreg": "Pátio 3",
  "invntPeso_Previsto": "1", "invntTxt_Embalagem": "bobinas", "invntObs1": "",
  "invntQtde_Programacao": 1, "inarrvntBaixas": ["1"], "invntFlag_Ademe": "N",
  "invntTAB_TIPO_RESPONSAVEL_ID": 1, "invntTAB_TIPO_EMERGENCIA_ID": 0,
  "invntveiculo_carreta_id": 21})";

// Every operation that only reads, with arguments it succeeds with on the
// demonstration data.
const char* const kReads[][2] = {
    {"gVerif_Exist_Docto",
     R"({"inlngnum_docto_ini": 500, "inlngnum_docto_fim": 510, "inlngTab_Tipo_Docto_ID": 9,
         "InLngPonto_Operacao_ID": 1})"},
    {"gBusca_Numeracao_Automatica",
     R"({"invntponto_operacao_id": 1, "InVntTab_Tipo_Docto_Transp_ID": 9})"},
    {"mVer_Dup_Col_Geral",
     R"({"invntNum_Docto_Transp": "999", "InVntTab_Tipo_Docto_Transp_ID": 9,
         "invntponto_operacao_id": 1})"},
    {"gCons_Flag_Progr", R"({"invntCliente_id": 101})"},
    {"gBusca_Carreta_Veiculo", R"({"InLngVeiculo_Fornecedor_ID": 2})"},
    {"gCons_Docto_Transp", R"({"invntDocto_Transp_id": 126})"},
    {"mBusca_EMail_Usuario", R"({"InLngUsuario_Internet_ID": 4})"},
    {"gImprime_Coleta", R"({"invntDocto_Transp_id": 126})"},
    {"mConsiste_Progr_Carga",
     R"({"invntCliente_id": 102, "invntDestinatario_id": 202, "invntponto_operacao_id": 2,
         "invntQtde_Programacao": 1, "inarrvntBaixas": [5], "invntPeso_Previsto": "5"})"},
    {"mconsiste_campos",
     R"({"InVntTab_Tipo_Docto_Transp_ID": 5, "invntCliente_id": 102, "invntponto_operacao_id": 2,
         "invntData_Atual": "06/12/2026", "invntEnd_Destinatario_id": 2021,
         "invntMunicipio_Dest_id": 4, "invntN_Docto_Cliente": "", "invntN_Docto_Transp": "",
         "invntData_Prev_Carreg": "10/12/2026", "invntVeiculo_Forn_id": 2,
         "invntColaborador_id": 301, "invntFornecedor_id": "", "invntLocal_Carreg": "Pátio 3",
         "invntPeso_Previsto": "1", "invntTxt_Embalagem": "bobinas", "invntObs1": "",
         "invntQtde_Programacao": 1, "invntFlag_Ademe": "N", "invntTAB_TIPO_RESPONSAVEL_ID": 1,
         "invntTAB_TIPO_EMERGENCIA_ID": 0})"},
    {"gBusca_Ton_Prog",
     R"({"invntCliente_id": 102, "invntDestinatario_id": 202, "invntponto_operacao_id": 2,
         "InVntDocto_Transporte_ID": 126})"},
    {"gBusca_Dados_Programacao",
     R"({"invntnum_programacao": 2026021, "invntponto_operacao_id": 2})"},
    {"gCons_Veic", R"({"invntVeic_Fornec_id": 2})"},
    {"gCons_geral", R"({"invntNum_Pj_Pf": "56.789.012/0001-34", "invntIndic_Pj_Pf": "PJ"})"},
    {"gCons_End_Dest", R"({"InVntPessoa_id": 201})"},
};

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(BackupTest, ACopyTakenWhileTwoServersCreateOrdersIsWholeAndAnswersEveryRead) {
  TempDatabase db;
  db.Exec(
      "UPDATE PROGRAM_CARGA SET TON_PROGRAMADA = 1000000, TON_P_ESCOAR = 1000000 "
      "WHERE PROGRAM_CARGA_ID = 21");
  const double loaded_before = db.Scalar(
                                     "SELECT TON_CARREGADA FROM PROGRAM_CARGA "
                                     "WHERE PROGRAM_CARGA_ID = 21")
                                   .dbl();
  ServerProcess oracle(db.dir(), {"--db", "main=" + db.connection(), "--user", "5", "--kind",
                                  "ORACLE", "--workers", "2"});
  ServerProcess sqlserver(db.dir(), {"--db", "main=" + db.connection(), "--user", "5", "--kind",
                                     "SQLSERVER", "--workers", "2"});
  ASSERT_TRUE(oracle.ready() && sqlserver.ready()) << oracle.Output() << sqlserver.Output();

  std::atomic<bool> done = false;
  std::atomic<int> created = 0, failed = 0;
  std::vector<std::thread> writers;
  for (const ServerProcess* server : {&oracle, &sqlserver}) {
    writers.emplace_back([&, server] {
      httplib::Client http = server->Client();
      while (!done) {
        auto r = http.Post("/ocg/gInclui_Col_Geral", kOrder, "application/json");
        const bool ok = r && r->status == 200 && Json::parse(r->body)["result"] == 0;
        ++(ok ? created : failed);
      }
    });
  }
  while (created < 20 && failed == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));

  std::vector<std::string> copies;
  for (int i = 0; i < 3; ++i) {
    copies.push_back(db.dir() + "/copy" + std::to_string(i) + ".db");
    ChildProcess backup(db.dir(), {OCG_BINARY, "backup", db.path(), copies.back()}, "^$never");
    EXPECT_EQ(0, backup.Wait()) << backup.Output();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  const std::string first = Bytes(copies[0]);
  ChildProcess again(db.dir(), {OCG_BINARY, "backup", db.path(), copies[0]}, "^$never");
  EXPECT_EQ(1, again.Wait());
  EXPECT_NE(std::string::npos, again.Output().find("already exists")) << again.Output();
  EXPECT_TRUE(first == Bytes(copies[0])) << "an existing copy was overwritten";
  done = true;
  for (std::thread& w : writers) w.join();
  EXPECT_EQ(0, failed.load());

  long orders_before = 0;
  for (const std::string& copy : copies) {
    SCOPED_TRACE(copy);
    const std::string connection = "Data Source=" + copy;
    auto scalar = [&connection](const std::string& sql) {
      RowSet rows;
      Status st = RunStatement(connection, sql, &rows);
      EXPECT_TRUE(st.ok()) << sql << ": " << st.ToString();
      return rows.rows.empty() ? Value() : rows.rows[0][0];
    };
    EXPECT_EQ("ok", scalar("PRAGMA integrity_check").TextOrEmpty());
    // Whole: every order there has its link, the programme's tonnage is
    // their sum, and the counter names the last order.
    const long orders =
        scalar("SELECT COUNT(*) FROM DOCTO_TRANSPORTE WHERE DOCTO_TRANSPORTE_ID >= 126").int32();
    EXPECT_GT(orders, orders_before) << "taken while the servers wrote";
    orders_before = orders;
    EXPECT_EQ(orders,
              scalar("SELECT COUNT(*) FROM HIST_PROGR_ESCOAM WHERE DOCTO_TRANSPORTE_ID >= 126 "
                     "AND ULTIMA_TON_PROGR = 1")
                  .int32());
    EXPECT_DOUBLE_EQ(
        loaded_before + orders,
        scalar("SELECT TON_CARREGADA FROM PROGRAM_CARGA WHERE PROGRAM_CARGA_ID = 21").dbl());
    EXPECT_EQ(125 + orders, scalar("SELECT DOCTO_TRANSPORTE_ID FROM INFRA_IDS").int32());
    for (const char* kind : {"ORACLE", "SQLSERVER"}) {
      for (const auto& [operation, arguments] : kReads) {
        CallPolicy policy;
        policy.defaults = {connection, kind, "5"};
        CallAnswer answer = CallOperation(operation, arguments, policy);
        EXPECT_EQ(CallOutcome::kSucceeded, answer.outcome)
            << operation << " " << kind << ": " << answer.answer.dump() << answer.error;
      }
    }
  }
}

}  // namespace
}  // namespace ocg
