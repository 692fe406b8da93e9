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
#include "infra/driver.h"
#include "value/value.h"

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
  std::string path = (fs::path(::testing::TempDir()) / name).string();
  for (const char* side : {"", "-wal", "-shm"}) fs::remove(path + side);
  return path;
}

using Db = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;

Db Open(const std::string& path) {
  sqlite3* raw = nullptr;
  EXPECT_EQ(SQLITE_OK, sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr));
  Db db(raw, &sqlite3_close);
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
// (":name"; a name not given stays NULL), and returns the rows of the last
// statement that has columns: the way procedure scripts are run.
Rows RunScript(sqlite3* db, std::string_view sql, const std::map<std::string, Arg>& args = {}) {
  Rows out;
  const std::string text(sql);
  const char* tail = text.c_str();
  while (*tail != '\0' && out.error.empty()) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, tail, -1, &stmt, &tail) != SQLITE_OK) {
      out.error = sqlite3_errmsg(db);
      break;
    }
    if (stmt == nullptr) continue;  // only comments or blanks were left
    for (int i = 1; i <= sqlite3_bind_parameter_count(stmt); ++i) {
      const char* name = sqlite3_bind_parameter_name(stmt, i);
      auto it = name != nullptr ? args.find(name + 1) : args.end();
      if (it == args.end()) continue;
      if (const auto* n = std::get_if<int64_t>(&it->second)) sqlite3_bind_int64(stmt, i, *n);
      if (const auto* d = std::get_if<double>(&it->second)) sqlite3_bind_double(stmt, i, *d);
      if (const auto* s = std::get_if<std::string>(&it->second)) {
        sqlite3_bind_text(stmt, i, s->c_str(), -1, SQLITE_TRANSIENT);
      }
    }
    Rows current;
    const int n = sqlite3_column_count(stmt);
    for (int i = 0; i < n; ++i) current.columns.push_back(sqlite3_column_name(stmt, i));
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      std::vector<std::string> row;
      for (int i = 0; i < n; ++i) {
        const unsigned char* cell = sqlite3_column_text(stmt, i);
        row.push_back(cell != nullptr ? reinterpret_cast<const char*>(cell) : kNull);
      }
      current.rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) out.error = sqlite3_errmsg(db);
    sqlite3_finalize(stmt);
    if (n > 0) {
      out.columns = std::move(current.columns);
      out.rows = std::move(current.rows);
    }
  }
  return out;
}

// The first cell of sql's result, kNull when there is no row.
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
  Rows Call(std::string_view file, const std::map<std::string, Arg>& args) {
    return RunScript(db(), Script(file), args);
  }

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
  const char* tables[] = {"DOCTO_TRANSPORTE", "HIST_PROGR_ESCOAM",
                          "PROGRAM_CARGA",    "PONTO_OPERACAO",
                          "CONTR_NUM_DOCTOS", "PEDIDO",
                          "PEDIDO_ITEM",      "DESLOC_DOCTO_TRANSP",
                          "DESLOCAMENTO",     "PESSOA",
                          "ENDERECO_PESSOA",  "MUNICIPIO",
                          "CLIENTE",          "COLABORADOR",
                          "FORNECEDOR",       "USUARIO",
                          "TAB_TIPO_VEICULO", "LOG_MSG",
                          "LOG_SISTEMA",      "LOG_GERADOR",
                          "INFRA_IDS",        "VEICULO_FORNECEDOR"};
  for (const char* t : tables) {
    EXPECT_EQ("table", Scalar(db.get(), "SELECT type FROM sqlite_master WHERE name = '" +
                                            std::string(t) + "'"))
        << t;
  }
  for (const char* v : {"VENDERECO_PESSOA", "VCOLABORADOR", "VFORNECEDOR"}) {
    EXPECT_EQ("view", Scalar(db.get(), "SELECT type FROM sqlite_master WHERE name = '" +
                                           std::string(v) + "'"))
        << v;
  }
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
  EXPECT_EQ("16", Scalar(Open(path).get(), "SELECT COUNT(*) FROM DOCTO_TRANSPORTE"));

  // Not a database at all: refused just the same, its content untouched.
  const std::string other = TempPath("_text");
  std::ofstream(other) << "not a database";
  EXPECT_EQ("Database file already exists: " + other, CreateDatabase(other, true).description());
  std::stringstream content;
  content << std::ifstream(other).rdbuf();
  EXPECT_EQ("not a database", content.str());
}

TEST(CreateDatabaseTest, UnwritablePathFailsWithoutLeavingAFile) {
  const std::string path = TempPath() + ".missing/ocg.db";
  EXPECT_FALSE(CreateDatabase(path, true).ok());
  EXPECT_FALSE(fs::exists(path));
}

// ---------------------------------------------------------------------------
// Schema

// Statements of the component, as SQLite receives them, that name columns
// unqualified in joins or read the views: a missing, renamed or ambiguous
// column shows up here.
TEST_F(DemoDatabaseTest, StatementsOfTheComponentRunOnTheSchema) {
  struct Case {
    const char* name;
    const char* sql;
    const char* first_cell;  // kNull when no row is expected
  };
  const Case cases[] = {
      {"displacement of an order",
       "Select Desloc_Docto_Transp.Deslocamento_ID From Desloc_Docto_Transp, Deslocamento "
       "Where Desloc_Docto_Transp.Deslocamento_ID = Deslocamento.Deslocamento_ID "
       "And DOCTO_TRANSPORTE_ID = 1",
       "1"},
      {"own-fleet vehicle",
       "SELECT VEICULO_FORNECEDOR_ID, TAB_TIPO_VEICULO.CAPACIDADE_KG FROM VEICULO_FORNECEDOR "
       "VEIC_FORN LEFT JOIN TAB_TIPO_VEICULO ON VEIC_FORN.TAB_TIPO_VEICULO_ID = "
       "TAB_TIPO_VEICULO.TAB_TIPO_VEICULO_ID WHERE VEIC_FORN.VEICULO_FORNECEDOR_ID = 1",
       "1"},
      {"inactive collaborator's vehicle is not found",
       "SELECT COLAB.NOME_FANTASIA FROM VEICULO_FORNECEDOR VEIC_FORN, VCOLABORADOR COLAB "
       "WHERE VEIC_FORN.COLABORADOR_ID = COLAB.COLABORADOR_ID AND COLAB.TAB_STATUS_ID = 1 "
       "AND VEIC_FORN.VEICULO_FORNECEDOR_ID IN (2, 5)",
       "JOSÉ FERREIRA SANTOS"},
      {"person by CNPJ prefers the type-2 address",
       "SELECT VEND_PES.ENDERECO_PESSOA_ID FROM VENDERECO_PESSOA VEND_PES WHERE "
       "VEND_PES.PJ_CGC = '56.789.012/0001-34' AND VEND_PES.TAB_STATUS_ID_PES = 1 AND "
       "VEND_PES.TAB_STATUS_ID_END = 1 And VEnd_Pes.Tab_Tipo_Endereco_ID in (2,4) "
       "Order By VEnd_Pes.Tab_Tipo_Endereco_ID",
       "2012"},
      {"programme status reading joins",
       "SELECT PROGRAM_CARGA.TAB_STATUS_ID, DEST_END.UF, ORIGEM.MUNICIPIO MUNICIPIO_ORIGEM, "
       "PONTO_OPERACAO.limite_progr_carga FROM PROGRAM_CARGA, PESSOA CLIENTE, VENDERECO_PESSOA "
       "DEST_END, PONTO_OPERACAO, MUNICIPIO ORIGEM WHERE PROGRAM_CARGA.PROGRAM_CARGA_ID = 41 "
       "AND PROGRAM_CARGA.CLIENTE_ID = CLIENTE.PESSOA_ID AND PROGRAM_CARGA.END_DESTINATARIO_ID "
       "= DEST_END.ENDERECO_PESSOA_ID AND PROGRAM_CARGA.ORIGEM_ID = ORIGEM.MUNICIPIO_iD AND "
       "PROGRAM_CARGA.PONTO_OPERACAO_ID = PONTO_OPERACAO.PONTO_OPERACAO_ID",
       "501"},
      {"programme number compared with quoted text",
       "SELECT PRO_CAR.CLIENTE_ID FROM PROGRAM_CARGA PRO_CAR WHERE PRO_CAR.NUM_PROGRAMACAO = "
       "'2026031'",
       "103"},
  };
  for (const Case& c : cases) {
    Rows r = RunScript(db(), c.sql);
    ASSERT_EQ("", r.error) << c.name;
    EXPECT_EQ(c.first_cell, r.rows.empty() ? kNull : r.rows[0][0]) << c.name;
  }
}

// Dates written in either dialect's form, or by the clock, are stored alike;
// other values pass untouched.
TEST_F(DemoDatabaseTest, DateColumnsStoreOneForm) {
  struct Case {
    const char* name;
    const char* literal;  // an SQL expression
    const char* want;
  };
  const Case cases[] = {
      {"Oracle TO_DATE", "TO_DATE('2026/12/06 10:31:05', 'YYYY/MM/DD hh24:mi:ss')",
       "2026-12-06 10:31:05"},
      {"year first, minutes", "'2026/12/06 09:05'", "2026-12-06 09:05:00"},
      {"day first", "'06/12/2026'", "2026-12-06 00:00:00"},
      {"day first, short fields", "'7/1/2027 8:05'", "2027-01-07 08:05:00"},
      {"already stored form", "'2026-12-06 08:00:00'", "2026-12-06 08:00:00"},
      {"null", "NULL", kNull},
      {"not a date", "'sem data'", "sem data"},
  };
  for (const Case& c : cases) {
    const std::string lit(c.literal);
    ASSERT_EQ("", RunScript(db(),
                            "INSERT INTO LOG_MSG (TAB_TIPO_MSG_ID, DATA_LOG, MSG01) "
                            "VALUES (1, " +
                                lit + ", 'k')")
                      .error)
        << c.name;
    EXPECT_EQ(c.want, Scalar(db(),
                             "SELECT DATA_LOG FROM LOG_MSG WHERE LOG_MSG_ID = "
                             "(SELECT MAX(LOG_MSG_ID) FROM LOG_MSG)"))
        << "insert " << c.name;
    ASSERT_EQ("", RunScript(db(), "UPDATE PROGRAM_CARGA SET DATA_ENCERRAMENTO = " + lit +
                                      " WHERE PROGRAM_CARGA_ID = 11")
                      .error);
    EXPECT_EQ(
        c.want,
        Scalar(db(), "SELECT DATA_ENCERRAMENTO FROM PROGRAM_CARGA WHERE PROGRAM_CARGA_ID = 11"))
        << "update " << c.name;
  }
  ASSERT_EQ("", RunScript(db(),
                          "UPDATE DOCTO_TRANSPORTE SET DATA_EMISSAO = ocg_sysdate() "
                          "WHERE DOCTO_TRANSPORTE_ID = 4")
                    .error);
  EXPECT_EQ("1", Scalar(db(), std::string("SELECT DATA_EMISSAO GLOB '") + kCanonicalDate +
                                  "' FROM DOCTO_TRANSPORTE WHERE DOCTO_TRANSPORTE_ID = 4"));
}

TEST_F(DemoDatabaseTest, InfraIdsKeepsExactlyOneRow) {
  Rows second = RunScript(db(), "INSERT INTO INFRA_IDS DEFAULT VALUES");
  EXPECT_NE(std::string::npos, second.error.find("exactly one row")) << second.error;
  EXPECT_EQ("1", Scalar(db(), "SELECT COUNT(*) FROM INFRA_IDS"));
  // Only a second row is refused: an emptied table can be given its row back.
  ASSERT_EQ("", RunScript(db(), "DELETE FROM INFRA_IDS").error);
  ASSERT_EQ("", RunScript(db(), "INSERT INTO INFRA_IDS DEFAULT VALUES").error);
  EXPECT_EQ("1", Scalar(db(), "SELECT COUNT(*) FROM INFRA_IDS"));
  // One counter column per counted key, nothing else.
  EXPECT_EQ("DOCTO_TRANSPORTE_ID,HIST_PROGR_ESCOAM_ID,LOG_GERADOR_ID,LOG_SISTEMA_ID",
            Scalar(db(), "SELECT group_concat(name) FROM pragma_table_info('INFRA_IDS')"));
}

// ---------------------------------------------------------------------------
// Demo data

TEST_F(DemoDatabaseTest, EveryDateColumnIsStoredCanonical) {
  Rows cols = RunScript(db(),
                        "SELECT m.name, c.name FROM sqlite_master AS m, pragma_table_info(m.name) "
                        "AS c WHERE m.type = 'table' AND c.type = 'DATE'");
  ASSERT_EQ("", cols.error);
  EXPECT_EQ(13u, cols.rows.size());  // DOCTO_TRANSPORTE 3, PROGRAM_CARGA 5, 5 tables one each
  for (const auto& row : cols.rows) {
    const std::string from = " FROM " + row[0] + " WHERE " + row[1] + " IS NOT NULL";
    EXPECT_EQ("0", Scalar(db(), "SELECT COUNT(*)" + from + " AND NOT (" + row[1] + " GLOB '" +
                                    kCanonicalDate + "' AND typeof(" + row[1] + ") = 'text')"))
        << row[0] << "." << row[1];
    // The message log starts empty; every other date column holds demo dates.
    if (row[0] != "LOG_MSG") {
      EXPECT_NE("0", Scalar(db(), "SELECT COUNT(*)" + from)) << row[0] << "." << row[1];
    }
  }
}

// Each counter is named after the key of its table: DOCTO_TRANSPORTE_ID feeds
// DOCTO_TRANSPORTE.
TEST_F(DemoDatabaseTest, CountersCoverTheKeysInUse) {
  for (const char* key :
       {"DOCTO_TRANSPORTE_ID", "HIST_PROGR_ESCOAM_ID", "LOG_GERADOR_ID", "LOG_SISTEMA_ID"}) {
    const std::string k(key), table = k.substr(0, k.size() - 3);
    EXPECT_EQ("1",
              Scalar(db(), "SELECT (SELECT " + k + " FROM INFRA_IDS) >= (SELECT MAX(" + k +
                               ") FROM " + table + ") AND EXISTS (SELECT 1 FROM " + table + ")"))
        << key;
  }
}

TEST_F(DemoDatabaseTest, ReferencesBetweenDemoRowsResolve) {
  struct Case {
    const char* name;
    const char* orphans;  // counts rows whose neighbour is missing
  };
  const Case cases[] = {
      {"order customer and destination address",
       "SELECT COUNT(*) FROM DOCTO_TRANSPORTE D LEFT JOIN CLIENTE C ON C.PESSOA_ID = D.CLIENTE_ID "
       "LEFT JOIN ENDERECO_PESSOA E ON E.ENDERECO_PESSOA_ID = D.END_DESTINATARIO_ID "
       "WHERE C.PESSOA_ID IS NULL OR E.MUNICIPIO_ID IS NOT D.DESTINO_ID"},
      {"order collaborator, carrier and trailer",
       "SELECT COUNT(*) FROM DOCTO_TRANSPORTE WHERE COLABORADOR_ID NOT IN (SELECT COLABORADOR_ID "
       "FROM VCOLABORADOR) OR FORNECEDOR_ID NOT IN (SELECT FORNECEDOR_ID FROM VFORNECEDOR) OR "
       "VEICULO_CARRETA_ID NOT IN (SELECT VEICULO_FORNECEDOR_ID FROM VEICULO_FORNECEDOR "
       "WHERE CAVALO_ID IS NOT NULL)"},
      {"links join active orders and programmes",
       "SELECT COUNT(*) FROM HIST_PROGR_ESCOAM WHERE DOCTO_TRANSPORTE_ID NOT IN (SELECT "
       "DOCTO_TRANSPORTE_ID FROM DOCTO_TRANSPORTE WHERE TAB_STATUS_ID = 1) OR PROGRAM_CARGA_ID "
       "NOT IN (SELECT PROGRAM_CARGA_ID FROM PROGRAM_CARGA)"},
      {"programme address belongs to its destination",
       "SELECT COUNT(*) FROM PROGRAM_CARGA P LEFT JOIN ENDERECO_PESSOA E ON "
       "E.ENDERECO_PESSOA_ID = P.END_DESTINATARIO_ID WHERE E.PESSOA_ID IS NOT P.DESTINATARIO_ID "
       "OR P.ORIGEM_ID NOT IN (SELECT MUNICIPIO_ID FROM MUNICIPIO)"},
  };
  for (const Case& c : cases) EXPECT_EQ("0", Scalar(db(), c.orphans)) << c.name;
}

// Loaded plus still-to-ship is what was programmed, loaded covers the linked
// orders' takes, and each stored status is the one the status rule gives on
// the day the data set describes, so recomputing it changes nothing.
TEST_F(DemoDatabaseTest, ProgrammesAreConsistent) {
  EXPECT_EQ("0",
            Scalar(db(),
                   "SELECT COUNT(*) FROM PROGRAM_CARGA P WHERE "
                   "COALESCE(TON_CARREGADA, 0) + COALESCE(TON_P_ESCOAR, 0) <> TON_PROGRAMADA "
                   "OR COALESCE(TON_CARREGADA, 0) < (SELECT COALESCE(SUM(ULTIMA_TON_PROGR), 0) "
                   "FROM HIST_PROGR_ESCOAM H WHERE H.PROGRAM_CARGA_ID = P.PROGRAM_CARGA_ID)"));
  Rows r = RunScript(db(),
                     "SELECT P.PROGRAM_CARGA_ID, P.TAB_STATUS_ID, "
                     "  CASE WHEN PO.LIMITE_PROGR_CARGA >= COALESCE(P.TON_P_ESCOAR, 0) THEN 502 "
                     "       WHEN :now > COALESCE(P.DATA_INI_PRAZO_CRIT, '') "
                     "            AND :now < COALESCE(P.DATA_MAX_ESCOAM, '') THEN 504 "
                     "       WHEN :now > COALESCE(P.DATA_MAX_ESCOAM, '') THEN 505 "
                     "       WHEN :now < COALESCE(P.DATA_DISPON, '') THEN 503 ELSE 501 END "
                     "FROM PROGRAM_CARGA P JOIN PONTO_OPERACAO PO USING (PONTO_OPERACAO_ID) "
                     "WHERE P.TAB_STATUS_ID BETWEEN 501 AND 505",
                     {{"now", std::string("2026-12-06 12:00:00")}});
  ASSERT_EQ("", r.error);
  EXPECT_EQ(9u, r.rows.size());
  for (const auto& row : r.rows) EXPECT_EQ(row[2], row[1]) << "programme " << row[0];
  EXPECT_EQ("2,501,502,503,504,505",
            Scalar(db(),
                   "SELECT group_concat(s) FROM (SELECT DISTINCT TAB_STATUS_ID s FROM "
                   "PROGRAM_CARGA ORDER BY s)"));
}

// ---------------------------------------------------------------------------
// Procedure scripts

TEST(ProcedureScriptTest, HeadersListTheParametersInCallOrder) {
  struct Case {
    const char* file;
    const char* params;
  };
  const Case cases[] = {
      {"sp_zor_con_ocg2.sql", "docto_id"},
      {"sp_pmv_ver_exist_docto_imp.sql", "num_ini, num_fim, tipo_docto, ponto"},
      {"sp_032_zor_dup_docto_transp2.sql", "num_docto, docto_id, tipo_docto, ponto"},
  };
  for (const Case& c : cases) {
    EXPECT_NE(std::string::npos,
              std::string(Script(c.file)).find("\n-- params: " + std::string(c.params) + "\n"))
        << c.file;
  }
}

TEST_F(DemoDatabaseTest, ConOcg2ReadsAnOrdersColumns) {
  struct Case {
    const char* name;
    int64_t docto_id;
    const char* column;
    const char* want;
  };
  const Case cases[] = {
      {"customer trade name", 1, "CLIENTE", "SIDERÚRGICA CAPIXABA"},
      {"issue date as text", 1, "DATA_EMISSAO", "30/11/2026"},
      {"destination", 1, "Destinatario", "METALÚRGICA HORIZONTE"},
      {"planned date as text", 1, "DATA_PREV_CARREGAMENTO", "07/12/2026"},
      {"external order number", 1, "NUM_PEDIDO_EXTERNO", "4500012345"},
      {"collaborator read from PESSOA", 1, "NOME_COLABORADOR", "JOSÉ FERREIRA SANTOS"},
      {"carrier read from PESSOA", 2, "NOME_FORNECEDOR", "TRANSPORTADORA RODOVIX LTDA"},
      {"outer join: no vehicle", 4, "PLACA", kNull},
      {"no planned date", 4, "DATA_PREV_CARREGAMENTO", kNull},
      {"print date as text", 9, "Data_Impressao", "02/12/2026"},
      {"CVA number", 9, "CVA", "778899"},
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

TEST_F(DemoDatabaseTest, ConOcg2FindsOnlyReadableOrders) {
  struct Case {
    const char* name;
    Arg docto_id;
    size_t rows;
  };
  const Case cases[] = {
      {"active order", int64_t{1}, 1},
      {"status 615", int64_t{6}, 1},
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

// The two database kinds read an order alike: the Oracle path's inline query,
// as the bridge rewrites it, and the procedure call give the same columns,
// names and values.
TEST_F(DemoDatabaseTest, ConOcg2MatchesTheOraclePathThroughTheDriver) {
  std::unique_ptr<Driver> driver;
  Status st = OpenDriver("Data Source=" + path_, &driver);
  ASSERT_TRUE(st.ok()) << st.ToString();
  const std::string oracle =
      " SELECT DCT.CLIENTE_ID , CLI.NOME_FANTASIA CLIENTE , DCT.PONTO_OPERACAO_ID , "
      "TO_CHAR(DCT.DATA_EMISSAO, 'DD/MM/YYYY') DATA_EMISSAO, DCT.END_DESTINATARIO_ID , "
      "DEST.INDICATIVO_PF_PJ , DEST.PF_CPF , DEST.PJ_CGC , DEST.NOME_Fantasia as Destinatario , "
      "DEST.ENDERECO , DEST.MUNICIPIO , DEST.ENDERECO_PESSOA_ID , DEST.PESSOA_ID , "
      "DCT.DESTINO_ID , DCT.VEICULO_FORNECEDOR_ID , VEI.PLACA , "
      "TO_CHAR(DCT.DATA_PREV_CARREGAMENTO, 'DD/MM/YYYY') DATA_PREV_CARREGAMENTO, "
      "DCT.LOCAL_CARREG , DCT.PESO_PREVISTO , DCT.TXT_EMBALAGEM , DCT.OBSERV1 , "
      "DCT.NUM_DOCTO_TRANSPORTE , DCT.PEDIDO_ID , PED.NUM_PEDIDO_EXTERNO , "
      "COL.PESSOA_ID COLABORADOR_ID , COL.NOME NOME_COLABORADOR , FORN.PESSOA_ID FORNECEDOR_ID , "
      "FORN.NOME NOME_FORNECEDOR , DCT.TAB_TIPO_DOCTO_TRANSP_ID, DCT.FLAG_ADEME , "
      "DCT.TAB_TIPO_RESPONSAVEL_ID , DCT.TAB_TIPO_EMERGENCIA_ID, "
      "TO_CHAR(DCT.Data_Impressao, 'DD/MM/YYYY') Data_Impressao, DCT.veiculo_carreta_id, "
      "DCT.cva FROM DOCTO_TRANSPORTE DCT , PESSOA CLI , VENDERECO_PESSOA DEST , "
      "VEICULO_FORNECEDOR VEI , PEDIDO PED , PESSOA COL , PESSOA FORN WHERE "
      "DCT.CLIENTE_ID = CLI.PESSOA_ID AND DCT.END_DESTINATARIO_ID = DEST.ENDERECO_PESSOA_ID AND "
      "DCT.VEICULO_FORNECEDOR_ID = VEI.VEICULO_FORNECEDOR_ID(+) AND "
      "DCT.PEDIDO_ID = PED.PEDIDO_ID(+) AND DCT.COLABORADOR_ID = COL.PESSOA_ID(+) AND "
      "DCT.FORNECEDOR_ID = FORN.PESSOA_ID(+) AND DCT.TAB_STATUS_ID IN (1,615) AND "
      "DEST.TAB_STATUS_ID_PES = 1 AND DEST.TAB_STATUS_ID_END = 1 AND DCT.DOCTO_TRANSPORTE_ID = ";
  for (int id : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 120}) {
    RowSet want, got;
    std::string engine_sql;
    st = driver->Run(oracle + std::to_string(id), &want, &engine_sql);
    ASSERT_TRUE(st.ok()) << "order " << id << ": " << st.ToString();
    st = driver->Run("EXEC SP_ZOR_CON_OCG2 " + std::to_string(id), &got, &engine_sql);
    ASSERT_TRUE(st.ok()) << "order " << id << ": " << st.ToString();
    EXPECT_EQ(want.columns, got.columns) << "order " << id;
    ASSERT_EQ(want.rows.size(), got.rows.size()) << "order " << id;
    for (size_t r = 0; r < want.rows.size(); ++r) {
      for (size_t c = 0; c < want.rows[r].size() && c < got.rows[r].size(); ++c) {
        EXPECT_TRUE(want.rows[r][c] == got.rows[r][c]) << "order " << id << " " << want.columns[c];
      }
    }
  }
}

TEST_F(DemoDatabaseTest, VerExistDoctoImpCountsNumbersInTheRange) {
  struct Case {
    const char* name;
    Arg num_ini, num_fim, tipo, ponto;
    const char* want;
  };
  const std::monostate null;
  const Case cases[] = {
      {"statuses 1 and 2 count, 615 does not", int64_t{120}, int64_t{125}, int64_t{9}, int64_t{1},
       "5"},
      {"deleted number stays used", int64_t{121}, int64_t{121}, int64_t{9}, int64_t{1}, "1"},
      {"number in status 615 is free", int64_t{124}, int64_t{124}, int64_t{9}, int64_t{1}, "0"},
      {"both ends inclusive", int64_t{125}, int64_t{150}, int64_t{9}, int64_t{1}, "3"},
      {"gap between used numbers", int64_t{126}, int64_t{149}, int64_t{9}, int64_t{1}, "0"},
      {"other point", int64_t{120}, int64_t{125}, int64_t{9}, int64_t{2}, "0"},
      {"other type", int64_t{120}, int64_t{125}, int64_t{5}, int64_t{1}, "0"},
      {"numbers as doubles", 120.0, 125.0, 9.0, 1.0, "5"},
      {"null point matches no point", int64_t{120}, int64_t{125}, int64_t{9}, null, "0"},
      {"null type matches untyped documents", int64_t{120}, int64_t{125}, null, int64_t{1}, "0"},
  };
  for (const Case& c : cases) {
    Rows r = Call("sp_pmv_ver_exist_docto_imp.sql", {{"num_ini", c.num_ini},
                                                     {"num_fim", c.num_fim},
                                                     {"tipo_docto", c.tipo},
                                                     {"ponto", c.ponto}});
    ASSERT_EQ("", r.error) << c.name;
    ASSERT_EQ(std::vector<std::string>{"QUANTIDADE"}, r.columns) << c.name;
    ASSERT_EQ(1u, r.rows.size()) << c.name;
    EXPECT_EQ(c.want, r.rows[0][0]) << c.name;
  }
}

TEST_F(DemoDatabaseTest, DupDoctoTransp2CountsOtherActiveOrdersWithTheNumber) {
  struct Case {
    const char* name;
    Arg num, docto_id, tipo, ponto;
    const char* want;
  };
  const std::monostate null;
  const Case cases[] = {
      {"new order, number used twice", std::string("150"), null, int64_t{9}, int64_t{1}, "2"},
      {"altered order does not count itself", std::string("150"), int64_t{2}, int64_t{9},
       int64_t{1}, "1"},
      {"own number", std::string("158"), int64_t{1}, int64_t{9}, int64_t{1}, "0"},
      {"taken by another order", std::string("158"), int64_t{3}, int64_t{9}, int64_t{1}, "1"},
      {"compared as a number", std::string(" 0150 "), null, int64_t{9}, int64_t{1}, "2"},
      {"deleted order", std::string("153"), null, int64_t{9}, int64_t{1}, "0"},
      {"status 615", std::string("152"), null, int64_t{9}, int64_t{1}, "0"},
      {"other point", std::string("150"), null, int64_t{9}, int64_t{2}, "0"},
      {"other type", std::string("150"), null, int64_t{5}, int64_t{1}, "0"},
      {"zero identifier excludes nothing", std::string("150"), int64_t{0}, int64_t{9}, int64_t{1},
       "2"},
      {"empty number counts unnumbered orders", std::string(""), null, int64_t{5}, int64_t{1}, "1"},
  };
  for (const Case& c : cases) {
    Rows r = Call("sp_032_zor_dup_docto_transp2.sql", {{"num_docto", c.num},
                                                       {"docto_id", c.docto_id},
                                                       {"tipo_docto", c.tipo},
                                                       {"ponto", c.ponto}});
    ASSERT_EQ("", r.error) << c.name;
    ASSERT_EQ(std::vector<std::string>{"CONTADOR"}, r.columns) << c.name;
    ASSERT_EQ(1u, r.rows.size()) << c.name;
    EXPECT_EQ(c.want, r.rows[0][0]) << c.name;
  }
}

}  // namespace
}  // namespace ocg
