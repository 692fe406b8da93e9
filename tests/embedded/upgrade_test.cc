// Upgrades of the embedded file: a file of each earlier schema version, built
// from the upgrade steps themselves and holding the demonstration rows,
// becomes a new file's schema with every row kept; files that cannot be
// upgraded, and an upgrade whose step fails, leave the file as it was.
#include "embedded/upgrade.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "embedded/database.h"
#include "embedded/schema_shape.h"
#include "embedded/sqlite_driver.h"
#include "embedded/sqlite_file.h"
#include "infra/driver.h"

namespace ocg {
namespace {

namespace fs = std::filesystem;

SqliteHandle Open(const std::string& path) {
  SqliteHandle db(nullptr, &sqlite3_close);
  Status st = OpenDatabaseFile(path, &db);
  EXPECT_TRUE(st.ok()) << st.ToString();
  return db;
}

void Exec(sqlite3* db, const std::string& sql) {
  Status st = ExecSql(db, "test", sql);
  ASSERT_TRUE(st.ok()) << st.ToString();
}

std::vector<std::string> Schema(const std::string& path) {
  std::vector<std::string> lines;
  Status st = DescribeSchema(Open(path).get(), &lines);
  EXPECT_TRUE(st.ok()) << st.ToString();
  return lines;
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every row of every table the file at old_path has, in the columns it has
// there, read from the file at path: "TABLE|'text'|12|NULL" lines.
std::string Rows(const std::string& old_path, const std::string& path) {
  SqliteHandle old_db = Open(old_path), db = Open(path);
  sqlite3_stmt* tables = nullptr;
  sqlite3_prepare_v2(old_db.get(),
                     "SELECT m.name, group_concat('quote(' || c.name || ')', \" || '|' || \") "
                     "FROM sqlite_schema AS m, pragma_table_info(m.name) AS c "
                     "WHERE m.type = 'table' GROUP BY m.name ORDER BY m.name",
                     -1, &tables, nullptr);
  std::string out;
  while (sqlite3_step(tables) == SQLITE_ROW) {
    const std::string table = reinterpret_cast<const char*>(sqlite3_column_text(tables, 0));
    const std::string row = reinterpret_cast<const char*>(sqlite3_column_text(tables, 1));
    sqlite3_stmt* rows = nullptr;
    EXPECT_EQ(SQLITE_OK,
              sqlite3_prepare_v2(db.get(),
                                 ("SELECT " + row + " FROM " + table + " ORDER BY rowid").c_str(),
                                 -1, &rows, nullptr))
        << sqlite3_errmsg(db.get());
    while (sqlite3_step(rows) == SQLITE_ROW) {
      out += table + "|" + reinterpret_cast<const char*>(sqlite3_column_text(rows, 0)) + "\n";
    }
    sqlite3_finalize(rows);
  }
  sqlite3_finalize(tables);
  return out;
}

class UpgradeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ocg-upgrade-XXXXXX";
    dir_ = mkdtemp(pattern);
    demo_ = dir_ + "/demo.db";
    ASSERT_TRUE(CreateDatabase(demo_, /*demo=*/true).ok());
  }
  void TearDown() override { fs::remove_all(dir_); }

  // A file made by the steps up to version, saying it is at stamp, holding
  // the demonstration rows in the columns that version has.
  std::string MakeFile(const std::string& name, int version, int stamp) {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path).flush();  // an empty file is an empty database
    SqliteHandle db = Open(path);
    Exec(db.get(), "PRAGMA journal_mode = WAL");
    for (const SchemaStep& step : EmbeddedSchemaSteps()) {
      if (step.version <= version) Exec(db.get(), std::string(step.sql));
    }
    Exec(db.get(), "PRAGMA user_version = " + std::to_string(stamp));
    Exec(db.get(), "ATTACH '" + demo_ + "' AS demo; DELETE FROM INFRA_IDS");
    sqlite3_stmt* tables = nullptr;
    sqlite3_prepare_v2(db.get(),
                       "SELECT m.name, group_concat(c.name) FROM sqlite_schema AS m, "
                       "pragma_table_info(m.name) AS c WHERE m.type = 'table' GROUP BY m.name",
                       -1, &tables, nullptr);
    std::string copy;
    while (sqlite3_step(tables) == SQLITE_ROW) {
      const std::string table = reinterpret_cast<const char*>(sqlite3_column_text(tables, 0));
      const std::string columns = reinterpret_cast<const char*>(sqlite3_column_text(tables, 1));
      copy += "INSERT INTO main." + table + " (" + columns + ") SELECT " + columns + " FROM demo." +
              table + ";";
    }
    sqlite3_finalize(tables);
    Exec(db.get(), copy);
    Exec(db.get(), "DETACH demo");
    return path;
  }

  std::vector<std::string> Backups() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      if (entry.path().extension() == ".bak") names.push_back(entry.path().string());
    }
    return names;
  }

  std::string dir_, demo_;
};

// Each earlier version, as its own release stamped it and as a release from
// before versions were counted did (every such file says 1).
TEST_F(UpgradeTest, EveryEarlierVersionBecomesANewFileWithEveryRow) {
  const int current = CurrentSchemaVersion();
  ASSERT_GE(current, 3);
  const std::vector<std::string> new_file = Schema(demo_);
  std::vector<std::pair<int, int>> files;  // version, stamp
  for (int version = 1; version < current; ++version) files.emplace_back(version, version);
  for (int version = 2; version <= current; ++version) files.emplace_back(version, 1);
  for (const auto& [version, stamp] : files) {
    SCOPED_TRACE("version " + std::to_string(version) + " saying " + std::to_string(stamp));
    const std::string path = MakeFile(
        "v" + std::to_string(version) + "-" + std::to_string(stamp) + ".db", version, stamp);
    UpgradeOutcome done;
    Status st = UpgradeDatabaseFile(path, EmbeddedSchemaSteps(), &done);
    ASSERT_TRUE(st.ok()) << st.ToString();
    EXPECT_EQ(stamp, done.stamped);
    EXPECT_EQ(version, done.from);
    EXPECT_EQ(current, done.to);
    EXPECT_EQ("", SchemaDifference(Schema(path), new_file));
    ASSERT_TRUE(fs::exists(done.backup));
    int64_t was = 0;  // the copy is the file as it was
    ASSERT_TRUE(QueryInteger(Open(done.backup).get(), "PRAGMA user_version", &was).ok());
    EXPECT_EQ(stamp, was);
    EXPECT_EQ(Rows(done.backup, done.backup), Rows(done.backup, path));
    EXPECT_NE("", Rows(done.backup, path));
    std::unique_ptr<Driver> opened;
    EXPECT_TRUE(OpenSqliteDriver(path, &opened).ok());

    // Run again, it does nothing: no copy, not a byte changed.
    const std::string before = Bytes(path);
    const size_t copies = Backups().size();
    st = UpgradeDatabaseFile(path, EmbeddedSchemaSteps(), &done);
    ASSERT_TRUE(st.ok()) << st.ToString();
    EXPECT_EQ(current, done.from);
    EXPECT_EQ("", done.backup);
    EXPECT_EQ(copies, Backups().size());
    EXPECT_TRUE(before == Bytes(path));
  }
}

// Refused or failed: the file keeps its version and every byte, no copy is
// left, and the message says why.
TEST_F(UpgradeTest, WhatCannotBeUpgradedIsLeftAsItWas) {
  const int current = CurrentSchemaVersion();
  std::vector<SchemaStep> failing = EmbeddedSchemaSteps();
  failing.push_back({current + 1, "999_fails_midway.sql",
                     "CREATE TABLE MARCA (A); ALTER TABLE LOG_GERADOR ADD COLUMN X INTEGER; "
                     "INSERT INTO NENHUMA VALUES (1);"});
  struct Case {
    const char* name;
    int version, stamp;
    std::string damage;  // run on the file first
    const std::vector<SchemaStep>* steps;
    std::string upgrade_says;  // empty: the upgrade succeeds
    std::string opening_says;  // empty: the file opens
  };
  const std::vector<SchemaStep>& steps = EmbeddedSchemaSteps();
  const std::string now = std::to_string(current), next = std::to_string(current + 1);
  const Case cases[] = {
      {"the next version", current, current + 1, "", &steps,
       "is at schema version " + next + ", newer than version " + now,
       "is at schema version " + next + ", newer than version " + now},
      {"an older version, opened", 1, 1, "", &steps, "",
       "older than version " + now + " that this ocg uses: upgrade it first with \"ocg upgrade "},
      {"a step failing midway", 1, 1, "", &failing, "999_fails_midway.sql: no such table: NENHUMA",
       "older than version"},
      {"a file before versions matching none", 2, 1, "DROP INDEX PESSOA_PJ_CGC", &steps,
       "says schema version 1, but its schema is none of versions 1 to " + now +
           " (nearest: version 2, missing: index PESSOA_PJ_CGC",
       "older than version"},
      {"a file ocg did not make", 1, 0, "", &steps, "is not an ocg database (schema version 0)",
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = MakeFile(std::string(c.name) + ".db", c.version, c.stamp);
    if (!c.damage.empty()) Exec(Open(path).get(), c.damage);
    const std::string before = Bytes(path);
    std::unique_ptr<Driver> opened;
    Status open = OpenSqliteDriver(path, &opened);
    EXPECT_EQ(c.opening_says.empty(), open.ok()) << open.ToString();
    EXPECT_NE(std::string::npos, open.description().find(c.opening_says)) << open.ToString();
    opened.reset();
    if (!c.upgrade_says.empty()) {
      UpgradeOutcome done;
      Status st = UpgradeDatabaseFile(path, *c.steps, &done);
      EXPECT_NE(std::string::npos, st.description().find(c.upgrade_says)) << st.ToString();
      EXPECT_EQ("", done.backup);
    }
    EXPECT_TRUE(before == Bytes(path)) << "the file changed";
    EXPECT_TRUE(Backups().empty()) << Backups().front();
  }
}

}  // namespace
}  // namespace ocg
