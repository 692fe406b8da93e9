// Tests of the embedded database: creating the file, the schema the statements
// rely on, the demonstration data set and the bundled procedures, each run
// against a real database file made by CreateDatabase and read through the
// Driver, as the component reads it.
#include "embedded/database.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include "infra/driver.h"
#include "infra/sql_format.h"

namespace ocg {
namespace {

namespace fs = std::filesystem;

constexpr char kCanonicalDate[] =
    "[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9]";

class DatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ocg-database-XXXXXX";
    dir_ = mkdtemp(pattern);
    path_ = dir_ + "/ocg.db";
  }
  void TearDown() override {
    db_.reset();
    fs::remove_all(dir_);
  }
  // Creates the database at path_ and opens it.
  void Create(bool demo) {
    Status st = CreateDatabase(path_, demo);
    ASSERT_TRUE(st.ok()) << st.ToString();
    st = OpenDriver("Data Source=" + path_, &db_);
    ASSERT_TRUE(st.ok()) << st.ToString();
  }
  // The first cell of sql's result as text: "<null>", "<no row>", or the error.
  std::string Cell(const std::string& sql) {
    RowSet rows;
    Status st = db_->Run(sql, &rows, nullptr);
    if (!st.ok()) return "error: " + st.description();
    if (rows.rows.empty()) return "<no row>";
    return rows.rows[0][0].is_null() ? "<null>" : Cat(rows.rows[0][0]);
  }

  std::string dir_, path_;
  std::unique_ptr<Driver> db_;
};

TEST_F(DatabaseTest, CreatesTheSchemaOnceAndNeverOverwrites) {
  Create(/*demo=*/false);
  EXPECT_EQ("0|0|0|0", Cell("SELECT DOCTO_TRANSPORTE_ID || '|' || HIST_PROGR_ESCOAM_ID || '|' || "
                            "LOG_GERADOR_ID || '|' || LOG_SISTEMA_ID FROM INFRA_IDS"));
  EXPECT_EQ("0", Cell("SELECT COUNT(*) FROM DOCTO_TRANSPORTE"));
  EXPECT_EQ("wal", Cell("PRAGMA journal_mode"));

  Status again = CreateDatabase(path_, true);
  EXPECT_EQ("Database file already exists: " + path_, again.description());
  EXPECT_EQ("0", Cell("SELECT COUNT(*) FROM DOCTO_TRANSPORTE")) << "left alone";
  // Not a database at all: refused just the same, its content untouched.
  const std::string text = dir_ + "/text.db";
  std::ofstream(text) << "not a database";
  EXPECT_EQ("Database file already exists: " + text, CreateDatabase(text, true).description());
  std::stringstream content;
  content << std::ifstream(text).rdbuf();
  EXPECT_EQ("not a database", content.str());

  EXPECT_FALSE(CreateDatabase(dir_ + "/missing/ocg.db", true).ok());
  EXPECT_FALSE(fs::exists(dir_ + "/missing/ocg.db"));
}

// A creator killed at any moment leaves either nothing at the path or a whole
// database: never an empty file, nor one without its tables.
TEST_F(DatabaseTest, ACreatorKilledMidwayNeverLeavesAHalfMadeFile) {
  std::mt19937 rng(7);
  int complete = 0, absent = 0;
  for (int attempt = 0; attempt < 25; ++attempt) {
    pid_t pid = fork();
    ASSERT_NE(-1, pid);
    if (pid == 0) _exit(CreateDatabase(path_, /*demo=*/true).ok() ? 0 : 1);
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % 40000));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    if (fs::exists(path_)) {
      ++complete;
      ASSERT_TRUE(OpenDriver("Data Source=" + path_, &db_).ok()) << "attempt " << attempt;
      EXPECT_EQ("1", Cell("SELECT COUNT(*) FROM INFRA_IDS")) << "attempt " << attempt;
      EXPECT_NE("0", Cell("SELECT COUNT(*) FROM DOCTO_TRANSPORTE")) << "attempt " << attempt;
      db_.reset();
    } else {
      ++absent;
    }
    for (const auto& entry : fs::directory_iterator(dir_)) fs::remove(entry.path());
  }
  EXPECT_GT(absent, 0) << "no kill landed before the end: the test proves nothing";
  EXPECT_GT(complete + absent, 0);
}

// Every DATE column of the demo data holds dates, all in the stored form; and
// dates written later, in either dialect's form or by the clock, are stored
// alike on insert and on update, while other values pass untouched.
TEST_F(DatabaseTest, DatesAreStoredInOneForm) {
  Create(/*demo=*/true);
  RowSet cols;
  ASSERT_TRUE(db_->Run("SELECT m.name, c.name FROM sqlite_master AS m, pragma_table_info(m.name) "
                       "AS c WHERE m.type = 'table' AND c.type = 'DATE'",
                       &cols, nullptr)
                  .ok());
  ASSERT_FALSE(cols.rows.empty());
  for (const auto& row : cols.rows) {
    const std::string table = Cat(row[0]), col = Cat(row[1]);
    const std::string from = " FROM " + table + " WHERE " + col + " IS NOT NULL";
    EXPECT_EQ("0", Cell("SELECT COUNT(*)" + from + " AND NOT (" + col + " GLOB '" + kCanonicalDate +
                        "' AND typeof(" + col + ") = 'text')"))
        << table << "." << col;
    // The message log starts empty, and so do the job runner's retry and
    // claim dates; every other date column holds demo dates.
    if (table != "LOG_MSG" && col != "DATA_PROXIMA_TENTATIVA" && col != "DATA_RESERVA") {
      EXPECT_NE("0", Cell("SELECT COUNT(*)" + from)) << table << "." << col;
    }
  }

  struct Case {
    const char* name;
    const char* literal;  // an SQL expression
    const char* want;     // what the column holds after the write
    bool refused = false;
  };
  const Case cases[] = {
      {"Oracle TO_DATE", "TO_DATE('2026/12/06 10:31:05', 'YYYY/MM/DD hh24:mi:ss')",
       "2026-12-06 10:31:05"},
      {"year first, minutes", "'2026/12/06 09:05'", "2026-12-06 09:05:00"},
      {"day first, short fields", "'7/1/2027 8:05'", "2027-01-07 08:05:00"},
      // Refused, and what was there stays.
      {"not a date", "'sem data'", "2027-01-07 08:05:00", true},
      {"a day the calendar lacks", "'31/02/2026'", "2027-01-07 08:05:00", true},
  };
  for (const Case& c : cases) {
    const std::string lit(c.literal);
    const bool refused = c.refused;
    EXPECT_EQ(
        refused ? "error" : "<no row>",
        Cell("INSERT INTO LOG_MSG (TAB_TIPO_MSG_ID, DATA_LOG, MSG01) VALUES (1, " + lit + ", 'k')")
            .substr(0, refused ? 5 : std::string::npos))
        << "insert " << c.name;
    EXPECT_EQ(c.want, Cell("SELECT CAST(DATA_LOG AS TEXT) FROM LOG_MSG ORDER BY LOG_MSG_ID DESC"))
        << "insert " << c.name;
    EXPECT_EQ(
        refused ? "error" : "<no row>",
        Cell("UPDATE PROGRAM_CARGA SET DATA_ENCERRAMENTO = " + lit + " WHERE PROGRAM_CARGA_ID = 11")
            .substr(0, refused ? 5 : std::string::npos))
        << "update " << c.name;
    EXPECT_EQ(c.want, Cell("SELECT CAST(DATA_ENCERRAMENTO AS TEXT) FROM PROGRAM_CARGA "
                           "WHERE PROGRAM_CARGA_ID = 11"))
        << "update " << c.name;
  }
  EXPECT_EQ("1", Cell(std::string("UPDATE DOCTO_TRANSPORTE SET DATA_EMISSAO = sysdate WHERE ") +
                      "DOCTO_TRANSPORTE_ID = 4; SELECT DATA_EMISSAO GLOB '" + kCanonicalDate +
                      "' FROM DOCTO_TRANSPORTE WHERE DOCTO_TRANSPORTE_ID = 4"));
}

TEST_F(DatabaseTest, ReferencesBetweenDemoRowsResolve) {
  Create(/*demo=*/true);
  struct Case {
    const char* name;
    const char* orphans;  // counts rows whose neighbour is missing
  };
  const Case cases[] = {
      {"order customer and destination address",
       "SELECT COUNT(*) FROM DOCTO_TRANSPORTE D LEFT JOIN CLIENTE C ON C.PESSOA_ID = D.CLIENTE_ID "
       "LEFT JOIN ENDERECO_PESSOA E ON E.ENDERECO_PESSOA_ID = D.END_DESTINATARIO_ID "
       "WHERE C.PESSOA_ID IS NULL OR E.MUNICIPIO_ID IS NOT D.DESTINO_ID"},
      {"links join active orders and programmes",
       "SELECT COUNT(*) FROM HIST_PROGR_ESCOAM WHERE DOCTO_TRANSPORTE_ID NOT IN (SELECT "
       "DOCTO_TRANSPORTE_ID FROM DOCTO_TRANSPORTE WHERE TAB_STATUS_ID = 1) OR PROGRAM_CARGA_ID "
       "NOT IN (SELECT PROGRAM_CARGA_ID FROM PROGRAM_CARGA)"},
  };
  for (const Case& c : cases) EXPECT_EQ("0", Cell(c.orphans)) << c.name;
}

}  // namespace
}  // namespace ocg
