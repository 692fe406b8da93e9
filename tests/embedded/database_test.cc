// Tests of the embedded database: creating the file, the schema the statements
// rely on, the demonstration data set and the bundled procedure scripts. Every
// test runs against a real database file made by CreateDatabase.
#include "embedded/database.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "embedded/embedded_sql.h"
#include "embedded/sql_functions.h"

namespace ocg {
namespace {

namespace fs = std::filesystem;

constexpr char kNull[] = "<null>";
constexpr char kCanonicalDate[] =
    "[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9]";

// A fresh path under the test temp directory, named after the running test.
std::string TempPath(std::string_view suffix = "") {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "_" + info->name() + "_" +
                     std::to_string(::getpid()) + std::string(suffix) + ".db";
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  fs::path path = fs::path(::testing::TempDir()) / name;
  for (const char* side : {"", "-wal", "-shm"}) fs::remove(path.string() + side);
  return path.string();
}

using Db = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;

Db Open(const std::string& path) {
  sqlite3* raw = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
  Db db(raw, &sqlite3_close);
  EXPECT_EQ(SQLITE_OK, rc) << path;
  EXPECT_TRUE(RegisterSqlFunctions(db.get()).ok());
  return db;
}

// Every cell as text, SQL NULL as kNull.
struct Rows {
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;
  std::string error;  // empty on success
};

using Arg = std::variant<std::monostate, int64_t, double, std::string>;

// Runs each statement of sql in turn, binding the named parameters from args
// (":name" -> value; a name not given stays NULL), and returns the rows of the
// last statement that has columns: the way procedure scripts are run.
Rows RunScript(sqlite3* db, std::string_view sql, const std::map<std::string, Arg>& args = {}) {
  Rows out;
  std::string text(sql);
  const char* tail = text.c_str();
  while (*tail != '\0') {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, tail, -1, &stmt, &tail) != SQLITE_OK) {
      out.error = sqlite3_errmsg(db);
      return out;
    }
    if (stmt == nullptr) continue;  // only comments or blanks were left
    for (int i = 1; i <= sqlite3_bind_parameter_count(stmt); ++i) {
      const char* name = sqlite3_bind_parameter_name(stmt, i);
      auto it = name != nullptr ? args.find(name + 1) : args.end();
      if (it == args.end()) continue;
      const Arg& a = it->second;
      if (const auto* n = std::get_if<int64_t>(&a)) sqlite3_bind_int64(stmt, i, *n);
      if (const auto* d = std::get_if<double>(&a)) sqlite3_bind_double(stmt, i, *d);
      if (const auto* s = std::get_if<std::string>(&a)) {
        sqlite3_bind_text(stmt, i, s->c_str(), -1, SQLITE_TRANSIENT);
      }
    }
    Rows current;
    for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
      current.columns.push_back(sqlite3_column_name(stmt, i));
    }
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      std::vector<std::string> row;
      for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        const unsigned char* cell = sqlite3_column_text(stmt, i);
        row.push_back(cell != nullptr ? reinterpret_cast<const char*>(cell) : kNull);
      }
      current.rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) out.error = sqlite3_errmsg(db);
    sqlite3_finalize(stmt);
    if (!out.error.empty()) return out;
    if (!current.columns.empty()) {
      out.columns = std::move(current.columns);
      out.rows = std::move(current.rows);
    }
  }
  return out;
}

// The first cell of sql's result, kNull when there is no row; failures name
// the statement.
std::string Scalar(sqlite3* db, std::string_view sql) {
  Rows r = RunScript(db, sql);
  EXPECT_EQ("", r.error) << sql;
  return r.rows.empty() ? kNull : r.rows[0][0];
}

std::string_view Script(std::string_view name) {
  for (const auto& [file, text] : EmbeddedSqlFiles()) {
    if (file == name) return text;
  }
  ADD_FAILURE() << "not compiled in: " << name;
  return {};
}

// A demo database made afresh for each test.
class DemoDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = TempPath();
    Status st = CreateDatabase(path_, true);
    ASSERT_TRUE(st.ok()) << st.ToString();
    db_ = Open(path_);
  }
  void TearDown() override {
    db_.reset();
    for (const char* side : {"", "-wal", "-shm"}) fs::remove(path_ + side);
  }
  sqlite3* db() { return db_.get(); }

  std::string path_;
  Db db_{nullptr, &sqlite3_close};
};

// ---------------------------------------------------------------------------
// Creating the file

TEST(CreateDatabaseTest, EmptyDatabaseHasEveryTableAndViewAndOneCounterRow) {
  const std::string path = TempPath();
  Status st = CreateDatabase(path, false);
  ASSERT_TRUE(st.ok()) << st.ToString();
  Db db = Open(path);

  struct Case {
    const char* name;
    const char* type;
  };
  const Case cases[] = {
      {"DOCTO_TRANSPORTE", "table"},
      {"HIST_PROGR_ESCOAM", "table"},
      {"PROGRAM_CARGA", "table"},
      {"PONTO_OPERACAO", "table"},
      {"CONTR_NUM_DOCTOS", "table"},
      {"PEDIDO", "table"},
      {"PEDIDO_ITEM", "table"},
      {"DESLOC_DOCTO_TRANSP", "table"},
      {"DESLOCAMENTO", "table"},
      {"PESSOA", "table"},
      {"ENDERECO_PESSOA", "table"},
      {"MUNICIPIO", "table"},
      {"CLIENTE", "table"},
      {"COLABORADOR", "table"},
      {"FORNECEDOR", "table"},
      {"USUARIO", "table"},
      {"VEICULO_FORNECEDOR", "table"},
      {"TAB_TIPO_VEICULO", "table"},
      {"LOG_MSG", "table"},
      {"LOG_SISTEMA", "table"},
      {"LOG_GERADOR", "table"},
      {"INFRA_IDS", "table"},
      {"VENDERECO_PESSOA", "view"},
      {"VCOLABORADOR", "view"},
      {"VFORNECEDOR", "view"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.type, Scalar(db.get(), "SELECT type FROM sqlite_master WHERE name = '" +
                                           std::string(c.name) + "'"))
        << c.name;
  }
  EXPECT_EQ("1", Scalar(db.get(), "SELECT COUNT(*) FROM INFRA_IDS"));
  EXPECT_EQ("0|0|0|0", Scalar(db.get(),
                              "SELECT DOCTO_TRANSPORTE_ID || '|' || HIST_PROGR_ESCOAM_ID || '|' || "
                              "LOG_GERADOR_ID || '|' || LOG_SISTEMA_ID FROM INFRA_IDS"));
  EXPECT_EQ("0", Scalar(db.get(), "SELECT COUNT(*) FROM DOCTO_TRANSPORTE"));
  EXPECT_EQ("wal", Scalar(db.get(), "PRAGMA journal_mode"));
}

TEST(CreateDatabaseTest, RefusesAnExistingPathAndLeavesItAlone) {
  const std::string path = TempPath();
  ASSERT_TRUE(CreateDatabase(path, true).ok());

  Status again = CreateDatabase(path, false);
  EXPECT_FALSE(again.ok());
  EXPECT_EQ("Database file already exists: " + path, again.description());
  Db db = Open(path);
  EXPECT_EQ("16", Scalar(db.get(), "SELECT COUNT(*) FROM DOCTO_TRANSPORTE"));
  db.reset();

  // Not a database at all: refused just the same, its content untouched.
  const std::string other = TempPath("_text");
  { std::ofstream(other) << "not a database"; }
  Status st = CreateDatabase(other, true);
  EXPECT_EQ("Database file already exists: " + other, st.description());
  std::stringstream content;
  content << std::ifstream(other).rdbuf();
  EXPECT_EQ("not a database", content.str());
}

TEST(CreateDatabaseTest, UnwritablePathFailsWithoutLeavingAFile) {
  const std::string path = TempPath() + ".missing/ocg.db";
  Status st = CreateDatabase(path, true);
  EXPECT_FALSE(st.ok());
  EXPECT_FALSE(fs::exists(path));
}

// ---------------------------------------------------------------------------
// Schema

// The component's statements, as the dialect bridge hands them to SQLite, run
// against the demo data. They name columns unqualified in joins and read views,
// so a missing, renamed or ambiguous column shows up here.
TEST_F(DemoDatabaseTest, StatementsOfTheComponentRunOnTheSchema) {
  struct Case {
    const char* name;
    const char* sql;
    const char* first_cell;  // of the first row; kNull when no row is expected
  };
  const Case cases[] = {
      {"displacement of an order (DOCTO_TRANSPORTE_ID unqualified)",
       " Select Desloc_Docto_Transp.Deslocamento_ID, Deslocamento.Tab_Tipo_Deslocamento_ID  "
       " From Desloc_Docto_Transp, Deslocamento "
       " Where Desloc_Docto_Transp.Deslocamento_ID = Deslocamento.Deslocamento_ID "
       " And DOCTO_TRANSPORTE_ID  = 1 ",
       "1"},
      {"own-fleet vehicle (VEICULO_FORNECEDOR_ID unqualified)",
       " SELECT  1 PROPRIETARIO_ID ,  'TARVOSA TRANSPORTES E SERVIÇOS' PROPRIETARIO , "
       " TAB_TIPO_VEICULO.CAPACIDADE_KG , VEICULO_FORNECEDOR_ID,  0 RETORNO  FROM "
       " VEICULO_FORNECEDOR VEIC_FORN LEFT JOIN TAB_TIPO_VEICULO ON "
       " VEIC_FORN.TAB_TIPO_VEICULO_ID = TAB_TIPO_VEICULO.TAB_TIPO_VEICULO_ID "
       " WHERE VEIC_FORN.VEICULO_FORNECEDOR_ID  = 1 ",
       "1"},
      {"collaborator's vehicle through VCOLABORADOR",
       " SELECT VEIC_FORN.COLABORADOR_ID PROPRIETARIO_ID , COLAB.NOME_FANTASIA PROPRIETARIO "
       " FROM VEICULO_FORNECEDOR VEIC_FORN , VCOLABORADOR COLAB "
       " WHERE VEIC_FORN.COLABORADOR_ID = COLAB.COLABORADOR_ID AND "
       " VEIC_FORN.TAB_STATUS_ID = 1 AND COLAB.TAB_STATUS_ID = 1 AND "
       " VEIC_FORN.VEICULO_FORNECEDOR_ID  = 2 ",
       "301"},
      {"inactive collaborator's vehicle is not found",
       " SELECT VEIC_FORN.COLABORADOR_ID FROM VEICULO_FORNECEDOR VEIC_FORN , VCOLABORADOR COLAB "
       " WHERE VEIC_FORN.COLABORADOR_ID = COLAB.COLABORADOR_ID AND COLAB.TAB_STATUS_ID = 1 AND "
       " VEIC_FORN.VEICULO_FORNECEDOR_ID  = 5 ",
       kNull},
      {"carrier's vehicle through VFORNECEDOR",
       " SELECT FORN.NOME_FANTASIA PROPRIETARIO FROM VEICULO_FORNECEDOR VEIC_FORN , "
       " VFORNECEDOR FORN WHERE VEIC_FORN.FORNECEDOR_ID = FORN.FORNECEDOR_ID AND "
       " FORN.TAB_STATUS_ID = 1 AND VEIC_FORN.VEICULO_FORNECEDOR_ID = 3 ",
       "RODOVIX"},
      {"active trailers of tractor 3",
       " SELECT COUNT(*) From Veiculo_Fornecedor  Where Tab_Status_ID = 1  And Cavalo_ID  = 3  ",
       "1"},
      {"person by CNPJ prefers the type-2 address",
       " SELECT  VEND_PES.ENDERECO_PESSOA_ID , VEND_PES.INDICATIVO_PF_PJ INDIC_PJ_PF "
       " FROM  VENDERECO_PESSOA VEND_PES  WHERE  VEND_PES.PJ_CGC    = '56.789.012/0001-34' AND "
       " VEND_PES.TAB_STATUS_ID_PES = 1 AND  VEND_PES.TAB_STATUS_ID_END = 1 "
       " And VEnd_Pes.Tab_Tipo_Endereco_ID in ( 2,4 )  Order By VEnd_Pes.Tab_Tipo_Endereco_ID ",
       "2012"},
      {"cancelled address is skipped",
       " SELECT VEND_PES.ENDERECO_PESSOA_ID FROM VENDERECO_PESSOA VEND_PES "
       " WHERE VEND_PES.PESSOA_ID   = 204 AND VEND_PES.TAB_STATUS_ID_PES = 1 AND "
       " VEND_PES.TAB_STATUS_ID_END = 1  And VEnd_Pes.Tab_Tipo_Endereco_ID in ( 2,4 ) "
       " Order By VEnd_Pes.Tab_Tipo_Endereco_ID ",
       "2042"},
      {"e-mail of a supplier's user",
       " SELECT  PESSOA.EMAIL  FROM PESSOA, FORNECEDOR   WHERE FORNECEDOR.PESSOA_ID = "
       "PESSOA.PESSOA_ID  AND FORNECEDOR.FORNECEDOR_ID = 401",
       "trafego@rodovix.com.br"},
      {"programme status reading statement",
       " SELECT  PROGRAM_CARGA.TAB_STATUS_ID , CLIENTE.NOME CLIENTE_NOME , "
       " DEST_END.NOME DESTINATARIO_NOME , DEST_END.UF , "
       " TO_CHAR(PROGRAM_CARGA.DATA_ATUAL, 'DD/MM/YYYY') DATA_ATUAL, "
       " PROGRAM_CARGA.DATA_DISPON HORA_DISPONIVEL , PROGRAM_CARGA.DATA_ENCERRAMENTO , "
       " PONTO_OPERACAO.limite_progr_carga,  ORIGEM.MUNICIPIO MUNICIPIO_ORIGEM "
       " FROM  PROGRAM_CARGA ,  PESSOA CLIENTE ,  VENDERECO_PESSOA DEST_END,  PONTO_OPERACAO, "
       " MUNICIPIO ORIGEM  WHERE  PROGRAM_CARGA.PROGRAM_CARGA_ID  = 41 AND "
       " PROGRAM_CARGA.CLIENTE_ID = CLIENTE.PESSOA_ID AND "
       " PROGRAM_CARGA.END_DESTINATARIO_ID = DEST_END.ENDERECO_PESSOA_ID AND "
       " PROGRAM_CARGA.ORIGEM_ID = ORIGEM.MUNICIPIO_iD AND "
       " PROGRAM_CARGA.TAB_STATUS_ID IN ( 501 , 502, 503, 504, 505 ) AND "
       " PROGRAM_CARGA.PONTO_OPERACAO_ID = PONTO_OPERACAO.PONTO_OPERACAO_ID ",
       "501"},
      {"programme offer with the order's own links",
       " SELECT  PROGRAM_CARGA.PROGRAM_CARGA_ID , PROGRAM_CARGA.NUM_PROGRAMACAO , "
       " PROGRAM_CARGA.TON_P_ESCOAR , TO_CHAR(PROGRAM_CARGA.DATA_DISPON, 'DD/MM/YYYY') "
       "DATA_DISPON, "
       " PROGRAM_CARGA.TON_PROGRAMADA , PROGRAM_CARGA.TON_CARREGADA , "
       " PONTO_OPERACAO.LIMITE_PROGR_CARGA  FROM  PROGRAM_CARGA , PONTO_OPERACAO  WHERE "
       " PROGRAM_CARGA.PONTO_OPERACAO_ID = PONTO_OPERACAO.PONTO_OPERACAO_ID AND "
       " PROGRAM_CARGA.CLIENTE_ID  = 101 AND  PROGRAM_CARGA.DESTINATARIO_ID  = 201 AND "
       " PROGRAM_CARGA.PONTO_OPERACAO_ID    = 1  AND NVL(PROGRAM_CARGA.TON_P_ESCOAR,0) > 0 "
       " AND NVL(PROGRAM_CARGA.TAB_STATUS_ID,0) <> 2  AND NVL(PROGRAM_CARGA.TAB_STATUS_ID,0) <> "
       "502 "
       " Union SELECT PROGRAM_CARGA.PROGRAM_CARGA_ID , PROGRAM_CARGA.NUM_PROGRAMACAO , "
       " PROGRAM_CARGA.TON_P_ESCOAR ,  TO_CHAR(PROGRAM_CARGA.DATA_DISPON, 'DD/MM/YYYY') "
       "DATA_DISPON , "
       " PROGRAM_CARGA.TON_PROGRAMADA , PROGRAM_CARGA.TON_CARREGADA , "
       " PONTO_OPERACAO.LIMITE_PROGR_CARGA FROM PROGRAM_CARGA , PONTO_OPERACAO , Hist_Progr_Escoam "
       " Where PROGRAM_CARGA.PONTO_OPERACAO_ID = PONTO_OPERACAO.PONTO_OPERACAO_ID "
       " AND PROGRAM_CARGA.PROGRAM_CARGA_ID = Hist_Progr_Escoam.PROGRAM_CARGA_ID "
       " AND Hist_Progr_Escoam.Docto_Transporte_ID  = 2   ORDER BY PROGRAM_CARGA_ID ",
       "11"},
      {"programme by number, compared as quoted text",
       " SELECT PRO_CAR.CLIENTE_ID,  CLI.NOME_FANTASIA AS CLIENTE,  PRO_CAR.END_DESTINATARIO_ID, "
       " VENDERECO_PESSOA.NOME ,  VENDERECO_PESSOA.SOBRENOME ,  VENDERECO_PESSOA.CEP , "
       " VENDERECO_PESSOA.MUNICIPIO_ID ,  VENDERECO_PESSOA.PESSOA_ID, "
       " VENDERECO_PESSOA.INDICATIVO_PF_PJ  FROM PROGRAM_CARGA PRO_CAR,  PESSOA CLI, "
       " VENDERECO_PESSOA  WHERE PRO_CAR.CLIENTE_ID = CLI.PESSOA_ID "
       " AND PRO_CAR.END_DESTINATARIO_ID = VENDERECO_PESSOA.ENDERECO_PESSOA_ID "
       " AND PRO_CAR.NUM_PROGRAMACAO = '2026031'",
       "103"},
      {"programme flag of an active customer",
       " SELECT  FLAG_PROGRAM_CARGA  FROM  CLIENTE  WHERE  PESSOA_ID   = 103 AND  TAB_STATUS_ID = "
       "1 ",
       "N"},
      {"customer group and route of a stored order",
       " SELECT CLIENTE.GRUPO_CLIENTE_ID,  DOCTO_TRANSPORTE.ROTA_ID FROM CLIENTE , "
       "DOCTO_TRANSPORTE "
       " WHERE CLIENTE.PESSOA_ID = DOCTO_TRANSPORTE.CLIENTE_ID "
       " AND DOCTO_TRANSPORTE.DOCTO_TRANSPORTE_ID  = 2 ",
       "32"},
      {"next automatic number",
       " SELECT E_MAIL_AVISO, NUM_INICIAL, NUM_FINAL, NUM_ATUAL, QTDE_ATUAL, QTDE_SEGURANCA "
       " FROM CONTR_NUM_DOCTOS  WHERE TAB_STATUS_ID = 1  AND PONTO_OPERACAO_ID =   1 "
       " AND TAB_TIPO_DOCTO_TRANSP_ID =   9 AND (NUM_ATUAL IS NULL OR NUM_FINAL <> NUM_ATUAL) "
       " ORDER BY NUM_INICIAL ",
       "numeracao@tarvosa.com.br"},
      {"counter read", "SELECT  DOCTO_TRANSPORTE_ID FROM infra_ids ", "125"},
      {"emulated procedure result row",
       " SELECT 0 RETORNO , '' MSG_RET , 126 AS DOCTO_TRANSPORTE_ID  FROM INFRA_IDS ", "0"},
  };
  for (const Case& c : cases) {
    Rows r = RunScript(db(), c.sql);
    ASSERT_EQ("", r.error) << c.name;
    EXPECT_EQ(c.first_cell, r.rows.empty() ? kNull : r.rows[0][0]) << c.name;
  }
}

// The writes of the component, in both dialects' date forms, then read back.
TEST_F(DemoDatabaseTest, WritesOfTheComponentStoreCanonicalDates) {
  struct Case {
    const char* name;
    const char* write;
    const char* read;
    const char* want;
  };
  const Case cases[] = {
      {"message log, Oracle date",
       "INSERT INTO LOG_MSG ( TAB_TIPO_MSG_ID, USUARIO_INTERNET_ID ,  DATA_LOG    ,  MSG01 , "
       " MSG02 , MSG03 , MSG04 , MSG05 )  VALUES ( 1 , 4 ,  TO_DATE('2026/12/06 10:31:05' , "
       "'YYYY/MM/DD hh24:mi:ss') , 'x' , null , null , null , null ) ",
       "SELECT DATA_LOG FROM LOG_MSG WHERE MSG01 = 'x'", "2026-12-06 10:31:05"},
      {"message log, other kinds' fixed date",
       "INSERT INTO LOG_MSG ( TAB_TIPO_MSG_ID, USUARIO_INTERNET_ID , DATA_LOG , MSG01 ) "
       " VALUES ( 1 , null ,  '2002/01/01' , 'y' ) ",
       "SELECT DATA_LOG FROM LOG_MSG WHERE MSG01 = 'y'", "2002-01-01 00:00:00"},
      {"system log, fixed date",
       " Insert  Into LOG_SISTEMA (  LOG_SISTEMA_ID,  TABELA_SISTEMA_ID,  TAB_TIPO_ACAO_ID, "
       " USUARIO_ID,  registro_id,  data_log )  Values ( 3 , 490 , 1 , 4 , null ,  '01/01/2000' ) ",
       "SELECT data_log FROM LOG_SISTEMA WHERE LOG_SISTEMA_ID = 3", "2000-01-01 00:00:00"},
      {"job start date",
       " INSERT  INTO LOG_GERADOR  ( LOG_GERADOR_ID ,  USUARIO_INTERNET_ID ,  FUNCAO_ID , "
       " TITULO_EMAIL ,  FLAG_ENVIA_EMAIL ,  TEXTO_EMAIL ,  ENDERECO_EMAIL ,  Tab_Status_JOB_ID, "
       " Data_Inicio,  Email_Remetente,  Endereco_anexo  )  VALUES  (    2 ,   4 ,   2305 , "
       " null ,   'N' ,  null ,  null ,   1 ,   to_date('2026/12/24 18:00:00', "
       "'yyyy/mm/dd hh24:mi:ss') ,  null ,  null  ) ",
       "SELECT Data_Inicio FROM LOG_GERADOR WHERE LOG_GERADOR_ID = 2", "2026-12-24 18:00:00"},
      {"programme closing date, SQL Server form",
       " UPDATE PROGRAM_CARGA SET  TAB_STATUS_ID = 502 ,  Data_Encerramento = '2026/12/06 09:05' "
       "  WHERE PROGRAM_CARGA_ID  = 11",
       "SELECT DATA_ENCERRAMENTO FROM PROGRAM_CARGA WHERE PROGRAM_CARGA_ID = 11",
       "2026-12-06 09:05:00"},
      {"programme reopened: closing date null",
       " UPDATE PROGRAM_CARGA SET  TAB_STATUS_ID =   501 ,  Data_Encerramento =  null   "
       " WHERE PROGRAM_CARGA_ID  = 15",
       "SELECT DATA_ENCERRAMENTO FROM PROGRAM_CARGA WHERE PROGRAM_CARGA_ID = 15", kNull},
      {"order insert with a planned date",
       "  Insert    Into DOCTO_TRANSPORTE  ( DOCTO_TRANSPORTE_ID, TAB_STATUS_ID, "
       "TAB_TIPO_DOCTO_TRANSP_ID, CLIENTE_ID, PONTO_OPERACAO_ID, DATA_EMISSAO, "
       "END_DESTINATARIO_ID, DESTINO_ID, DATA_PREV_CARREGAMENTO, VEICULO_FORNECEDOR_ID, "
       "COLABORADOR_ID, FORNECEDOR_ID, LOCAL_CARREG, PESO_PREVISTO, TXT_EMBALAGEM, OBSERV1, "
       "NUM_DOCTO_TRANSPORTE, FLAG_ADEME, TAB_TIPO_RESPONSAVEL_ID, TAB_TIPO_EMERGENCIA_ID, "
       "GERADOR_TRANSPORTE_ID, PEDIDO_ID, End_Remetente_ID, Empresa_ID, veiculo_carreta_id )  "
       "Values  (   126,  1  ,  9,  101,  1, ocg_sysdate() ,  2012,  3, "
       "to_date('2026/12/15 07:30:00', 'yyyy/mm/dd hh24:mi:ss'),  1, null, null, 'PÁTIO', "
       " 30, null,null,  160, 'N', null, null, null, null,  1011,  1,  11 )",
       "SELECT DATA_PREV_CARREGAMENTO FROM DOCTO_TRANSPORTE WHERE DOCTO_TRANSPORTE_ID = 126",
       "2026-12-15 07:30:00"},
      {"order printed, day-first literal",
       "UPDATE DOCTO_TRANSPORTE SET DATA_IMPRESSAO = '7/12/2026 8:05' WHERE DOCTO_TRANSPORTE_ID = "
       "4",
       "SELECT DATA_IMPRESSAO FROM DOCTO_TRANSPORTE WHERE DOCTO_TRANSPORTE_ID = 4",
       "2026-12-07 08:05:00"},
      {"a text that is no date is kept",
       "UPDATE PEDIDO SET DATA_PEDIDO = 'sem data' WHERE PEDIDO_ID = 1",
       "SELECT DATA_PEDIDO FROM PEDIDO WHERE PEDIDO_ID = 1", "sem data"},
  };
  for (const Case& c : cases) {
    Rows w = RunScript(db(), c.write);
    ASSERT_EQ("", w.error) << c.name;
    EXPECT_EQ(c.want, Scalar(db(), c.read)) << c.name;
  }
  // The issue date came from the clock, in the stored form too.
  EXPECT_EQ("1", Scalar(db(), std::string("SELECT DATA_EMISSAO GLOB '") + kCanonicalDate +
                                  "' FROM DOCTO_TRANSPORTE WHERE DOCTO_TRANSPORTE_ID = 126"));
}

TEST_F(DemoDatabaseTest, InfraIdsKeepsExactlyOneRow) {
  EXPECT_EQ("1", Scalar(db(), "SELECT COUNT(*) FROM INFRA_IDS"));
  Rows second = RunScript(db(), "INSERT INTO INFRA_IDS DEFAULT VALUES");
  EXPECT_NE(std::string::npos, second.error.find("exactly one row")) << second.error;
  EXPECT_EQ("1", Scalar(db(), "SELECT COUNT(*) FROM INFRA_IDS"));

  // Only a second row is refused: an emptied table (a test of the missing-row
  // path) can be given its row back.
  ASSERT_EQ("", RunScript(db(), "DELETE FROM INFRA_IDS").error);
  ASSERT_EQ("", RunScript(db(), "INSERT INTO INFRA_IDS DEFAULT VALUES").error);
  EXPECT_EQ("1", Scalar(db(), "SELECT COUNT(*) FROM INFRA_IDS"));

  // One counter column per counted key, nothing else.
  Rows cols = RunScript(db(), "SELECT name FROM pragma_table_info('INFRA_IDS') ORDER BY cid");
  std::vector<std::string> names;
  for (const auto& row : cols.rows) names.push_back(row[0]);
  EXPECT_EQ((std::vector<std::string>{"DOCTO_TRANSPORTE_ID", "HIST_PROGR_ESCOAM_ID",
                                      "LOG_GERADOR_ID", "LOG_SISTEMA_ID"}),
            names);
}

// ---------------------------------------------------------------------------
// Demo data

TEST_F(DemoDatabaseTest, EveryDateColumnIsStoredCanonical) {
  Rows date_columns = RunScript(db(),
                                "SELECT m.name, c.name FROM sqlite_master AS m, "
                                "pragma_table_info(m.name) AS c "
                                "WHERE m.type = 'table' AND c.type = 'DATE'");
  ASSERT_EQ("", date_columns.error);
  // DOCTO_TRANSPORTE 3, PROGRAM_CARGA 5, PEDIDO, DESLOCAMENTO, LOG_MSG,
  // LOG_SISTEMA, LOG_GERADOR one each.
  EXPECT_EQ(13u, date_columns.rows.size());
  for (const auto& row : date_columns.rows) {
    const std::string where = row[0] + "." + row[1];
    const std::string from = " FROM " + row[0] + " WHERE " + row[1] + " IS NOT NULL";
    EXPECT_EQ("0", Scalar(db(), "SELECT COUNT(*)" + from + " AND NOT (" + row[1] + " GLOB '" +
                                    kCanonicalDate + "' AND typeof(" + row[1] + ") = 'text')"))
        << where;
    // The log starts empty; every other date column is exercised by the demo.
    if (row[0] != "LOG_MSG") {
      EXPECT_NE("0", Scalar(db(), "SELECT COUNT(*)" + from)) << where;
    }
  }
}

TEST_F(DemoDatabaseTest, CountersCoverTheKeysInUse) {
  struct Case {
    const char* counter;
    const char* table;
  };
  const Case cases[] = {{"DOCTO_TRANSPORTE_ID", "DOCTO_TRANSPORTE"},
                        {"HIST_PROGR_ESCOAM_ID", "HIST_PROGR_ESCOAM"},
                        {"LOG_GERADOR_ID", "LOG_GERADOR"},
                        {"LOG_SISTEMA_ID", "LOG_SISTEMA"}};
  for (const Case& c : cases) {
    const std::string counter(c.counter);
    EXPECT_EQ("1", Scalar(db(), "SELECT (SELECT " + counter + " FROM INFRA_IDS) >= (SELECT MAX(" +
                                    counter + ") FROM " + c.table + ")"))
        << c.counter;
    EXPECT_NE("0", Scalar(db(), "SELECT COUNT(*) FROM " + std::string(c.table))) << c.table;
  }
}

TEST_F(DemoDatabaseTest, ReferencesBetweenDemoRowsResolve) {
  struct Case {
    const char* name;
    const char* orphans;  // counts rows whose neighbour is missing
  };
  const Case cases[] = {
      {"order customer",
       "SELECT COUNT(*) FROM DOCTO_TRANSPORTE WHERE CLIENTE_ID NOT IN (SELECT PESSOA_ID FROM "
       "CLIENTE)"},
      {"order destination address",
       "SELECT COUNT(*) FROM DOCTO_TRANSPORTE WHERE END_DESTINATARIO_ID NOT IN "
       "(SELECT ENDERECO_PESSOA_ID FROM ENDERECO_PESSOA)"},
      {"order destination town matches its address",
       "SELECT COUNT(*) FROM DOCTO_TRANSPORTE D JOIN ENDERECO_PESSOA E ON "
       "E.ENDERECO_PESSOA_ID = D.END_DESTINATARIO_ID WHERE E.MUNICIPIO_ID <> D.DESTINO_ID"},
      {"order vehicles",
       "SELECT COUNT(*) FROM DOCTO_TRANSPORTE WHERE VEICULO_FORNECEDOR_ID NOT IN (SELECT "
       "VEICULO_FORNECEDOR_ID FROM VEICULO_FORNECEDOR) OR VEICULO_CARRETA_ID NOT IN (SELECT "
       "VEICULO_FORNECEDOR_ID FROM VEICULO_FORNECEDOR WHERE CAVALO_ID IS NOT NULL)"},
      {"order collaborator and carrier are persons",
       "SELECT COUNT(*) FROM DOCTO_TRANSPORTE WHERE COLABORADOR_ID NOT IN (SELECT COLABORADOR_ID "
       "FROM VCOLABORADOR) OR FORNECEDOR_ID NOT IN (SELECT FORNECEDOR_ID FROM VFORNECEDOR)"},
      {"order sales order",
       "SELECT COUNT(*) FROM DOCTO_TRANSPORTE WHERE PEDIDO_ID NOT IN (SELECT PEDIDO_ID FROM "
       "PEDIDO)"},
      {"links",
       "SELECT COUNT(*) FROM HIST_PROGR_ESCOAM WHERE DOCTO_TRANSPORTE_ID NOT IN (SELECT "
       "DOCTO_TRANSPORTE_ID FROM DOCTO_TRANSPORTE WHERE TAB_STATUS_ID = 1) OR PROGRAM_CARGA_ID "
       "NOT IN (SELECT PROGRAM_CARGA_ID FROM PROGRAM_CARGA)"},
      {"trailer tractors",
       "SELECT COUNT(*) FROM VEICULO_FORNECEDOR WHERE CAVALO_ID NOT IN (SELECT "
       "VEICULO_FORNECEDOR_ID FROM VEICULO_FORNECEDOR WHERE CAVALO_ID IS NULL)"},
      {"programme destination address belongs to its destination",
       "SELECT COUNT(*) FROM PROGRAM_CARGA P LEFT JOIN ENDERECO_PESSOA E ON "
       "E.ENDERECO_PESSOA_ID = P.END_DESTINATARIO_ID WHERE E.PESSOA_ID IS NOT P.DESTINATARIO_ID"},
      {"programme origin and point",
       "SELECT COUNT(*) FROM PROGRAM_CARGA WHERE ORIGEM_ID NOT IN (SELECT MUNICIPIO_ID FROM "
       "MUNICIPIO) OR PONTO_OPERACAO_ID NOT IN (SELECT PONTO_OPERACAO_ID FROM PONTO_OPERACAO)"},
      {"user links",
       "SELECT COUNT(*) FROM USUARIO WHERE COLABORADOR_ID NOT IN (SELECT COLABORADOR_ID FROM "
       "COLABORADOR) OR FORNECEDOR_ID NOT IN (SELECT FORNECEDOR_ID FROM FORNECEDOR) OR "
       "PESSOA_ID NOT IN (SELECT PESSOA_ID FROM PESSOA)"},
      {"displacement links",
       "SELECT COUNT(*) FROM DESLOC_DOCTO_TRANSP WHERE DESLOCAMENTO_ID NOT IN (SELECT "
       "DESLOCAMENTO_ID FROM DESLOCAMENTO) OR DOCTO_TRANSPORTE_ID NOT IN (SELECT "
       "DOCTO_TRANSPORTE_ID FROM DOCTO_TRANSPORTE)"},
  };
  for (const Case& c : cases) EXPECT_EQ("0", Scalar(db(), c.orphans)) << c.name;
}

// Loaded plus still-to-ship is what was programmed, and the loaded tonnage
// covers what the linked orders took.
TEST_F(DemoDatabaseTest, ProgrammeTonnagesAddUp) {
  EXPECT_EQ("0",
            Scalar(db(),
                   "SELECT COUNT(*) FROM PROGRAM_CARGA WHERE "
                   "COALESCE(TON_CARREGADA, 0) + COALESCE(TON_P_ESCOAR, 0) <> TON_PROGRAMADA"));
  EXPECT_EQ("0", Scalar(db(),
                        "SELECT COUNT(*) FROM PROGRAM_CARGA P WHERE COALESCE(P.TON_CARREGADA, 0) < "
                        "(SELECT COALESCE(SUM(H.ULTIMA_TON_PROGR), 0) FROM HIST_PROGR_ESCOAM H "
                        "WHERE H.PROGRAM_CARGA_ID = P.PROGRAM_CARGA_ID)"));
}

// Each stored programme status is the one the status rule gives at the moment
// the data set describes (2026-12-06), so recomputing it changes nothing.
TEST_F(DemoDatabaseTest, ProgrammeStatusesFollowTheRule) {
  Rows r = RunScript(db(),
                     "SELECT P.PROGRAM_CARGA_ID, P.TAB_STATUS_ID, "
                     "  CASE WHEN PO.LIMITE_PROGR_CARGA >= COALESCE(P.TON_P_ESCOAR, 0) THEN 502 "
                     "       WHEN :now > COALESCE(P.DATA_INI_PRAZO_CRIT, '') "
                     "            AND :now < COALESCE(P.DATA_MAX_ESCOAM, '') THEN 504 "
                     "       WHEN :now > COALESCE(P.DATA_MAX_ESCOAM, '') THEN 505 "
                     "       WHEN :now < COALESCE(P.DATA_DISPON, '') THEN 503 "
                     "       ELSE 501 END "
                     "  FROM PROGRAM_CARGA P JOIN PONTO_OPERACAO PO "
                     "    ON PO.PONTO_OPERACAO_ID = P.PONTO_OPERACAO_ID "
                     " WHERE P.TAB_STATUS_ID BETWEEN 501 AND 505",
                     {{"now", std::string("2026-12-06 12:00:00")}});
  ASSERT_EQ("", r.error);
  EXPECT_EQ(9u, r.rows.size());
  for (const auto& row : r.rows) EXPECT_EQ(row[2], row[1]) << "programme " << row[0];
  // Every status appears, plus a cancelled programme.
  EXPECT_EQ("501,502,503,504,505,2",
            Scalar(db(),
                   "SELECT group_concat(s) FROM (SELECT DISTINCT TAB_STATUS_ID s FROM "
                   "PROGRAM_CARGA ORDER BY s = 2, s)"));
}

// ---------------------------------------------------------------------------
// Procedure scripts

TEST(ProcedureScriptTest, HeadersNameTheParametersTheScriptsUse) {
  struct Case {
    const char* file;
    const char* params;  // the header's list, in call order
  };
  const Case cases[] = {
      {"sp_zor_con_ocg2.sql", "docto_id"},
      {"sp_pmv_ver_exist_docto_imp.sql", "num_ini, num_fim, tipo_docto, ponto"},
      {"sp_032_zor_dup_docto_transp2.sql", "num_docto, docto_id, tipo_docto, ponto"},
  };
  for (const Case& c : cases) {
    const std::string text(Script(c.file));
    EXPECT_NE(std::string::npos, text.find("\n-- params: " + std::string(c.params) + "\n"))
        << c.file;
    std::stringstream list(c.params);
    std::string param;
    while (std::getline(list, param, ',')) {
      param.erase(0, param.find_first_not_of(' '));
      EXPECT_NE(std::string::npos, text.find(":" + param)) << c.file << " uses " << param;
    }
  }
}

class ProcedureTest : public DemoDatabaseTest {
 protected:
  Rows Call(std::string_view file, const std::map<std::string, Arg>& args) {
    return RunScript(db(), Script(file), args);
  }
};

TEST_F(ProcedureTest, ConOcg2ReturnsTheOracleColumns) {
  Rows r = Call("sp_zor_con_ocg2.sql", {{"docto_id", int64_t{1}}});
  ASSERT_EQ("", r.error);
  const std::vector<std::string> want = {"CLIENTE_ID",
                                         "CLIENTE",
                                         "PONTO_OPERACAO_ID",
                                         "DATA_EMISSAO",
                                         "END_DESTINATARIO_ID",
                                         "INDICATIVO_PF_PJ",
                                         "PF_CPF",
                                         "PJ_CGC",
                                         "Destinatario",
                                         "ENDERECO",
                                         "MUNICIPIO",
                                         "ENDERECO_PESSOA_ID",
                                         "PESSOA_ID",
                                         "DESTINO_ID",
                                         "VEICULO_FORNECEDOR_ID",
                                         "PLACA",
                                         "DATA_PREV_CARREGAMENTO",
                                         "LOCAL_CARREG",
                                         "PESO_PREVISTO",
                                         "TXT_EMBALAGEM",
                                         "OBSERV1",
                                         "NUM_DOCTO_TRANSPORTE",
                                         "PEDIDO_ID",
                                         "NUM_PEDIDO_EXTERNO",
                                         "COLABORADOR_ID",
                                         "NOME_COLABORADOR",
                                         "FORNECEDOR_ID",
                                         "NOME_FORNECEDOR",
                                         "TAB_TIPO_DOCTO_TRANSP_ID",
                                         "FLAG_ADEME",
                                         "TAB_TIPO_RESPONSAVEL_ID",
                                         "TAB_TIPO_EMERGENCIA_ID",
                                         "Data_Impressao",
                                         "VEICULO_CARRETA_ID",
                                         "CVA"};
  EXPECT_EQ(want, r.columns);
}

TEST_F(ProcedureTest, ConOcg2ReadsEveryColumnOfAnOrder) {
  struct Case {
    const char* name;
    int64_t docto_id;
    const char* column;
    const char* want;
  };
  const Case cases[] = {
      {"customer trade name", 1, "CLIENTE", "SIDERÚRGICA CAPIXABA"},
      {"issue date as text", 1, "DATA_EMISSAO", "30/11/2026"},
      {"destination company", 1, "Destinatario", "METALÚRGICA HORIZONTE"},
      {"destination CNPJ", 1, "PJ_CGC", "56.789.012/0001-34"},
      {"destination town", 1, "MUNICIPIO", "BELO HORIZONTE"},
      {"destination person", 1, "PESSOA_ID", "201"},
      {"tractor plate", 1, "PLACA", "MTQ-2002"},
      {"planned date as text", 1, "DATA_PREV_CARREGAMENTO", "07/12/2026"},
      {"weight", 1, "PESO_PREVISTO", "30.0"},
      {"order number", 1, "NUM_DOCTO_TRANSPORTE", "158"},
      {"external order number", 1, "NUM_PEDIDO_EXTERNO", "4500012345"},
      {"collaborator person", 1, "COLABORADOR_ID", "301"},
      {"collaborator name", 1, "NOME_COLABORADOR", "JOSÉ FERREIRA SANTOS"},
      {"no carrier", 1, "NOME_FORNECEDOR", kNull},
      {"trailer", 1, "VEICULO_CARRETA_ID", "21"},
      {"not printed", 1, "Data_Impressao", kNull},
      {"carrier person", 2, "FORNECEDOR_ID", "401"},
      {"carrier name", 2, "NOME_FORNECEDOR", "TRANSPORTADORA RODOVIX LTDA"},
      {"dangerous-load flag", 2, "FLAG_ADEME", "S"},
      {"responsible type", 2, "TAB_TIPO_RESPONSAVEL_ID", "2"},
      {"emergency type", 2, "TAB_TIPO_EMERGENCIA_ID", "1"},
      {"individual destination CPF", 3, "PF_CPF", "123.456.789-09"},
      {"individual destination kind", 3, "INDICATIVO_PF_PJ", "PF"},
      {"bare order: no vehicle", 4, "PLACA", kNull},
      {"bare order: no sales order", 4, "NUM_PEDIDO_EXTERNO", kNull},
      {"bare order: no collaborator", 4, "NOME_COLABORADOR", kNull},
      {"bare order: no planned date", 4, "DATA_PREV_CARREGAMENTO", kNull},
      {"bare order: no number", 4, "NUM_DOCTO_TRANSPORTE", kNull},
      {"bare order: type 5", 4, "TAB_TIPO_DOCTO_TRANSP_ID", "5"},
      {"printed order: print date as text", 9, "Data_Impressao", "02/12/2026"},
      {"printed order: CVA", 9, "CVA", "778899"},
  };
  for (const Case& c : cases) {
    Rows r = Call("sp_zor_con_ocg2.sql", {{"docto_id", c.docto_id}});
    ASSERT_EQ("", r.error) << c.name;
    ASSERT_EQ(1u, r.rows.size()) << c.name;
    size_t i = 0;
    while (i < r.columns.size() && r.columns[i] != c.column) ++i;
    ASSERT_LT(i, r.columns.size()) << c.name;
    EXPECT_EQ(c.want, r.rows[0][i]) << c.name;
  }
}

TEST_F(ProcedureTest, ConOcg2FindsOnlyReadableOrders) {
  struct Case {
    const char* name;
    Arg docto_id;
    size_t rows;
  };
  const Case cases[] = {
      {"active order", int64_t{1}, 1},
      {"order in status 615", int64_t{6}, 1},
      {"order without any optional neighbour", int64_t{4}, 1},
      {"identifier as text", std::string("5"), 1},
      {"deleted order", int64_t{7}, 0},
      {"cancelled destination address", int64_t{8}, 0},
      {"inactive destination person", int64_t{10}, 0},
      {"no such order", int64_t{999}, 0},
      {"zero", int64_t{0}, 0},
      {"null", std::monostate{}, 0},
  };
  for (const Case& c : cases) {
    Rows r = Call("sp_zor_con_ocg2.sql", {{"docto_id", c.docto_id}});
    ASSERT_EQ("", r.error) << c.name;
    EXPECT_EQ(c.rows, r.rows.size()) << c.name;
  }
}

TEST_F(ProcedureTest, VerExistDoctoImpCountsNumbersInTheRange) {
  struct Case {
    const char* name;
    Arg num_ini, num_fim, tipo, ponto;
    const char* want;
  };
  const Case cases[] = {
      {"used range: statuses 1 and 2 count, 615 does not", int64_t{120}, int64_t{125}, int64_t{9},
       int64_t{1}, "5"},
      {"deleted number stays used", int64_t{121}, int64_t{121}, int64_t{9}, int64_t{1}, "1"},
      {"number in status 615 is free", int64_t{124}, int64_t{124}, int64_t{9}, int64_t{1}, "0"},
      {"both ends inclusive", int64_t{125}, int64_t{150}, int64_t{9}, int64_t{1}, "3"},
      {"gap between used numbers", int64_t{126}, int64_t{149}, int64_t{9}, int64_t{1}, "0"},
      {"proposed number already taken", int64_t{158}, int64_t{158}, int64_t{9}, int64_t{1}, "1"},
      {"other point", int64_t{120}, int64_t{125}, int64_t{9}, int64_t{2}, "0"},
      {"other type", int64_t{120}, int64_t{125}, int64_t{5}, int64_t{1}, "0"},
      {"numbers as doubles", 120.0, 125.0, 9.0, 1.0, "5"},
      {"null point matches no point", int64_t{120}, int64_t{125}, int64_t{9}, std::monostate{},
       "0"},
      {"null type matches untyped documents only", int64_t{120}, int64_t{125}, std::monostate{},
       int64_t{1}, "0"},
      {"null last number ends the range at 0", int64_t{1}, std::monostate{}, int64_t{9}, int64_t{1},
       "0"},
  };
  for (const Case& c : cases) {
    Rows r = Call("sp_pmv_ver_exist_docto_imp.sql", {{"num_ini", c.num_ini},
                                                     {"num_fim", c.num_fim},
                                                     {"tipo_docto", c.tipo},
                                                     {"ponto", c.ponto}});
    ASSERT_EQ("", r.error) << c.name;
    ASSERT_EQ((std::vector<std::string>{"QUANTIDADE"}), r.columns) << c.name;
    ASSERT_EQ(1u, r.rows.size()) << c.name;
    EXPECT_EQ(c.want, r.rows[0][0]) << c.name;
  }
}

TEST_F(ProcedureTest, DupDoctoTransp2CountsOtherActiveOrdersWithTheNumber) {
  struct Case {
    const char* name;
    Arg num, docto_id, tipo, ponto;
    const char* want;
  };
  const Case cases[] = {
      {"new order, number used twice", std::string("150"), std::monostate{}, int64_t{9}, int64_t{1},
       "2"},
      {"altered order does not count itself", std::string("150"), int64_t{2}, int64_t{9},
       int64_t{1}, "1"},
      {"own number is free for the order", std::string("158"), int64_t{1}, int64_t{9}, int64_t{1},
       "0"},
      {"number taken by another order", std::string("158"), int64_t{3}, int64_t{9}, int64_t{1},
       "1"},
      {"blanks around the number", std::string(" 150 "), std::monostate{}, int64_t{9}, int64_t{1},
       "2"},
      {"compared as a number, not as text", std::string("0150"), std::monostate{}, int64_t{9},
       int64_t{1}, "2"},
      {"deleted order does not count", std::string("153"), std::monostate{}, int64_t{9}, int64_t{1},
       "0"},
      {"status 615 does not count", std::string("152"), std::monostate{}, int64_t{9}, int64_t{1},
       "0"},
      {"other point", std::string("150"), std::monostate{}, int64_t{9}, int64_t{2}, "0"},
      {"other type", std::string("150"), std::monostate{}, int64_t{5}, int64_t{1}, "0"},
      {"free number", std::string("151"), std::monostate{}, int64_t{9}, int64_t{1}, "0"},
      {"zero identifier excludes nothing", std::string("150"), int64_t{0}, int64_t{9}, int64_t{1},
       "2"},
      {"empty number counts the unnumbered orders", std::string(""), std::monostate{}, int64_t{5},
       int64_t{1}, "1"},
  };
  for (const Case& c : cases) {
    Rows r = Call("sp_032_zor_dup_docto_transp2.sql", {{"num_docto", c.num},
                                                       {"docto_id", c.docto_id},
                                                       {"tipo_docto", c.tipo},
                                                       {"ponto", c.ponto}});
    ASSERT_EQ("", r.error) << c.name;
    ASSERT_EQ((std::vector<std::string>{"CONTADOR"}), r.columns) << c.name;
    ASSERT_EQ(1u, r.rows.size()) << c.name;
    EXPECT_EQ(c.want, r.rows[0][0]) << c.name;
  }
}

}  // namespace
}  // namespace ocg
