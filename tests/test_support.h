// test_support.h: a demo database in a temporary directory, and small readers
// of its tables and of the statement trace.
#ifndef OCG_TESTS_TEST_SUPPORT_H_
#define OCG_TESTS_TEST_SUPPORT_H_

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "embedded/database.h"
#include "infra/record_set.h"
#include "infra/session.h"
#include "infra/trace.h"
#include "value/value.h"

namespace ocg::testing {

// A fresh database (demo data by default) in its own directory, removed at the
// end of the test.
class TempDatabase {
 public:
  explicit TempDatabase(bool demo = true) {
    char pattern[] = "/tmp/ocg-test-XXXXXX";
    dir_ = mkdtemp(pattern);
    path_ = dir_ + "/test.db";
    Status st = CreateDatabase(path_, demo);
    EXPECT_TRUE(st.ok()) << st.ToString();
  }
  ~TempDatabase() {
    CloseThreadConnections();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  const std::string& path() const { return path_; }
  const std::string& dir() const { return dir_; }
  std::string connection() const { return "Data Source=" + path_; }
  Value conn() const { return Value::Text(connection()); }

  // Runs a statement outside any operation (autocommit).
  void Exec(const std::string& sql) const {
    Status st = Execute(sql, conn());
    ASSERT_TRUE(st.ok()) << sql << ": " << st.ToString();
  }
  // Every row of a query; fails the test on an error.
  std::vector<std::vector<Value>> Rows(const std::string& sql) const {
    RowSet rows;
    Status st = RunStatement(connection(), sql, &rows);
    EXPECT_TRUE(st.ok()) << sql << ": " << st.ToString();
    return rows.rows;
  }
  // The first column of the first row (Empty when there is none).
  Value Scalar(const std::string& sql) const {
    auto rows = Rows(sql);
    return rows.empty() || rows[0].empty() ? Value() : rows[0][0];
  }
  long Count(const std::string& table) const {
    Value v = Scalar("SELECT COUNT(*) FROM " + table);
    return v.kind() == Value::Kind::kInt32 ? v.int32() : -1;
  }

 private:
  std::string dir_;
  std::string path_;
};

// Captures the statement trace for the life of the object.
class TraceCapture {
 public:
  explicit TraceCapture(const std::string& dir) : path_(dir + "/trace.jsonl") {
    SetTraceFile(path_);
  }
  ~TraceCapture() { SetTraceFile(""); }
  std::vector<nlohmann::json> Lines() const {
    std::vector<nlohmann::json> lines;
    std::ifstream in(path_);
    std::string line;
    while (std::getline(in, line)) lines.push_back(nlohmann::json::parse(line));
    return lines;
  }
  std::vector<std::string> Statements() const {
    std::vector<std::string> out;
    for (const auto& l : Lines()) out.push_back(l["sql"].get<std::string>());
    return out;
  }
  void Clear() const { std::ofstream(path_, std::ios::trunc); }

 private:
  std::string path_;
};

}  // namespace ocg::testing

#endif  // OCG_TESTS_TEST_SUPPORT_H_
