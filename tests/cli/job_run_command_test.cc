// "ocg jobs run" and "ocg jobs" as an operator runs them, against a real SMTP
// server, and the runner program stopped by a signal in the middle of a
// delivery.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "child_process.h"
#include "cli/cli_app.h"
#include "jobs/cva_job_call.h"
#include "jobs/smtp_test_server.h"
#include "test_support.h"

namespace ocg {
namespace {

using testing::TempDatabase;

using testing::CliRun;
const auto& Ocg = testing::RunOcg;

int32_t RegisterCvaJob(const TempDatabase& db) {
  testing::JobCall call("SQLSERVER", db);
  EXPECT_TRUE(call.Run()) << Cat(call.msg);
  return call.job_id.ToInt32().ok() ? call.job_id.ToInt32().value() : 0;
}

TEST(JobRunCommandTest, RefusesWhatItCannotUse) {
  TempDatabase db;
  const std::string cs = db.connection();
  const std::vector<std::string> cases[] = {
      {"jobs", "run", "--once", "--db", cs},  // no sender
      {"jobs", "run", "--once", "--db", cs, "--from", "coleta"},
      {"jobs", "run", "--once", "--from", "coleta@tarvosa.com.br"},  // no database
  };
  for (const auto& args : cases) {
    const CliRun r = Ocg(args);
    EXPECT_EQ(2, r.code) << args.back() << ": " << r.out << r.err;
    EXPECT_EQ("", r.out) << args.back();
  }
}

// One round with nobody listening and one attempt: `ocg jobs` shows the
// job's status, attempts and error, in the table and in JSON.
TEST(JobRunCommandTest, OnceRunsTheDueJobsAndJobsShowsHowTheyEnded) {
  TempDatabase db;
  testing::LoopbackSocket nobody(/*listening=*/false);
  const std::string id = std::to_string(RegisterCvaJob(db));
  CliRun r = Ocg({"jobs", "run", "--once", "--db", db.connection(), "--from",
                  "coleta@tarvosa.com.br", "--attempts", "1", "--smtp", nobody.url()});
  ASSERT_EQ(0, r.code) << r.out << r.err;
  EXPECT_NE(std::string::npos, r.out.find("job " + id + " (attempt 1): failed: Failed to connect"))
      << r.out;

  r = Ocg({"jobs", "--connect", db.connection()});
  ASSERT_EQ(0, r.code) << r.err;
  std::istringstream lines(r.out);
  std::map<std::string, std::string> by_id;
  for (std::string line; std::getline(lines, line);) by_id[line.substr(0, line.find(' '))] = line;
  EXPECT_NE(std::string::npos, by_id["ID"].find("ATTEMPTS  NEXT TRY  LAST ERROR")) << r.out;
  EXPECT_NE(std::string::npos, by_id[id].find("4 failed")) << r.out;
  EXPECT_NE(std::string::npos, by_id[id].find("  1  ")) << r.out;
  EXPECT_NE(std::string::npos, by_id[id].find("Failed to connect to 127.0.0.1")) << r.out;

  r = Ocg({"jobs", "--json", "--status", "4", "--connect", db.connection()});
  const auto json = nlohmann::json::parse(r.out);
  ASSERT_EQ(1u, json.size()) << r.out;
  EXPECT_EQ("failed 1",
            json[0]["status_name"].get<std::string>() + " " + json[0]["attempts"].dump());
  EXPECT_NE(std::string::npos, json[0]["last_error"].get<std::string>().find("Failed to connect"));
}

// SIGTERM while the server keeps the runner waiting: the runner exits at
// once, and the job is waiting again, unclaimed, its attempt not counted.
TEST(JobRunCommandTest, ASignalDuringADeliveryPutsTheJobBack) {
  TempDatabase db;
  testing::LoopbackSocket silent(/*listening=*/true);
  const std::string id = std::to_string(RegisterCvaJob(db));
  testing::ChildProcess runner(
      db.dir(),
      {OCG_BINARY, "jobs", "run", "--db", db.connection(), "--from", "coleta@tarvosa.com.br",
       "--smtp", silent.url(), "--interval", "1", "--timeout", "60"},
      "(running the due jobs)");
  ASSERT_TRUE(runner.ready()) << runner.Output();
  const std::string status =
      "SELECT TAB_STATUS_JOB_ID FROM LOG_GERADOR WHERE LOG_GERADOR_ID = " + id;
  for (int i = 0; i < 500 && db.Scalar(status).int32() != 2; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_EQ(2, db.Scalar(status).int32()) << "never claimed: " << runner.Output();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(0, runner.Stop(SIGTERM)) << runner.Output();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_NE(std::string::npos, runner.Output().find("back to waiting")) << runner.Output();
  EXPECT_EQ("1|0|", Cat(db.Scalar("SELECT TAB_STATUS_JOB_ID || '|' || QTDE_TENTATIVAS || '|' || "
                                  "IFNULL(TXT_EXECUTOR, '') FROM LOG_GERADOR WHERE "
                                  "LOG_GERADOR_ID = " +
                                  id)));
}

}  // namespace
}  // namespace ocg
