// The same record-set cases on every engine: the embedded one, the SQLite
// ODBC driver on a file and PostgreSQL's ODBC driver on a server of the
// tests' own. Each case runs through RecordSet and the session, as the
// operations do.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "infra/driver.h"
#include "infra/record_set.h"
#include "infra/session.h"
#include "odbc/postgres_server.h"
#include "value/value.h"

namespace ocg {
namespace {

namespace fs = std::filesystem;
using testing::PostgresServer;

enum class Engine { kEmbedded, kSqliteOdbc, kPostgres };

std::string Name(Engine engine) {
  switch (engine) {
    case Engine::kEmbedded:
      return "embedded";
    case Engine::kSqliteOdbc:
      return "sqlite_odbc";
    default:
      return "postgresql";
  }
}
std::string EngineName(const ::testing::TestParamInfo<Engine>& info) { return Name(info.param); }
void PrintTo(Engine engine, std::ostream* out) { *out << Name(engine); }

// Types every engine reads alike; SQLite takes any of these names.
constexpr const char* kTable =
    "CREATE TABLE T (K INTEGER, I INTEGER, B BIGINT, R DOUBLE PRECISION, N NUMERIC(12,3), "
    "S TEXT, D TIMESTAMP)";

constexpr const char* kAccents = "Não há ação: ÁÉÍÓÚ çÇ ü €";

class RecordSetEngineTest : public ::testing::TestWithParam<Engine> {
 protected:
  void SetUp() override {
    if (GetParam() == Engine::kPostgres) {
      std::string why;
      bool missing = false;
      PostgresServer* server = PostgresServer::Shared(&why, &missing);
      if (missing) GTEST_SKIP() << why;
      ASSERT_NE(nullptr, server) << why;
      server_ = server;
      connection_ = server->connection();
      for (const char* table : {"T", "INFRA_IDS"}) {
        Execute(std::string("DROP TABLE IF EXISTS ") + table, conn()).IgnoreError();
      }
    } else {
      char pattern[] = "/tmp/ocg-engines-XXXXXX";
      dir_ = mkdtemp(pattern);
      const std::string path = dir_ + "/test.db";
      std::ofstream(path).flush();  // an empty file is an empty SQLite database
      if (GetParam() == Engine::kEmbedded) {
        connection_ = "Data Source=" + path;
      } else {
        if (!fs::exists("/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so")) {
          GTEST_SKIP() << "the SQLite ODBC driver is not installed: apt-get install libsqliteodbc";
        }
        connection_ = "Driver=SQLite3;Database=" + path;
      }
    }
    Exec(kTable);
    Exec("CREATE TABLE INFRA_IDS (DOCTO_TRANSPORTE_ID INTEGER)");
    Exec("INSERT INTO INFRA_IDS VALUES (0)");
  }
  void TearDown() override {
    CloseThreadConnections();
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  Value conn() const { return Value::Text(connection_); }
  void Exec(const std::string& sql) {
    Status st = Execute(sql, conn());
    ASSERT_TRUE(st.ok()) << sql << ": " << st.ToString();
  }
  long Count(const std::string& where) {
    RecordSet rs;
    Status st = rs.Open("SELECT COUNT(*) AS C FROM T WHERE " + where, conn());
    EXPECT_TRUE(st.ok()) << st.ToString();
    Result<Value> c = rs.Field("c");
    return c.ok() && c.value().kind() == Value::Kind::kInt32 ? c.value().int32() : -1;
  }

  std::string dir_;
  std::string connection_;
  PostgresServer* server_ = nullptr;
};

TEST_P(RecordSetEngineTest, ValuesReadAlike) {
  Exec(std::string("INSERT INTO T VALUES (1, 2147483647, 3000000000, 12.5, 1234.5, '") + kAccents +
       "', '2026-12-06 08:30:00')");
  Exec("INSERT INTO T VALUES (2, NULL, NULL, NULL, NULL, NULL, NULL)");
  Exec("INSERT INTO T VALUES (3, -5, 7, -0.25, 0.001, '', '2026-01-31 00:00:00')");
  struct Case {
    const char* name;
    int row;
    const char* column;  // in another case than the table's: names match without it
    Value want;
  };
  const Case cases[] = {
      {"largest int32", 0, "i", Value::Int32(2147483647)},
      {"beyond int32 widens", 0, "b", Value::Double(3e9)},
      {"bigint that fits", 2, "B", Value::Int32(7)},
      {"double", 0, "r", Value::Double(12.5)},
      {"negative double", 2, "R", Value::Double(-0.25)},
      {"decimal", 0, "n", Value::Double(1234.5)},
      {"small decimal", 2, "N", Value::Double(0.001)},
      {"accents", 0, "s", Value::Text(kAccents)},
      {"empty text is not null", 2, "S", Value::Text("")},
      {"timestamp", 0, "d", Value::Date({2026, 12, 6, 8, 30, 0})},
      {"midnight", 2, "D", Value::Date({2026, 1, 31, 0, 0, 0})},
  };
  RecordSet rs;
  ASSERT_TRUE(rs.Open("SELECT K, I, B, R, N, S, D FROM T ORDER BY K", conn()).ok());
  ASSERT_TRUE(rs.IsOpen());
  EXPECT_EQ(3, rs.RecordCount());
  for (const Case& c : cases) {
    rs.MoveFirst();
    for (int r = 0; r < c.row; ++r) rs.MoveNext();
    Result<Value> got = rs.Field(c.column);
    ASSERT_TRUE(got.ok()) << c.name << ": " << got.status().ToString();
    EXPECT_EQ(c.want, got.value()) << c.name << ": got " << got.value().TextOrEmpty();
  }
  rs.MoveFirst();
  rs.MoveNext();
  for (const char* column : {"I", "B", "R", "N", "S", "D"}) {
    EXPECT_TRUE(rs.Field(column).value().is_null()) << column;
  }
  EXPECT_EQ(1, Count(std::string("S = '") + kAccents + "'")) << "accents reach the engine intact";
  EXPECT_EQ(3265, rs.Field("NO_SUCH_COLUMN").status().number());
  rs.MoveLast();
  rs.MoveNext();
  EXPECT_TRUE(rs.Eof());
  EXPECT_EQ(3021, rs.Field("K").status().number());
}

TEST_P(RecordSetEngineTest, RowlessStatementsLeaveTheSetClosed) {
  RecordSet rs;
  ASSERT_TRUE(rs.Open("INSERT INTO T (K) VALUES (1)", conn()).ok());
  EXPECT_FALSE(rs.IsOpen());
  EXPECT_TRUE(rs.Eof());
  ASSERT_TRUE(rs.Open("UPDATE T SET I = 1 WHERE K = 99", conn()).ok()) << "no row touched";
  EXPECT_FALSE(rs.IsOpen());
  ASSERT_TRUE(rs.Open("SELECT K FROM T WHERE K = 99", conn()).ok());
  EXPECT_TRUE(rs.IsOpen()) << "a result without rows is open";
  EXPECT_TRUE(rs.Eof());
}

TEST_P(RecordSetEngineTest, LongTextsWhole) {
  // Long enough to come in many pieces; two-byte characters straddle the
  // pieces' edges.
  std::string text;
  while (text.size() < 100000) text += "ação-";
  Exec("INSERT INTO T (K, S) VALUES (1, '" + text + "')");
  RecordSet rs;
  ASSERT_TRUE(rs.Open("SELECT S FROM T", conn()).ok());
  EXPECT_TRUE(rs.Field("S").value() == Value::Text(text)) << "a long text comes back whole";
}

TEST_P(RecordSetEngineTest, RowCountsBeforeTheResult) {
  if (GetParam() == Engine::kSqliteOdbc) {
    GTEST_SKIP() << "the SQLite ODBC driver runs one statement at a time";
  }
  Exec("INSERT INTO T (K) VALUES (1)");
  RecordSet rs;
  ASSERT_TRUE(
      rs.Open("UPDATE T SET I = 5 WHERE K = 1; SELECT K, I FROM T ORDER BY K", conn()).ok());
  ASSERT_TRUE(rs.IsOpen());
  EXPECT_EQ(Value::Int32(5), rs.Field("I").value());
}

TEST_P(RecordSetEngineTest, ErrorsCarryTheEnginesText) {
  RecordSet rs;
  Status st = rs.Open("SELECT X FROM NO_SUCH_TABLE", conn());
  ASSERT_FALSE(st.ok());
  EXPECT_FALSE(rs.IsOpen());
  std::string lower;
  for (char c : st.description()) lower += static_cast<char>(std::tolower(c));
  EXPECT_NE(std::string::npos, lower.find("no_such_table")) << st.ToString();
  // The connection goes on serving after a rejected statement.
  EXPECT_EQ(0, Count("K = 1"));
}

TEST_P(RecordSetEngineTest, OperationsAreAllOrNothing) {
  {
    OperationScope failed(/*for_write=*/true);
    Exec("INSERT INTO T (K) VALUES (1)");
    RunAfterScope(connection_, "INSERT INTO T (K) VALUES (2)");  // as the message log does
  }
  EXPECT_EQ(0, Count("K = 1")) << "rolled back";
  EXPECT_EQ(1, Count("K = 2")) << "written after the rollback";
  {
    OperationScope done(/*for_write=*/true);
    Exec("INSERT INTO T (K) VALUES (3)");
    ASSERT_TRUE(done.Commit().ok());
  }
  EXPECT_EQ(1, Count("K = 3"));
}

TEST_P(RecordSetEngineTest, ADroppedConnectionIsReopened) {
  // How each engine loses a connection: the server ends the session, or
  // the embedded file is replaced. Either way one row more (K = 7) is there
  // for the next connection alone to see. A SQLite ODBC connection to a file
  // has nothing that can cut it from outside.
  auto drop = [this] {
    if (GetParam() == Engine::kPostgres) {
      std::unique_ptr<Driver> admin;
      ASSERT_TRUE(OpenDriver(connection_, &admin).ok());
      ASSERT_TRUE(admin
                      ->Run("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                            "WHERE pid <> pg_backend_pid() AND backend_type = 'client backend'; "
                            "INSERT INTO T (K) VALUES (7)",
                            nullptr, nullptr)
                      .ok());
    } else {
      const std::string path = dir_ + "/test.db";
      fs::copy_file(path, path + ".new");
      sqlite3* copy = nullptr;
      ASSERT_EQ(SQLITE_OK, sqlite3_open((path + ".new").c_str(), &copy));
      ASSERT_EQ(SQLITE_OK,
                sqlite3_exec(copy, "INSERT INTO T (K) VALUES (7)", nullptr, nullptr, nullptr));
      sqlite3_close(copy);
      fs::rename(path + ".new", path);
    }
  };
  if (GetParam() == Engine::kSqliteOdbc) GTEST_SKIP() << "nothing cuts a SQLite ODBC connection";
  Exec("INSERT INTO T (K) VALUES (1)");
  {
    // Lost inside an operation: the operation fails.
    OperationScope scope(/*for_write=*/false);
    EXPECT_EQ(1, Count("K = 1"));
    drop();
    if (GetParam() == Engine::kPostgres) {
      RecordSet rs;
      EXPECT_FALSE(rs.Open("SELECT K FROM T", conn()).ok());
    }
  }
  EXPECT_EQ(1, Count("K = 7")) << "the next call opens a new connection";
  drop();  // lost while the connection waits in the pool
  EXPECT_EQ(2, Count("K = 7"));
}

INSTANTIATE_TEST_SUITE_P(Engines, RecordSetEngineTest,
                         ::testing::Values(Engine::kEmbedded, Engine::kSqliteOdbc,
                                           Engine::kPostgres),
                         EngineName);

}  // namespace
}  // namespace ocg
