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
#include "test_support.h"

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

// The first column of each row of sql, as text.
std::vector<std::string> Column(sqlite3* db, const std::string& sql) {
  std::vector<std::string> out;
  sqlite3_stmt* stmt = nullptr;
  EXPECT_EQ(SQLITE_OK, sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr)) << sql;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    out.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
  }
  sqlite3_finalize(stmt);
  return out;
}

// Each table of db and its columns in order, each column written as
// column_form writes it, joined by separator.
std::vector<std::pair<std::string, std::string>> Tables(sqlite3* db, const char* column_form,
                                                        const char* separator) {
  std::vector<std::pair<std::string, std::string>> tables;
  for (const std::string& table :
       Column(db, "SELECT name FROM sqlite_schema WHERE type = 'table' ORDER BY name")) {
    std::string columns;
    for (const std::string& c :
         Column(db, "SELECT printf('" + std::string(column_form) +
                        "', name) FROM pragma_table_info('" + table + "')")) {
      columns += (columns.empty() ? "" : separator) + c;
    }
    tables.emplace_back(table, columns);
  }
  return tables;
}

// Every row of every table the file at old_path has, in the columns it has
// there, read from the file at path: "TABLE|'text'|12|NULL" lines.
std::string Rows(const std::string& old_path, const std::string& path) {
  SqliteHandle db = Open(path);
  std::string out;
  for (const auto& [table, row] : Tables(Open(old_path).get(), "quote(%s)", " || '|' || ")) {
    for (const std::string& line :
         Column(db.get(), "SELECT " + row + " FROM " + table + " ORDER BY rowid")) {
      out += table + "|" + line + "\n";
    }
  }
  return out;
}

class UpgradeTest : public ::testing::Test {
 protected:
  // A file made by the steps up to version, saying it is at stamp, holding
  // the demonstration rows in the columns that version has.
  std::string MakeFile(const std::string& name, int version, int stamp) {
    const std::string path = demo_.dir() + "/" + name;
    std::ofstream(path).flush();  // an empty file is an empty database
    SqliteHandle db = Open(path);
    Exec(db.get(), "PRAGMA journal_mode = WAL");
    for (const SchemaStep& step : EmbeddedSchemaSteps()) {
      if (step.version <= version) Exec(db.get(), std::string(step.sql));
    }
    Exec(db.get(), "PRAGMA user_version = " + std::to_string(stamp));
    std::string copy = "ATTACH '" + demo_.path() + "' AS demo; DELETE FROM INFRA_IDS;";
    for (const auto& [table, columns] : Tables(db.get(), "%s", ", ")) {
      copy += "INSERT INTO main." + table + " (" + columns + ") SELECT " + columns + " FROM demo." +
              table + ";";
    }
    Exec(db.get(), copy + "DETACH demo");
    return path;
  }

  std::vector<std::string> Backups() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(demo_.dir())) {
      if (entry.path().extension() == ".bak") names.push_back(entry.path().string());
    }
    return names;
  }

  testing::TempDatabase demo_;  // its directory holds the test's files
};

// Each earlier version, as its own release stamped it and as a release from
// before versions were counted did (every such file says 1).
TEST_F(UpgradeTest, EveryEarlierVersionBecomesANewFileWithEveryRow) {
  const int current = CurrentSchemaVersion();
  ASSERT_GE(current, 3);
  const std::vector<std::string> new_file = Schema(demo_.path());
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
