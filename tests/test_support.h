// test_support.h: a demo database in a temporary directory, and small readers
// of its tables and of the statement trace.
#ifndef OCG_TESTS_TEST_SUPPORT_H_
#define OCG_TESTS_TEST_SUPPORT_H_

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "embedded/database.h"
#include "infra/record_set.h"
#include "infra/session.h"
#include "infra/sql_format.h"
#include "infra/trace.h"
#include "odbc/postgres_server.h"
#include "value/value.h"

namespace ocg::testing {

// The engines the operation tests run on: the embedded one, and a PostgreSQL
// server reached through ODBC (a server of the test process's own).
enum class Engine { kEmbedded, kPostgres };

inline const char* EngineName(Engine engine) {
  return engine == Engine::kEmbedded ? "embedded" : "PostgreSQL";
}

// The engines this machine runs the tests on: the embedded one always,
// PostgreSQL when its server and ODBC driver are installed (CI installs
// them; a machine without them says so once and tests the embedded engine).
inline std::vector<Engine> TestEngines() {
  static const std::vector<Engine> engines = [] {
    std::string why;
    bool missing = false;
    if (PostgresServer::Shared(&why, &missing) != nullptr) {
      return std::vector<Engine>{Engine::kEmbedded, Engine::kPostgres};
    }
    std::fprintf(stderr, "PostgreSQL not tested: %s\n", why.c_str());
    EXPECT_TRUE(missing) << why;
    return std::vector<Engine>{Engine::kEmbedded};
  }();
  return engines;
}

// A suite run on each engine: TEST_P(Suite, Name) reads engine(), and
// OCG_ON_EVERY_ENGINE(Suite) instantiates it. The PostgreSQL cases skip on a
// machine without PostgreSQL.
class EngineTest : public ::testing::TestWithParam<Engine> {
 protected:
  void SetUp() override {
    if (engine() == Engine::kPostgres && TestEngines().size() == 1) {
      GTEST_SKIP() << "PostgreSQL is not installed";
    }
  }
  Engine engine() const { return GetParam(); }
};

#define OCG_ON_EVERY_ENGINE(Suite)                                                             \
  INSTANTIATE_TEST_SUITE_P(                                                                    \
      Engines, Suite,                                                                          \
      ::testing::Values(::ocg::testing::Engine::kEmbedded, ::ocg::testing::Engine::kPostgres), \
      [](const ::testing::TestParamInfo<::ocg::testing::Engine>& info) {                       \
        return std::string(info.param == ::ocg::testing::Engine::kEmbedded ? "embedded"        \
                                                                           : "postgres");      \
      })

// A fresh database (demo data by default), with a directory of its own for
// the test's files; both removed at the end of the test. On PostgreSQL, a
// database of its own on the process's server, made as ocg init-db makes one.
class TempDatabase {
 public:
  explicit TempDatabase(bool demo = true) : TempDatabase(Engine::kEmbedded, demo) {}
  explicit TempDatabase(Engine engine, bool demo = true) : engine_(engine) {
    char pattern[] = "/tmp/ocg-test-XXXXXX";
    dir_ = mkdtemp(pattern);
    path_ = dir_ + "/test.db";
    if (engine == Engine::kEmbedded) {
      Status st = CreateDatabase(path_, demo);
      EXPECT_TRUE(st.ok()) << st.ToString();
      connection_ = "Data Source=" + path_;
      return;
    }
    std::string why;
    bool missing = false;
    server_ = PostgresServer::Shared(&why, &missing);
    if (server_ != nullptr) why = CreatePostgresDatabase(*server_, demo, &connection_);
    if (!missing) {
      EXPECT_EQ("", why);  // a missing server skips the test (EngineTest)
    }
  }
  ~TempDatabase() {
    CloseThreadConnections();
    if (server_ != nullptr && !connection_.empty()) DropPostgresDatabase(*server_, connection_);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  Engine engine() const { return engine_; }
  // The PostgreSQL server the database is on (nullptr for the embedded one).
  PostgresServer* server() const { return server_; }
  // The embedded database's file.
  const std::string& path() const { return path_; }
  const std::string& dir() const { return dir_; }
  const std::string& connection() const { return connection_; }
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
  Engine engine_;
  PostgresServer* server_ = nullptr;
  std::string dir_;
  std::string path_;
  std::string connection_;
};

// Runs body(p) for p = 0 .. processes - 1, each in a child process of its own
// and all at once, and waits for them; true when every child's body returned
// 0. The thread's pooled connections are closed first: children must not
// share the parent's handles.
inline bool InChildProcesses(int processes, const std::function<int(int)>& body) {
  CloseThreadConnections();
  std::vector<pid_t> children;
  for (int p = 0; p < processes; ++p) {
    const pid_t pid = fork();
    if (pid == 0) _exit(body(p));
    children.push_back(pid);
  }
  bool all_ok = true;
  for (pid_t pid : children) {
    int status = 0;
    all_ok &= pid != -1 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
              WEXITSTATUS(status) == 0;
  }
  return all_ok;
}

// A query's rows as text: "value value|value value|", null as "null".
inline std::string Text(const TempDatabase& db, const std::string& sql) {
  std::string out;
  for (const auto& row : db.Rows(sql)) {
    for (size_t i = 0; i < row.size(); ++i)
      out += (i ? " " : "") + (row[i].is_null() ? "null" : Cat(row[i]));
    out += "|";
  }
  return out;
}

// "ocg ARGS" run in this process: its exit status and what it printed.
struct CliRun {
  int code;
  std::string out, err;
};
inline CliRun RunOcg(std::vector<std::string> args) {
  args.insert(args.begin(), "ocg");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  std::ostringstream out, err;
  const int code = RunCli(static_cast<int>(argv.size()), argv.data(), out, err);
  return {code, out.str(), err.str()};
}

// Captures the statement trace for the life of the object.
class TraceCapture {
 public:
  explicit TraceCapture(const std::string& dir) : path_(dir + "/trace.jsonl") {
    EXPECT_TRUE(SetTraceFile(path_).ok());
  }
  ~TraceCapture() { SetTraceFile("").IgnoreError(); }
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

// Arguments as a front end might send them: four in thirteen are texts built
// from patterns (d a digit, s any sign, * a long run of signs), two in
// thirteen are shapes that look like SQL (operators, null tests, keywords,
// NUL bytes, a digit before a text too long to clean).
inline Value RandomValue(std::mt19937& rng) {
  auto pick = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  static const std::string kShapes[] = {"<> 5",
                                        "= 1",
                                        ">= 120",
                                        "IS NULL",
                                        "is not null",
                                        "null",
                                        "NULL",
                                        std::string("120\0", 4),
                                        std::string("\0", 1),
                                        "1; DELETE FROM LOG_MSG",
                                        "9 UNION SELECT 1",
                                        "-1",
                                        "--1",
                                        "1 + 1",
                                        "9'; --",
                                        "7" + std::string(40000, '(')};
  constexpr std::string_view kPatterns =
      "|d|ddddddddd|ddd,dd|ddd.dd|d.ddd.ddd|dd'd|dd\"d| dd |dd dd|açÃé Ú|s|ssssssss|*|dddd -- s|"
      "d OR d=d|dddddddddddddddddddd";
  static const std::string kSigns = "0159,.'\"()[] aZ;-/*%&+<>\te";
  const int kind = pick(13);
  if (kind >= 11) return Value::Text(kShapes[pick(std::size(kShapes))]);
  if (kind < 2) return kind == 0 ? Value::Null() : Value();
  if (kind == 2) return Value::Int32(pick(300));
  if (kind == 3) return Value::Int32(static_cast<int32_t>(rng()));
  if (kind == 4) return Value::Double(std::pow(-10.0, 16 + pick(285)));
  if (kind == 5) return Value::Double((pick(199999) - 99999) / 7.0);
  if (kind == 6) return Value::Bool(pick(2) == 1);
  std::string_view pattern = kPatterns;
  for (int k = pick(static_cast<int>(std::ranges::count(kPatterns, '|')) + 1); k > 0; --k) {
    pattern.remove_prefix(pattern.find('|') + 1);
  }
  std::string s;
  for (char p : pattern.substr(0, pattern.find('|'))) {
    const int signs = p == 's' ? 1 : p == '*' ? 300 + pick(4700) : 0;
    for (int n = 0; n < signs; ++n) s += kSigns[pick(static_cast<int>(kSigns.size()))];
    if (p == 'd') {
      s += static_cast<char>('0' + pick(10));
    } else if (signs == 0) {
      s += p;
    }
  }
  return Value::Text(s);
}

}  // namespace ocg::testing

#endif  // OCG_TESTS_TEST_SUPPORT_H_
