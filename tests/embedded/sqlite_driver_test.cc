#include "embedded/sqlite_driver.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "infra/driver.h"
#include "value/date_time.h"
#include "value/text.h"

namespace ocg {
namespace {

// The tables the order and vehicle lookups join, reduced to the columns they
// read, with orders that exercise each join.
constexpr const char* kSchema = R"sql(
BEGIN;
CREATE TABLE T (I INTEGER, R REAL, S TEXT, D DATE, N);
CREATE TABLE DOCTO_TRANSPORTE (DOCTO_TRANSPORTE_ID INTEGER, CLIENTE_ID, PONTO_OPERACAO_ID,
  DATA_EMISSAO DATE, END_DESTINATARIO_ID, DESTINO_ID, VEICULO_FORNECEDOR_ID,
  DATA_PREV_CARREGAMENTO DATE, LOCAL_CARREG, PESO_PREVISTO, TXT_EMBALAGEM, OBSERV1,
  NUM_DOCTO_TRANSPORTE, PEDIDO_ID, COLABORADOR_ID, FORNECEDOR_ID, TAB_TIPO_DOCTO_TRANSP_ID,
  FLAG_ADEME, TAB_TIPO_RESPONSAVEL_ID, TAB_TIPO_EMERGENCIA_ID, DATA_IMPRESSAO DATE,
  VEICULO_CARRETA_ID, CVA, TAB_STATUS_ID);
CREATE TABLE PESSOA (PESSOA_ID INTEGER, NOME_FANTASIA, NOME);
CREATE TABLE VENDERECO_PESSOA (ENDERECO_PESSOA_ID INTEGER, PESSOA_ID, INDICATIVO_PF_PJ, PF_CPF,
  PJ_CGC, NOME_FANTASIA, ENDERECO, MUNICIPIO, TAB_STATUS_ID_PES, TAB_STATUS_ID_END);
CREATE TABLE VEICULO_FORNECEDOR (VEICULO_FORNECEDOR_ID INTEGER, PLACA, TAB_TIPO_VEICULO_ID);
CREATE TABLE TAB_TIPO_VEICULO (TAB_TIPO_VEICULO_ID INTEGER, CAPACIDADE_KG REAL);
CREATE TABLE PEDIDO (PEDIDO_ID INTEGER, NUM_PEDIDO_EXTERNO);
INSERT INTO PESSOA VALUES (1, 'CLIENTE UM', 'Cliente'), (7, 'C7', 'Colaborador'),
  (8, 'F8', 'Fornecedor');
INSERT INTO VENDERECO_PESSOA VALUES (100, 2, 'PJ', NULL, '123', 'DESTINO', 'RUA A', 'VIX', 1, 1),
  (101, 2, 'PJ', NULL, '123', 'DESTINO', 'RUA B', 'VIX', 1, 0);
INSERT INTO VEICULO_FORNECEDOR VALUES (50, 'ABC1234', 3), (51, 'XYZ9999', 99);
INSERT INTO TAB_TIPO_VEICULO VALUES (3, 27000);
INSERT INTO PEDIDO VALUES (60, 'PED-60');
INSERT INTO DOCTO_TRANSPORTE (DOCTO_TRANSPORTE_ID, CLIENTE_ID, END_DESTINATARIO_ID,
  VEICULO_FORNECEDOR_ID, PEDIDO_ID, COLABORADOR_ID, FORNECEDOR_ID, TAB_STATUS_ID, DATA_EMISSAO)
VALUES (1, 1, 100, 50, 60, 7, 8, 1, '2026-12-06 08:00:00'),
       (2, 1, 100, 999, NULL, NULL, 999, 615, NULL),
       (3, 999, 100, 50, 60, 7, 8, 1, NULL),
       (4, 1, 101, 50, 60, 7, 8, 1, NULL),
       (5, 1, 100, 50, 60, 7, 8, 2, NULL);
COMMIT;
)sql";

class SqliteDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ocg-driver-XXXXXX";
    dir_ = mkdtemp(pattern);
    path_ = dir_ + "/test.db";
    CreateFile(path_, kSchema);
    ASSERT_TRUE(OpenSqliteDriver(path_, &db_).ok());
  }
  void TearDown() override {
    db_.reset();
    std::filesystem::remove_all(dir_);
  }

  // A database made with the plain engine, as any other tool would.
  static void CreateFile(const std::string& path, const char* sql) {
    sqlite3* raw = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(path.c_str(), &raw));
    std::unique_ptr<sqlite3, decltype(&sqlite3_close_v2)> db(raw, &sqlite3_close_v2);
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(raw, sql, nullptr, nullptr, nullptr)) << sqlite3_errmsg(raw);
  }

  RowSet Query(const std::string& sql) {
    RowSet rows;
    Status st = db_->Run(sql, &rows, nullptr);
    EXPECT_TRUE(st.ok()) << sql << ": " << st.ToString();
    return rows;
  }
  Value Scalar(const std::string& sql) {
    RowSet rows = Query(sql);
    return rows.rows.empty() ? Value() : rows.rows[0][0];
  }
  static Value Column(const RowSet& rows, std::string_view name) {
    for (size_t c = 0; c < rows.columns.size(); ++c) {
      if (EqualsIgnoreCase(rows.columns[c], name)) return rows.rows[0][c];
    }
    return Value();
  }

  std::string dir_;
  std::string path_;
  std::unique_ptr<Driver> db_;
};

TEST_F(SqliteDriverTest, OpenFailures) {
  const std::string garbage = dir_ + "/garbage.db";
  std::ofstream(garbage) << std::string(2048, 'x');
  struct Case {
    const char* name;
    std::string connection;
    int64_t number;
    const char* message;
  };
  const Case cases[] = {
      {"missing file", "Data Source=" + dir_ + "/none.db", SQLITE_CANTOPEN, "does not exist"},
      {"directory", "Data Source=" + dir_, SQLITE_CANTOPEN, "is a directory"},
      {"not a database", "Data Source=" + garbage, SQLITE_NOTADB, "not a database"},
      {"empty", "", 0, "could not be parsed"},
      {"segment without =", "Data Source=" + path_ + ";junk", 0, "could not be parsed"},
      {"provider alone", "Provider=SQLite;", 0, "could not be parsed"},
      {"unclosed quote", "Data Source=\"" + path_, 0, "could not be parsed"},
      {"ODBC driver", "Driver={SQL Server};Server=x", 0, "ODBC connections are not available"},
      {"ODBC DSN", "dsn=ocg;Data Source=" + path_, 0, "ODBC connections are not available"},
      {"other provider", "Provider=OraOLEDB.Oracle;Data Source=ORCL", 0, "not available"},
  };
  for (const Case& c : cases) {
    std::unique_ptr<Driver> db;
    Status st = OpenDriver(c.connection, &db);
    ASSERT_FALSE(st.ok()) << c.name;
    EXPECT_EQ(c.number, st.number()) << c.name;
    EXPECT_NE(std::string::npos, st.description().find(c.message))
        << c.name << ": " << st.description();
    EXPECT_EQ(nullptr, db) << c.name;
  }
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/none.db")) << "opening must never create";
}

TEST_F(SqliteDriverTest, ConnectionStringForms) {
  const std::string odd = dir_ + "/a;b.db";  // a ";" only a quoted value can hold
  std::filesystem::copy_file(path_, odd);
  const std::string cases[] = {
      "Data Source=" + path_,
      " provider = SQLite ; data source = " + path_ + " ;;",
      "DataSource='" + path_ + "';Mode=Share Deny None",
      "Provider=SQLite3;Data Source=\"" + odd + "\"",
  };
  for (const std::string& c : cases) {
    std::unique_ptr<Driver> db;
    Status st = OpenDriver(c, &db);
    ASSERT_TRUE(st.ok()) << c << ": " << st.ToString();
    RowSet rows;
    EXPECT_TRUE(db->Run("SELECT COUNT(*) FROM PESSOA", &rows, nullptr).ok()) << c;
  }
}

TEST_F(SqliteDriverTest, ColumnValues) {
  Query(
      "INSERT INTO T VALUES (5, 2.5, '2026-12-06 10:00:00', '2026-12-06 10:30:00', 3000000000);"
      "INSERT INTO T VALUES (NULL, NULL, NULL, 'soon', x'4142')");
  DateTime moment{2026, 12, 6, 10, 30, 0};
  struct Case {
    const char* name;
    const char* sql;
    Value want;
  };
  const Case cases[] = {
      {"integer", "SELECT I FROM T WHERE I = 5", Value::Int32(5)},
      {"integer beyond 32 bits", "SELECT N FROM T WHERE I = 5", Value::Double(3e9)},
      {"real", "SELECT R FROM T WHERE I = 5", Value::Double(2.5)},
      {"date-like text in a text column", "SELECT S FROM T WHERE I = 5",
       Value::Text("2026-12-06 10:00:00")},
      {"date column", "SELECT D FROM T WHERE I = 5", Value::Date(moment)},
      {"date column through a subquery", "SELECT X.D FROM (SELECT D FROM T) X WHERE X.D < 'a'",
       Value::Date(moment)},
      {"date column holding no date", "SELECT D FROM T WHERE I IS NULL", Value::Text("soon")},
      {"formatted date is text", "SELECT TO_CHAR(D, 'DD/MM/YYYY') FROM T WHERE I = 5",
       Value::Text("06/12/2026")},
      {"null", "SELECT I FROM T WHERE I IS NULL", Value::Null()},
      {"blob", "SELECT N FROM T WHERE I IS NULL", Value::Text("AB")},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(c.want == Scalar(c.sql)) << c.name;
  }
}

TEST_F(SqliteDriverTest, StatementResults) {
  std::string engine;
  RowSet rows;
  ASSERT_TRUE(
      db_->Run("INSERT INTO T (I) VALUES (1); SELECT I FROM T; UPDATE T SET I = 2", &rows, &engine)
          .ok());
  EXPECT_TRUE(rows.has_columns) << "the SELECT is the last statement with columns";
  ASSERT_EQ(1u, rows.rows.size());
  EXPECT_TRUE(Value::Int32(1) == rows.rows[0][0]);
  EXPECT_TRUE(Value::Int32(2) == Scalar("SELECT I FROM T")) << "statements after it ran too";

  ASSERT_TRUE(db_->Run("DELETE FROM T", &rows, &engine).ok());
  EXPECT_FALSE(rows.has_columns);
  ASSERT_TRUE(db_->Run("SELECT I FROM T", &rows, &engine).ok());
  EXPECT_TRUE(rows.has_columns);
  EXPECT_TRUE(rows.rows.empty());

  ASSERT_TRUE(db_->Run("SELECT sysdate", &rows, &engine).ok());
  EXPECT_EQ("SELECT ocg_sysdate()", engine);

  Status st = db_->Run("SELECT 1; SELEC 2", &rows, &engine);
  EXPECT_FALSE(st.ok());
  EXPECT_EQ(SQLITE_ERROR, st.number());
  EXPECT_NE(std::string::npos, st.description().find("syntax error")) << st.description();
  EXPECT_FALSE(rows.has_columns) << "a failed run leaves the result empty";
}

TEST_F(SqliteDriverTest, DateLiteralsStoredCanonical) {
  struct Case {
    const char* name;
    const char* literal;
    Value want;
  };
  const Case cases[] = {
      {"day first", "'06/12/2026'", Value::Text("2026-12-06 00:00:00")},
      {"year first with time", "'2026/12/06 10:30'", Value::Text("2026-12-06 10:30:00")},
      {"stored form", "'2026-12-06 10:30:00'", Value::Text("2026-12-06 10:30:00")},
      {"short day and month", "'6/1/2026'", Value::Text("2026-01-06 00:00:00")},
      {"Oracle TO_DATE", "TO_DATE('2026/12/06 10:30:00', 'yyyy/mm/dd hh24:mi:ss')",
       Value::Text("2026-12-06 10:30:00")},
      {"not a date", "'amanhã'", Value::Text("amanhã")},
      {"number", "42", Value::Int32(42)},
  };
  ASSERT_TRUE(db_->Begin(true).ok());  // one commit for all rows
  for (const Case& c : cases) {
    Query("DELETE FROM T");
    Query(std::string("INSERT INTO T (I, N) VALUES (1, ocg_date(") + c.literal + "))");
    EXPECT_TRUE(c.want == Scalar("SELECT N FROM T")) << c.name;
  }
  ASSERT_TRUE(db_->Commit().ok());
  // Text order is time order once stored.
  Query(
      "DELETE FROM T; INSERT INTO T (I, D) VALUES (1, ocg_date('31/12/2025 23:59')),"
      " (2, ocg_date('2026/01/01')), (3, ocg_date('02/01/2026'))");
  EXPECT_TRUE(Value::Int32(2) ==
              Scalar("SELECT COUNT(*) FROM T WHERE D >= TO_DATE('2026/01/01 00:00:00', "
                     "'YYYY/MM/DD hh24:mi:ss')"));
}

TEST_F(SqliteDriverTest, Functions) {
  struct Case {
    const char* name;
    const char* expr;
    Value want;
  };
  const Case cases[] = {
      {"NVL null", "NVL(NULL, 5)", Value::Int32(5)},
      {"NVL value", "NVL(3, 5)", Value::Int32(3)},
      {"NVL mixed types", "NVL(NULL, 'x') || NVL('a', 1)", Value::Text("xa")},
      {"NVL both null", "NVL(NULL, NULL)", Value::Null()},
      {"TO_CHAR day first", "TO_CHAR('2026-12-06 09:05:07', 'DD/MM/YYYY')",
       Value::Text("06/12/2026")},
      {"TO_CHAR with time", "to_char('2026-12-06 09:05:07', 'yyyy/mm/dd hh24:mi:ss')",
       Value::Text("2026/12/06 09:05:07")},
      {"TO_CHAR other literal", "TO_CHAR('06/12/2026', 'YYYY')", Value::Text("2026")},
      {"TO_CHAR serial", "TO_CHAR(46000, 'DD/MM/YYYY')", Value::Text("09/12/2025")},
      {"TO_CHAR null", "TO_CHAR(NULL, 'DD/MM/YYYY')", Value::Null()},
      {"TO_CHAR non-date", "TO_CHAR('abc', 'DD/MM/YYYY')", Value::Text("abc")},
      {"TO_DATE upper pattern", "TO_DATE('2026/12/06 23:59:59', 'YYYY/MM/DD hh24:mi:ss')",
       Value::Text("2026-12-06 23:59:59")},
      {"TO_DATE day first", "TO_DATE('06/12/2026', 'dd/mm/yyyy')",
       Value::Text("2026-12-06 00:00:00")},
      {"TO_DATE date only", "TO_DATE('2026/12/06', 'yyyy/mm/dd')",
       Value::Text("2026-12-06 00:00:00")},
      {"TO_DATE text shorter than pattern", "TO_DATE('2026/12/06', 'yyyy/mm/dd hh24:mi:ss')",
       Value::Text("2026-12-06 00:00:00")},
      {"TO_DATE null", "TO_DATE(NULL, 'dd/mm/yyyy')", Value::Null()},
      {"TO_DATE empty is null", "TO_DATE('', 'dd/mm/yyyy')", Value::Null()},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(c.want == Scalar(std::string("SELECT ") + c.expr)) << c.name;
  }

  struct Failure {
    const char* name;
    const char* expr;
    const char* code;
  };
  const Failure failures[] = {
      {"month 13", "TO_DATE('2026/13/06', 'yyyy/mm/dd')", "ORA-01843"},
      {"31 February", "TO_DATE('31/02/2026', 'dd/mm/yyyy')", "ORA-01847"},
      {"letters", "TO_DATE('ab/12/2026', 'dd/mm/yyyy')", "ORA-01858"},
      {"text longer than pattern", "TO_DATE('2026/12/06 10:00', 'yyyy/mm/dd')", "ORA-01830"},
      {"hour 24", "TO_DATE('2026/12/06 24:00', 'yyyy/mm/dd hh24:mi')", "ORA-01850"},
      {"unknown pattern", "TO_DATE('2026', 'qq')", "ORA-01821"},
  };
  for (const Failure& f : failures) {
    RowSet rows;
    Status st = db_->Run(std::string("SELECT ") + f.expr, &rows, nullptr);
    ASSERT_FALSE(st.ok()) << f.name;
    EXPECT_NE(std::string::npos, st.description().find(f.code))
        << f.name << ": " << st.description();
  }
}

TEST_F(SqliteDriverTest, ClockFunctions) {
  for (const char* sql : {"SELECT GETDATE()", "SELECT sysdate", "SELECT ocg_sysdate()"}) {
    std::string before = CanonicalDateTime(Now());
    Value got = Scalar(sql);
    std::string after = CanonicalDateTime(Now());
    ASSERT_TRUE(got.is_text()) << sql;
    EXPECT_LE(before, got.text()) << sql;
    EXPECT_GE(after, got.text()) << sql;
  }
}

// The order query as the Oracle path builds it for one identifier.
std::string OrderQuery(int id) {
  return std::string(" SELECT ") + " DCT.CLIENTE_ID , " + " CLI.NOME_FANTASIA CLIENTE , " +
         " DCT.PONTO_OPERACAO_ID , " + " TO_CHAR(DCT.DATA_EMISSAO, 'DD/MM/YYYY') DATA_EMISSAO, " +
         " DCT.END_DESTINATARIO_ID , " + " DEST.INDICATIVO_PF_PJ , " + " DEST.PF_CPF , " +
         " DEST.PJ_CGC , " + " DEST.NOME_Fantasia as Destinatario , " + " DEST.ENDERECO , " +
         " DEST.MUNICIPIO , " + " DEST.ENDERECO_PESSOA_ID , " + " DEST.PESSOA_ID , " +
         " DCT.DESTINO_ID , " + " DCT.VEICULO_FORNECEDOR_ID , " + " VEI.PLACA , " +
         " TO_CHAR(DCT.DATA_PREV_CARREGAMENTO, 'DD/MM/YYYY') DATA_PREV_CARREGAMENTO, " +
         " DCT.LOCAL_CARREG , " + " DCT.PESO_PREVISTO , " + " DCT.TXT_EMBALAGEM , " +
         " DCT.OBSERV1 , " + " DCT.NUM_DOCTO_TRANSPORTE , " + " DCT.PEDIDO_ID , " +
         " PED.NUM_PEDIDO_EXTERNO , " + " COL.PESSOA_ID COLABORADOR_ID , " +
         " COL.NOME NOME_COLABORADOR , " + " FORN.PESSOA_ID FORNECEDOR_ID , " +
         " FORN.NOME NOME_FORNECEDOR , " + " DCT.TAB_TIPO_DOCTO_TRANSP_ID, " +
         " DCT.FLAG_ADEME , " + " DCT.TAB_TIPO_RESPONSAVEL_ID , " +
         " DCT.TAB_TIPO_EMERGENCIA_ID,  " +
         " TO_CHAR(DCT.Data_Impressao, 'DD/MM/YYYY') Data_Impressao,  " +
         " DCT.veiculo_carreta_id,  " + " DCT.cva  " + " FROM " + " DOCTO_TRANSPORTE DCT , " +
         " PESSOA CLI , " + " VENDERECO_PESSOA DEST , " + " VEICULO_FORNECEDOR VEI , " +
         " PEDIDO PED , " + " PESSOA COL , " + " PESSOA FORN " + " WHERE " +
         " DCT.CLIENTE_ID = CLI.PESSOA_ID AND " +
         " DCT.END_DESTINATARIO_ID = DEST.ENDERECO_PESSOA_ID AND " +
         " DCT.VEICULO_FORNECEDOR_ID = VEI.VEICULO_FORNECEDOR_ID(+) AND " +
         " DCT.PEDIDO_ID  = PED.PEDIDO_ID(+) AND " +
         " DCT.COLABORADOR_ID  = COL.PESSOA_ID(+) AND " +
         " DCT.FORNECEDOR_ID  = FORN.PESSOA_ID(+) AND " + " DCT.DOCTO_TRANSPORTE_ID " + " = " +
         std::to_string(id) + " AND " + " DCT.TAB_STATUS_ID IN (1,615) AND " +
         " DEST.TAB_STATUS_ID_PES = 1 AND " + " DEST.TAB_STATUS_ID_END = 1 ";
}

TEST_F(SqliteDriverTest, OrderQueryOuterJoins) {
  struct Case {
    const char* name;
    int id;
    bool found;
    Value placa, pedido, colaborador, fornecedor;
  };
  const Value null = Value::Null();
  const Case cases[] = {
      {"every partner present", 1, true, Value::Text("ABC1234"), Value::Text("PED-60"),
       Value::Text("Colaborador"), Value::Text("Fornecedor")},
      {"missing partners keep the order", 2, true, null, null, null, null},
      {"missing customer drops it", 3, false, null, null, null, null},
      {"inactive address drops it", 4, false, null, null, null, null},
      {"status 2 drops it", 5, false, null, null, null, null},
  };
  for (const Case& c : cases) {
    RowSet rows = Query(OrderQuery(c.id));
    ASSERT_EQ(c.found ? 1u : 0u, rows.rows.size()) << c.name;
    if (!c.found) continue;
    EXPECT_TRUE(c.placa == Column(rows, "PLACA")) << c.name;
    EXPECT_TRUE(c.pedido == Column(rows, "NUM_PEDIDO_EXTERNO")) << c.name;
    EXPECT_TRUE(c.colaborador == Column(rows, "NOME_COLABORADOR")) << c.name;
    EXPECT_TRUE(c.fornecedor == Column(rows, "NOME_FORNECEDOR")) << c.name;
    EXPECT_TRUE(Value::Text("CLIENTE UM") == Column(rows, "CLIENTE")) << c.name;
  }
  EXPECT_TRUE(Value::Text("06/12/2026") == Column(Query(OrderQuery(1)), "DATA_EMISSAO"));
}

TEST_F(SqliteDriverTest, VehicleQueryOuterJoin) {
  struct Case {
    const char* name;
    int id;
    bool found;
    Value capacity;
  };
  const Case cases[] = {
      {"with its type", 50, true, Value::Double(27000)},
      {"type missing", 51, true, Value::Null()},
      {"no such vehicle", 52, false, Value()},
  };
  for (const Case& c : cases) {
    std::string sql =
        std::string(" SELECT ") + " 1 PROPRIETARIO_ID , " +
        " 'TARVOSA TRANSPORTES E SERVIÇOS' PROPRIETARIO , " +
        " TAB_TIPO_VEICULO.CAPACIDADE_KG , VEICULO_FORNECEDOR_ID, " + " 0 RETORNO " + " FROM " +
        " VEICULO_FORNECEDOR VEIC_FORN, TAB_TIPO_VEICULO " + " WHERE " +
        " VEIC_FORN.TAB_TIPO_VEICULO_ID = TAB_TIPO_VEICULO.TAB_TIPO_VEICULO_ID(+) AND " +
        " VEIC_FORN.VEICULO_FORNECEDOR_ID  " + " = " + std::to_string(c.id) + " ";
    RowSet rows = Query(sql);
    ASSERT_EQ(c.found ? 1u : 0u, rows.rows.size()) << c.name;
    if (!c.found) continue;
    EXPECT_TRUE(c.capacity == Column(rows, "CAPACIDADE_KG")) << c.name;
    EXPECT_TRUE(Value::Text("TARVOSA TRANSPORTES E SERVIÇOS") == Column(rows, "PROPRIETARIO"))
        << c.name;
  }
}

TEST_F(SqliteDriverTest, Transactions) {
  std::unique_ptr<Driver> other;
  ASSERT_TRUE(OpenSqliteDriver(path_, &other).ok());
  RowSet rows;

  ASSERT_TRUE(db_->Begin(true).ok());
  Query("INSERT INTO T (I) VALUES (1)");
  ASSERT_TRUE(db_->Rollback().ok());
  EXPECT_TRUE(Value::Int32(0) == Scalar("SELECT COUNT(*) FROM T")) << "rolled back";

  ASSERT_TRUE(db_->Begin(false).ok());
  Query("INSERT INTO T (I) VALUES (2)");
  EXPECT_FALSE(db_->Begin(false).ok()) << "no nested transactions";
  ASSERT_TRUE(db_->Commit().ok());
  ASSERT_TRUE(other->Run("SELECT I FROM T", &rows, nullptr).ok());
  ASSERT_EQ(1u, rows.rows.size()) << "committed work is visible to another connection";
  EXPECT_FALSE(db_->Commit().ok()) << "nothing left to commit";
}

TEST_F(SqliteDriverTest, ReusableUntilTheFileIsReplaced) {
  EXPECT_TRUE(db_->Reusable());
  const std::string fresh = dir_ + "/fresh.db";
  CreateFile(fresh, "CREATE TABLE X (A)");
  std::filesystem::rename(fresh, path_);
  EXPECT_FALSE(db_->Reusable()) << "replaced";
  std::filesystem::remove(path_);
  EXPECT_FALSE(db_->Reusable()) << "removed";
}

TEST_F(SqliteDriverTest, UnknownProcedure) {
  RowSet rows;
  Status st = db_->Run("EXEC SP_DOES_NOT_EXIST 1", &rows, nullptr);
  EXPECT_EQ(2812, st.number());
  EXPECT_EQ("Could not find stored procedure 'SP_DOES_NOT_EXIST'.", st.description());
}

}  // namespace
}  // namespace ocg
