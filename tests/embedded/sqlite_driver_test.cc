#include "embedded/sqlite_driver.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "infra/driver.h"
#include "value/date_time.h"

namespace ocg {
namespace {

// Made with the plain engine, as any other tool would: a table of each column
// kind, vehicles for an outer join, documents for the procedure calls.
constexpr const char* kSchema = R"sql(
CREATE TABLE T (I INTEGER, R REAL, S TEXT, D DATE, N);
CREATE TABLE VEICULO_FORNECEDOR (VEICULO_FORNECEDOR_ID INTEGER, PLACA, TAB_TIPO_VEICULO_ID);
CREATE TABLE TAB_TIPO_VEICULO (TAB_TIPO_VEICULO_ID INTEGER, CAPACIDADE_KG REAL);
CREATE TABLE DOCTO_TRANSPORTE (DOCTO_TRANSPORTE_ID INTEGER, NUM_DOCTO_TRANSPORTE,
  TAB_TIPO_DOCTO_TRANSP_ID, PONTO_OPERACAO_ID, TAB_STATUS_ID);
INSERT INTO VEICULO_FORNECEDOR VALUES (50, 'ABC1234', 3), (51, 'XYZ9999', 99);
INSERT INTO TAB_TIPO_VEICULO VALUES (3, 27000);
INSERT INTO DOCTO_TRANSPORTE VALUES (1, 150, 9, 1, 1), (2, 150, 9, 1, 1), (3, 7, 9, 2, 1);
)sql";

class SqliteDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ocg-driver-XXXXXX";
    dir_ = mkdtemp(pattern);
    path_ = dir_ + "/test.db";
    sqlite3* raw = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(path_.c_str(), &raw));
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(raw, kSchema, nullptr, nullptr, nullptr));
    sqlite3_close(raw);
    ASSERT_TRUE(OpenSqliteDriver(path_, &db_).ok());
  }
  void TearDown() override {
    db_.reset();
    std::filesystem::remove_all(dir_);
  }

  // The first cell of sql's result (Empty when there is no row).
  Value Scalar(const std::string& sql) {
    RowSet rows;
    Status st = db_->Run(sql, &rows, nullptr);
    EXPECT_TRUE(st.ok()) << sql << ": " << st.ToString();
    return rows.rows.empty() ? Value() : rows.rows[0][0];
  }

  std::string dir_, path_;
  std::unique_ptr<Driver> db_;
};

// message: what the failure says; nullptr for a connection that opens.
TEST_F(SqliteDriverTest, Open) {
  const std::string garbage = dir_ + "/garbage.db";
  std::ofstream(garbage) << std::string(2048, 'x');
  const std::string odd = dir_ + "/a;b.db";  // a ";" only a quoted value can hold
  std::filesystem::copy_file(path_, odd);
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
      {"segment without =", "Data Source=" + path_ + ";junk", 0, "could not be parsed"},
      {"ODBC driver not installed", "Driver={No Such Driver};Server=x", 0, "No Such Driver"},
      {"another provider", "Provider=SQLiteXYZ;Data Source=" + path_, 0, "is not available"},
      {"quoted path holding a ;, any case", " provider = SQLite3 ; data source = \"" + odd + "\";;",
       0, nullptr},
  };
  for (const Case& c : cases) {
    std::unique_ptr<Driver> db;
    Status st = OpenDriver(c.connection, &db);
    EXPECT_EQ(c.number, st.number()) << c.name;
    if (c.message == nullptr) {
      ASSERT_TRUE(st.ok()) << c.name << ": " << st.ToString();
      RowSet rows;
      EXPECT_TRUE(db->Run("SELECT COUNT(*) FROM T", &rows, nullptr).ok()) << c.name;
    } else {
      EXPECT_NE(std::string::npos, st.description().find(c.message))
          << c.name << ": " << st.ToString();
      EXPECT_EQ(nullptr, db) << c.name;
    }
  }
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/none.db")) << "opening must never create";
}

TEST_F(SqliteDriverTest, StatementResults) {
  std::string engine;
  RowSet rows;
  ASSERT_TRUE(
      db_->Run("INSERT INTO T (I) VALUES (1); SELECT I FROM T; UPDATE T SET I = 2", &rows, &engine)
          .ok());
  ASSERT_EQ(1u, rows.rows.size()) << "the SELECT is the last statement with columns";
  EXPECT_TRUE(Value::Int32(1) == rows.rows[0][0]);
  EXPECT_TRUE(Value::Int32(2) == Scalar("SELECT I FROM T")) << "statements after it ran too";
  ASSERT_TRUE(db_->Run("EXEC SP_032_ZOR_DUP_DOCTO_TRANSP2 '150', null, 9, 1", &rows, &engine).ok());
  EXPECT_EQ(0u, engine.rfind("SP_032_ZOR_DUP_DOCTO_TRANSP2 [num_docto=150, docto_id=null, "
                             "tipo_docto=9, ponto=1]: ",
                             0))
      << engine;

  ASSERT_TRUE(db_->Run("SELECT sysdate", &rows, &engine).ok());
  EXPECT_EQ("SELECT ocg_sysdate()", engine);
  Status st = db_->Run("SELECT 1; SELEC 2", &rows, &engine);
  EXPECT_EQ(SQLITE_ERROR, st.number());
  EXPECT_NE(std::string::npos, st.description().find("syntax error")) << st.description();
  EXPECT_FALSE(rows.has_columns) << "a failed run leaves the result empty";
}

// What a statement gives back: each column kind, dates stored in one form (so
// that text order is time order), the dialects' functions, and "(+)" outer
// joins, procedure calls. error: what fails instead of a value.
TEST_F(SqliteDriverTest, Values) {
  Scalar(
      "INSERT INTO T VALUES (5, 2.5, '2026-12-06 10:00:00', '2026-12-06 10:30:00', 3000000000);"
      "INSERT INTO T VALUES (NULL, NULL, NULL, 'soon', x'4142');"
      "INSERT INTO T (I, D) VALUES (1, ocg_date('31/12/2025 23:59')),"
      " (2, ocg_date('2026/01/01')), (3, ocg_date('02/01/2026'))");
  const std::string vehicle =
      " SELECT  TAB_TIPO_VEICULO.CAPACIDADE_KG , VEICULO_FORNECEDOR_ID  FROM  VEICULO_FORNECEDOR "
      "VEIC_FORN, TAB_TIPO_VEICULO  WHERE  VEIC_FORN.TAB_TIPO_VEICULO_ID = "
      "TAB_TIPO_VEICULO.TAB_TIPO_VEICULO_ID(+) AND  VEIC_FORN.VEICULO_FORNECEDOR_ID   = ";
  struct Case {
    const char* name;
    std::string sql;
    Value want;
    const char* error = "";
  };
  const Case cases[] = {
      {"integer", "SELECT I FROM T WHERE I = 5", Value::Int32(5)},
      {"integer beyond 32 bits", "SELECT N FROM T WHERE I = 5", Value::Double(3e9)},
      {"real", "SELECT R FROM T WHERE I = 5", Value::Double(2.5)},
      {"date-like text in a text column", "SELECT S FROM T WHERE I = 5",
       Value::Text("2026-12-06 10:00:00")},
      {"date column", "SELECT D FROM T WHERE I = 5", Value::Date({2026, 12, 6, 10, 30, 0})},
      {"date column holding no date", "SELECT D FROM T WHERE I IS NULL", Value::Text("soon")},
      {"null", "SELECT I FROM T WHERE I IS NULL", Value::Null()},
      {"blob", "SELECT N FROM T WHERE I IS NULL", Value::Text("AB")},
      {"stored date, day first", "SELECT ocg_date('06/12/2026')",
       Value::Text("2026-12-06 00:00:00")},
      {"stored date, short fields", "SELECT ocg_date('2026/1/6 8:30')",
       Value::Text("2026-01-06 08:30:00")},
      {"stored date, not a date", "SELECT ocg_date('amanhã')", Value(), "'amanhã' is not a date"},
      {"stored date, a day the calendar lacks", "SELECT ocg_date('29/02/1900')", Value(),
       "is not a date"},
      {"stored date, the 400-year leap day", "SELECT ocg_date('29/02/2000')",
       Value::Text("2000-02-29 00:00:00")},
      {"stored dates compare in time order",
       "SELECT COUNT(*) FROM T WHERE I < 5 AND D >= TO_DATE('2026/01/01 00:00:00', "
       "'YYYY/MM/DD hh24:mi:ss')",
       Value::Int32(2)},
      {"NVL null", "SELECT NVL(NULL, 5)", Value::Int32(5)},
      {"NVL value, types kept", "SELECT NVL('a', 1)", Value::Text("a")},
      {"TO_CHAR day first", "SELECT TO_CHAR('2026-12-06 09:05:07', 'DD/MM/YYYY')",
       Value::Text("06/12/2026")},
      {"TO_CHAR with time", "SELECT to_char('2026-12-06 09:05:07', 'yyyy/mm/dd hh24:mi:ss')",
       Value::Text("2026/12/06 09:05:07")},
      {"TO_CHAR serial", "SELECT TO_CHAR(46000, 'DD/MM/YYYY')", Value::Text("09/12/2025")},
      {"TO_CHAR null", "SELECT TO_CHAR(NULL, 'DD/MM/YYYY')", Value::Null()},
      {"TO_CHAR non-date", "SELECT TO_CHAR('abc', 'DD/MM/YYYY')", Value::Text("abc")},
      {"TO_DATE day first", "SELECT TO_DATE('06/12/2026', 'dd/mm/yyyy')",
       Value::Text("2026-12-06 00:00:00")},
      {"TO_DATE text shorter than pattern", "SELECT TO_DATE('2026/12/06', 'yyyy/mm/dd hh24:mi')",
       Value::Text("2026-12-06 00:00:00")},
      {"TO_DATE empty is null", "SELECT TO_DATE('', 'dd/mm/yyyy')", Value::Null()},
      {"TO_DATE month 13", "SELECT TO_DATE('2026/13/06', 'yyyy/mm/dd')", Value(), "ORA-01843"},
      {"TO_DATE 31 February", "SELECT TO_DATE('31/02/2026', 'dd/mm/yyyy')", Value(), "ORA-01847"},
      {"TO_DATE the last minute of a day",
       "SELECT TO_DATE('2026/12/06 23:59', 'yyyy/mm/dd hh24:mi')",
       Value::Text("2026-12-06 23:59:00")},
      {"TO_DATE hour 24", "SELECT TO_DATE('2026/12/06 24:00', 'yyyy/mm/dd hh24:mi')", Value(),
       "ORA-01850"},
      {"TO_DATE letters", "SELECT TO_DATE('ab/12/2026', 'dd/mm/yyyy')", Value(), "ORA-01858"},
      {"TO_DATE text longer", "SELECT TO_DATE('2026/12/06 10', 'yyyy/mm/dd')", Value(),
       "ORA-01830"},
      {"outer join, vehicle with its type", vehicle + "50", Value::Double(27000)},
      {"outer join keeps a vehicle without type", vehicle + "51", Value::Null()},
      {"procedure, arguments bound in call order", "EXEC SP_PMV_VER_EXIST_DOCTO_IMP 1, 10, 9, 2",
       Value::Int32(1)},
      {"procedure, upper end included", "EXEC SP_PMV_VER_EXIST_DOCTO_IMP 8, 150, 9, 1",
       Value::Int32(2)},
      {"procedure, text and order", "exec sp_032_zor_dup_docto_transp2 '150', 2, 9, 1",
       Value::Int32(1)},
      {"procedure, argument missing", "EXEC SP_PMV_VER_EXIST_DOCTO_IMP 1, 10, 9", Value(),
       "expects parameter ':ponto', which was not supplied"},
      {"no such procedure", "EXEC SP_X 1", Value(), "Could not find stored procedure 'SP_X'."},
  };
  for (const Case& c : cases) {
    RowSet rows;
    Status st = db_->Run(c.sql, &rows, nullptr);
    if (*c.error == '\0') {
      ASSERT_TRUE(st.ok() && rows.rows.size() == 1) << c.name << ": " << st.ToString();
      EXPECT_TRUE(c.want == rows.rows[0][0]) << c.name;
    } else {
      EXPECT_NE(std::string::npos, st.description().find(c.error))
          << c.name << ": " << st.ToString();
    }
  }
  for (const char* sql : {"SELECT GETDATE()", "SELECT sysdate"}) {
    const std::string before = CanonicalDateTime(Now());
    Value got = Scalar(sql);
    ASSERT_TRUE(got.is_text()) << sql;
    EXPECT_LE(before, got.text()) << sql;
    EXPECT_GE(CanonicalDateTime(Now()), got.text()) << sql;
  }
}

TEST_F(SqliteDriverTest, Transactions) {
  std::unique_ptr<Driver> other;
  ASSERT_TRUE(OpenSqliteDriver(path_, &other).ok());
  ASSERT_TRUE(db_->Begin(true).ok());
  Scalar("INSERT INTO T (I) VALUES (1)");
  ASSERT_TRUE(db_->Rollback().ok());
  EXPECT_TRUE(Value::Int32(0) == Scalar("SELECT COUNT(*) FROM T")) << "rolled back";

  ASSERT_TRUE(db_->Begin(false).ok());
  Scalar("INSERT INTO T (I) VALUES (2)");
  EXPECT_FALSE(db_->Begin(false).ok()) << "no nested transactions";
  ASSERT_TRUE(db_->Commit().ok());
  RowSet rows;
  ASSERT_TRUE(other->Run("SELECT I FROM T", &rows, nullptr).ok());
  EXPECT_EQ(1u, rows.rows.size()) << "committed work is visible to another connection";
  EXPECT_FALSE(db_->Commit().ok()) << "nothing left to commit";
}

// A statement kept prepared reads its columns once, and again when another
// connection changes the table under it.
TEST_F(SqliteDriverTest, KeptStatementsSeeTheColumnsOfANewSchema) {
  Scalar("INSERT INTO T (I, S) VALUES (1, 'a')");
  const char* sql = "SELECT * FROM T WHERE I = 1";
  for (int run = 0; run < 2; ++run) {
    RowSet rows;
    ASSERT_TRUE(db_->Run(sql, &rows, nullptr).ok());
    EXPECT_EQ(5u, rows.columns.size());
  }
  sqlite3* other = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open(path_.c_str(), &other));
  ASSERT_EQ(SQLITE_OK, sqlite3_exec(other,
                                    "ALTER TABLE T RENAME COLUMN S TO TEXTO; "
                                    "ALTER TABLE T ADD COLUMN EXTRA DEFAULT 'e'",
                                    nullptr, nullptr, nullptr));
  sqlite3_close(other);
  RowSet rows;
  ASSERT_TRUE(db_->Run(sql, &rows, nullptr).ok());
  ASSERT_EQ(6u, rows.columns.size());
  ASSERT_EQ(1u, rows.rows.size());
  EXPECT_EQ(2u, rows.columns.Find("texto"));
  EXPECT_EQ(Value::Text("e"), rows.rows[0][rows.columns.Find("EXTRA")]);
}

TEST_F(SqliteDriverTest, ReusableUntilTheFileIsReplaced) {
  EXPECT_TRUE(db_->Reusable());
  std::filesystem::copy_file(path_, dir_ + "/fresh.db");
  std::filesystem::rename(dir_ + "/fresh.db", path_);
  EXPECT_FALSE(db_->Reusable()) << "replaced";
}

}  // namespace
}  // namespace ocg
