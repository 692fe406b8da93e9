#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "cli/cli_app.h"
#include "cli/dispatch.h"
#include "cli/value_json.h"
#include "embedded/schema_versions.h"
#include "embedded/sqlite_file.h"
#include "server/server_process.h"
#include "test_support.h"

namespace ocg {
namespace {

using testing::TempDatabase;
using testing::TraceCapture;

using testing::CliRun;
using testing::RunOcg;

TEST(CliTest, BadInputIsRefusedBeforeAnythingRuns) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    const char* want_err;
  };
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  const std::string large = "{\"invntDocto_Transp_id\": \"" + std::string(5 << 20, '7') + "\"}";
  const Case cases[] = {
      {"JSON nested 100,000 deep",
       {"call", "gCons_Docto_Transp", "{\"invntDocto_Transp_id\": " + deep + "}"},
       "nest deeper than"},
      {"JSON over the size limit", {"call", "gCons_Docto_Transp", large}, "larger than"},
      {"an array inside an array",
       {"call", "gCons_Docto_Transp", R"({"invntDocto_Transp_id": [1, [2]]})"},
       "not arrays"},
      {"user 1.0 is not user 10",
       {"call", "gCons_Docto_Transp", "{}", "--user", "1.0"},
       "must be a whole number"},
      {"user past 32 bits",
       {"call", "gCons_Docto_Transp", "{}", "--user", "4294967297"},
       "must be a whole number"},
      {"trace file that cannot be written",
       {"call", "gCons_Docto_Transp", "{}", "--trace", "/nonexistent/dir/trace.jsonl"},
       "cannot open the trace file"},
      {"unknown operation", {"call", "gNada", "{}"}, "unknown operation 'gNada'"},
      {"unknown argument",
       {"call", "gCons_Docto_Transp", R"({"invntDocto": 1})"},
       "unknown argument 'invntDocto'"},
      {"wrong array length",
       {"call", "mVer_Dup_Col_Geral", "[1, 2, 3]"},
       "takes 8 arguments, the array has 3"},
      {"malformed JSON",
       {"call", "gCons_Docto_Transp", R"({"invntDocto_Transp_id": )"},
       "not valid JSON"},
      {"object of the wrong shape",
       {"call", "gCons_Docto_Transp", R"({"invntDocto_Transp_id": {"x": 1}})"},
       "argument invntDocto_Transp_id"},
      {"impossible date",
       {"call", "gCons_Docto_Transp",
        R"({"invntDocto_Transp_id": {"date": "2026-02-31T00:00:00"}})"},
       "a date must read"},
      {"typed text argument given a number",
       {"call", "mBusca_EMail_Usuario", R"({"InStrBanco_Dados": 5})"},
       "must be a string"},
      {"typed integer argument given a text",
       {"call", "mBusca_EMail_Usuario", R"({"InLngUsuario_Internet_ID": "5"})"},
       "must be a 32-bit whole number"},
      {"typed integer argument past 32 bits",
       {"call", "mBusca_EMail_Usuario", R"({"InLngUsuario_Internet_ID": 4294967300})"},
       "must be a 32-bit whole number"},
      {"arguments neither object nor array",
       {"call", "gCons_Docto_Transp", "42"},
       "must be a JSON object or array"},
  };
  TempDatabase db;
  TraceCapture trace(db.dir());
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--connect", db.connection(), "--kind", "ORACLE"});
    if (std::ranges::find(args, "--user") == args.end()) args.insert(args.end(), {"--user", "1"});
    CliRun r = RunOcg(args);
    EXPECT_EQ(2, r.code) << c.name;
    EXPECT_NE(std::string::npos, r.err.find(c.want_err)) << c.name << ": " << r.err.substr(0, 200);
    // One line: the offending input is never echoed back whole.
    EXPECT_LT(r.err.size(), 1000u) << c.name;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << c.name;
    EXPECT_TRUE(r.out.empty()) << c.name;
  }
  ::setenv("OCG_SQL_TRACE", "/nonexistent/dir/trace.jsonl", 1);
  ::setenv("OCG_USER", "1.0", 1);
  EXPECT_EQ(2, RunOcg({"call", "gCons_Docto_Transp", "{}", "--connect", db.connection()}).code)
      << "OCG_USER=1.0";
  ::unsetenv("OCG_USER");
  EXPECT_EQ(2, RunOcg({"call", "gCons_Docto_Transp", "{}", "--connect", db.connection()}).code)
      << "OCG_SQL_TRACE unwritable";
  ::unsetenv("OCG_SQL_TRACE");
  EXPECT_TRUE(trace.Statements().empty()) << "a refused call ran a statement";
  EXPECT_EQ(0, db.Count("LOG_MSG"));
}

// A password never comes back: not in the printed arguments, not in the
// parse error that a malformed string produces.
TEST(CliTest, PasswordsAreMaskedWhereverAConnectionStringIsPrinted) {
  TempDatabase db;
  const std::string cases[] = {db.connection() + ";Password=s3cr3t",
                               db.connection() + "; PWD = \"s3;cr3t\"",
                               "Password=s3;cr3t;" + db.connection()};
  for (const std::string& connection : cases) {
    CliRun r = RunOcg({"call", "gCons_Docto_Transp", R"({"invntDocto_Transp_id": 1})", "--connect",
                       connection, "--kind", "ORACLE", "--user", "1"});
    EXPECT_NE(2, r.code) << connection << r.err;
    EXPECT_EQ(std::string::npos, (r.out + r.err).find("s3")) << connection << r.out << r.err;
    EXPECT_NE(std::string::npos, r.out.find("***")) << connection;
  }
}

// The operation ran, but its answer was lost: not a success.
TEST(CliTest, AnAnswerThatCannotBeWrittenIsNotASuccess) {
  TempDatabase db;
  std::vector<std::string> args = {"ocg", "call",      "gCons_Docto_Transp",
                                   "{}",  "--connect", db.connection()};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  std::ostream closed(nullptr);  // every write fails
  std::ostringstream err;
  EXPECT_EQ(3, RunCli(static_cast<int>(argv.size()), argv.data(), closed, err));
  EXPECT_NE(std::string::npos, err.str().find("could not be written"));
}

TEST(CliTest, JsonValuesKeepTheirKinds) {
  struct Case {
    const char* name;
    const char* json;
    Value::Kind kind;
  };
  const Case cases[] = {
      {"null", "null", Value::Kind::kNull},
      {"integer", "7", Value::Kind::kInt32},
      {"decimal", "7.5", Value::Kind::kDouble},
      {"the largest 32-bit integer", "2147483647", Value::Kind::kInt32},
      {"the smallest", "-2147483648", Value::Kind::kInt32},
      {"one past the largest", "2147483648", Value::Kind::kDouble},
      {"text", "\"7\"", Value::Kind::kText},
      {"boolean", "true", Value::Kind::kBool},
      {"date", R"({"date": "2026-12-06T08:30:00"})", Value::Kind::kDate},
      {"empty", R"({"empty": true})", Value::Kind::kEmpty},
      {"array", "[1, \"a\"]", Value::Kind::kArray},
  };
  const OperationInfo* op = FindOperation("gCons_Flag_Progr");
  ASSERT_NE(nullptr, op);
  for (const Case& c : cases) {
    std::vector<Value> args;
    nlohmann::ordered_json input = {{"invntCliente_id", nlohmann::ordered_json::parse(c.json)}};
    ASSERT_TRUE(BuildArguments(*op, input, {}, &args).ok()) << c.name;
    EXPECT_EQ(c.kind, args[0].kind()) << c.name;
    EXPECT_EQ(nlohmann::ordered_json::parse(c.json), ValueToJson(args[0])) << c.name;
  }
}

// "ocg sql": statements run through the engine the operations use, in one
// transaction, with their results as tables or JSON lines.
TEST(CliTest, SqlRunsStatementsAsTheOperationsDo) {
  TempDatabase db;
  auto sql = [&db](std::vector<std::string> args) {
    args.insert(args.begin(), {"sql", db.path()});
    return RunOcg(args);
  };
  EXPECT_EQ(
      "ID  | NOME_FANTASIA         | EMAIL\n----+-----------------------+-----------------------\n"
      "203 | JOÃO CARLOS DA SILVA  | joao.silva@hotmail.com\n204 | MARIA APARECIDA SOUZA | NULL\n"
      "(2 rows)\n",
      sql({"SELECT PESSOA_ID AS ID, NOME_FANTASIA, EMAIL FROM PESSOA WHERE PESSOA_ID > 202 "
           "AND PESSOA_ID < 205"})
          .out);
  // A date written through the schema's trigger, read with Oracle's functions.
  EXPECT_EQ(R"({"columns":["D","T"],"rows":[[{"date":"2026-12-06T08:30:00"},"06/12/2026"]]})"
            "\n",
            sql({"UPDATE DOCTO_TRANSPORTE SET DATA_IMPRESSAO = '06/12/2026 08:30' WHERE "
                 "DOCTO_TRANSPORTE_ID = 1; SELECT DATA_IMPRESSAO D, NVL(TO_CHAR(DATA_IMPRESSAO, "
                 "'DD/MM/YYYY'), 0) T FROM DOCTO_TRANSPORTE WHERE DOCTO_TRANSPORTE_ID = 1",
                 "--json"})
                .out);
  // A trigger's body is one statement; a bundled procedure runs.
  EXPECT_EQ("FLAG_PROGRAM_CARGA\n------------------\nS\n(1 row)\n",
            sql({"CREATE TRIGGER T AFTER UPDATE ON CLIENTE BEGIN SELECT 1; END; "
                 "EXEC SP_ZOR_CON_FLAG_PROGR 101;"})
                .out);
  EXPECT_EQ(1, sql({"UPDATE PESSOA SET EMAIL = 'x' WHERE PESSOA_ID = 204; SELEC 1"}).code);
  EXPECT_TRUE(db.Scalar("SELECT EMAIL FROM PESSOA WHERE PESSOA_ID = 204").is_null())
      << "the first failure rolls every statement back";
  EXPECT_EQ(2, sql({" ; "}).code) << "nothing to run";
  // Statements that would take the transaction away are refused before
  // anything runs; PRAGMAs that only read run.
  const char* refused[] = {"DELETE FROM LOG_GERADOR; COMMIT; BEGIN; SELECT * FROM nope",
                           "DELETE FROM LOG_GERADOR; /* done */ end",
                           "SAVEPOINT a; DELETE FROM LOG_GERADOR; RELEASE a",
                           "ROLLBACK",
                           "ATTACH 'x.db' AS x",
                           "VACUUM",
                           "PRAGMA user_version = 0",
                           "PRAGMA main.journal_mode=DELETE",
                           "PRAGMA foreign_keys(1)",
                           "pragma optimize"};
  for (const char* statements : refused) {
    const CliRun r = sql({statements});
    EXPECT_EQ(2, r.code) << statements;
    EXPECT_NE(std::string::npos, r.err.find("nothing was run")) << statements << ": " << r.err;
    EXPECT_EQ(1, db.Count("LOG_GERADOR")) << statements;
  }
  EXPECT_EQ(0, sql({"PRAGMA table_info(LOG_GERADOR); PRAGMA integrity_check; PRAGMA "
                    "user_version; SELECT COUNT(*) FROM LOG_GERADOR"})
                   .code);
  EXPECT_EQ(2, RunOcg({"sql", db.dir() + "/none.db", "SELECT 1"}).code);
}

// A date column holds dates only: whatever writes one (an operator's
// statement here) is refused a text that is no date or a day the calendar
// lacks, and the order query then answers the date it had, under both kinds.
TEST(CliTest, DateColumnsHoldOnlyDates) {
  TempDatabase db;
  const struct {
    const char* literal;
    const char* stored;  // nullptr: refused
  } cases[] = {
      {"garbage", nullptr},
      {"31/02/2026", nullptr},
      {"2026-13-45", nullptr},
      {"29/02/1900", nullptr},
      {"", nullptr},
      {"29/02/2000", "29/02/2000"},
      {"2026/12/06 10:30", "06/12/2026"},
      {"06/12/2026", "06/12/2026"},
  };
  for (const auto& c : cases) {
    const CliRun r = RunOcg({"sql", db.path(),
                             std::string("UPDATE DOCTO_TRANSPORTE SET DATA_EMISSAO = '") +
                                 c.literal + "' WHERE DOCTO_TRANSPORTE_ID = 1"});
    EXPECT_EQ(c.stored ? 0 : 1, r.code) << c.literal << ": " << r.err;
    if (!c.stored) {
      EXPECT_NE(std::string::npos, r.err.find("is not a date")) << c.literal;
    }
    for (const char* kind : {"ORACLE", "SQLSERVER"}) {
      const CliRun q = RunOcg({"call", "gCons_Docto_Transp", R"({"invntDocto_Transp_id": 1})",
                               "--connect", db.connection(), "--kind", kind});
      const auto answer = nlohmann::json::parse(q.out);
      EXPECT_EQ(0, answer["result"]) << c.literal << " " << kind;
      const std::string date = answer["arguments"]["outvntData_Emissao"];
      EXPECT_EQ(c.stored ? c.stored : date, date) << c.literal << " " << kind;
      EXPECT_EQ(10u, date.size()) << c.literal << " " << kind;
    }
  }
}

// "ocg check" finds nothing wrong in a new file, and names each row a file
// came to hold by other means (here an old program's hand, without the
// triggers), exiting 1.
TEST(CliTest, CheckNamesEveryRowItFinds) {
  TempDatabase db;
  CliRun r = RunOcg({"check", db.path()});
  EXPECT_EQ(0, r.code) << r.out << r.err;
  EXPECT_EQ("no problem found\n", r.out);
  sqlite3* raw = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open(db.path().c_str(), &raw));
  ASSERT_EQ(
      SQLITE_OK,
      sqlite3_exec(raw,
                   "DROP TRIGGER DOCTO_TRANSPORTE_DATAS_UPD; "
                   "UPDATE DOCTO_TRANSPORTE SET DATA_PREV_CARREGAMENTO = '31/02/2026' "
                   "WHERE DOCTO_TRANSPORTE_ID = 4; "
                   "UPDATE PROGRAM_CARGA SET TON_P_ESCOAR = -0.5 WHERE PROGRAM_CARGA_ID = 12; "
                   "INSERT INTO HIST_PROGR_ESCOAM VALUES (900, 77777, 11, 2), "
                   "(901, 1, 88888, -1)",
                   nullptr, nullptr, nullptr));
  sqlite3_close(raw);
  CloseThreadConnections();
  r = RunOcg({"check", db.path()});
  EXPECT_EQ(1, r.code);
  EXPECT_EQ(
      "DOCTO_TRANSPORTE DOCTO_TRANSPORTE_ID=4 DATA_PREV_CARREGAMENTO: '31/02/2026' is not a date\n"
      "HIST_PROGR_ESCOAM HIST_PROGR_ESCOAM_ID=900 DOCTO_TRANSPORTE_ID: '77777' links to an order "
      "that does not exist\n"
      "HIST_PROGR_ESCOAM HIST_PROGR_ESCOAM_ID=901 PROGRAM_CARGA_ID: '88888' links to a programme "
      "that does not exist\n"
      "HIST_PROGR_ESCOAM HIST_PROGR_ESCOAM_ID=901 ULTIMA_TON_PROGR: '-1' is a negative tonnage\n"
      "PROGRAM_CARGA PROGRAM_CARGA_ID=12 TON_P_ESCOAR: '-0,5' is a negative tonnage\n",
      r.out);
  EXPECT_EQ(2, RunOcg({"check", db.dir() + "/none.db"}).code);
}

// A file of an earlier version is refused by each command that opens it, with
// the command that fixes it, until it is upgraded: then the job list of a file
// made before the job runner's columns reads. A newer file is refused naming
// both versions, and left as it was.
TEST(CliTest, CommandsRefuseAFileOfAnotherVersionUntilItIsUpgraded) {
  TempDatabase db(/*demo=*/false);
  const std::string path = db.dir() + "/v2.db", source = "Data Source=" + path;
  {
    std::ofstream(path).flush();
    SqliteHandle file(nullptr, &sqlite3_close);
    ASSERT_TRUE(OpenDatabaseFile(path, &file).ok());
    for (const SchemaStep& step : EmbeddedSchemaSteps()) {
      if (step.version <= 2) {
        ASSERT_TRUE(ExecSql(file.get(), step.file, step.sql).ok());
      }
    }
    ASSERT_TRUE(ExecSql(file.get(), "stamp", "PRAGMA user_version = 2").ok());
  }
  const std::vector<std::vector<std::string>> commands = {
      {"call", "gCons_Docto_Transp", R"({"invntDocto_Transp_id": 1})", "--kind", "ORACLE",
       "--connect", source},
      {"jobs", "--db", source},
      {"sql", path, "SELECT COUNT(*) FROM LOG_GERADOR"}};
  // Each command as the operator runs it, its output and error as one text.
  auto each_says = [&](const std::string& what, bool says) {
    for (std::vector<std::string> command : commands) {
      command.insert(command.begin(), OCG_BINARY);
      testing::ChildProcess run(db.dir(), command, "^$never");
      run.Wait();
      EXPECT_EQ(says, run.Output().find(what) != std::string::npos)
          << command[1] << ": " << run.Output();
    }
    testing::ServerProcess serve(db.dir(), {"--db", "main=" + source});
    EXPECT_EQ(says, serve.Output().find(what) != std::string::npos) << serve.Output();
  };
  const std::string current = std::to_string(CurrentSchemaVersion());
  each_says("is at schema version 2, older than version " + current +
                " that this ocg uses: upgrade it first with \"ocg upgrade " + path + "\"",
            true);
  CliRun upgraded = RunOcg({"upgrade", path});
  EXPECT_EQ(0, upgraded.code) << upgraded.err;
  EXPECT_EQ(0u, upgraded.out.find("Upgraded " + path + " from schema version 2 to " + current))
      << upgraded.out;
  each_says("schema version", false);
  EXPECT_EQ(0, RunOcg({"jobs", "--db", source}).code);

  {  // a newer program's file (ocg sql refuses to set the version itself)
    SqliteHandle file(nullptr, &sqlite3_close);
    ASSERT_TRUE(OpenDatabaseFile(path, &file).ok());
    ASSERT_TRUE(ExecSql(file.get(), "stamp", "PRAGMA user_version = 999").ok());
  }
  auto bytes = [&path] {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string before = bytes();
  each_says("is at schema version 999, newer than version " + current, true);
  CliRun refused = RunOcg({"upgrade", path});
  EXPECT_EQ(1, refused.code);
  EXPECT_NE(std::string::npos,
            refused.err.find("schema version 999, newer than version " + current));
  EXPECT_TRUE(before == bytes()) << "the newer file changed";
}

}  // namespace
}  // namespace ocg
