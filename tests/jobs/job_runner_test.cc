// The job runner against a real embedded database and a real SMTP server.
#include "jobs/job_runner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>
#include <sstream>

#include "jobs/cva_job_call.h"
#include "jobs/smtp_mailer.h"
#include "jobs/smtp_test_server.h"
#include "odbc/postgres_server.h"
#include "test_support.h"
#include "value/date_time.h"

namespace ocg {
namespace {

using testing::JobCall;
using testing::SmtpTestServer;
using testing::TempDatabase;

constexpr char kSender[] = "coleta@tarvosa.com.br";
constexpr DateTime kT0{2026, 12, 7, 9, 0, 0};

// A runner as `ocg jobs run` makes one, delivering to url.
struct Runner {
  StopFlag stop;
  SmtpMailer mailer;
  std::ostringstream log;
  JobRunner runner;
  Runner(const std::string& connection, const std::string& url, std::string name = "test:1")
      : mailer(url, std::chrono::seconds(5), &stop),
        runner({.connection = connection,
                .sender = kSender,
                .max_attempts = 3,
                .name = std::move(name)},
               &mailer, &stop, &log) {}
  int Round() {
    int claimed = -1;
    Status st = runner.RunDueJobs(&claimed);
    EXPECT_TRUE(st.ok()) << st.ToString();
    return claimed;
  }
};

// Fixes the clock for the life of the object.
struct FixedClock {
  explicit FixedClock(const DateTime& at) { Set(at); }
  ~FixedClock() { SetClockForTesting(std::nullopt); }
  void Set(const DateTime& at) { SetClockForTesting(at); }
};

int32_t Register(const TempDatabase& db, const char* kind, void (*change)(JobCall&) = nullptr) {
  JobCall call(kind, db);
  if (change != nullptr) change(call);
  EXPECT_TRUE(call.Run()) << Cat(call.msg);
  return call.job_id.ToInt32().ok() ? call.job_id.ToInt32().value() : 0;
}

JobRow Job(const TempDatabase& db, int32_t id) {
  JobRow row;
  bool found = false;
  EXPECT_TRUE(ReadJob(db.connection(), id, &row, &found).ok());
  EXPECT_TRUE(found) << id;
  return row;
}

// The messages the server accepted, by job.
std::multimap<std::string, nlohmann::json> ByJob(const SmtpTestServer& server) {
  std::multimap<std::string, nlohmann::json> by_job;
  for (const auto& m : server.Messages()) by_job.emplace(m["job"].get<std::string>(), m);
  return by_job;
}

TEST(JobRunnerTest, CarriesOutEachJobOnceAsItsRowSays) {
  struct Case {
    const char* name;
    const char* kind;
    void (*change)(JobCall&);
    int32_t status, attempts;
    const char* error;  // part of the last error ("" for none)
    const char* to;     // the one recipient; nullptr: no message
    const char* from = nullptr;
    std::string subject = "";
    std::vector<std::string> body = {};  // parts of the body
  };
  const Case cases[] = {
      {"CVA job",
       "SQLSERVER",
       nullptr,
       kJobDone,
       1,
       "",
       "ana@tarvosa.com.br",
       kSender,
       testing::kCvaTitle,
       {"CVA eletrônico: 778899\n", ", função 2305.\n"}},
      {"CVA job registered under ORACLE, upper-cased",
       "ORACLE",
       nullptr,
       kJobDone,
       1,
       "",
       "ANA@TARVOSA.COM.BR",
       kSender,
       "GRAVAÇÃO DO ARQUIVO DE CVA ELETRÔNICO ENCERRADA.",
       {"CVA eletrônico: 778899\n"}},
      {"own sender, text and attachment",
       "SQLSERVER",
       [](JobCall& c) {
         c.remetente = Value::Text("numeracao@tarvosa.com.br");
         c.texto = Value::Text("Arquivo pronto.");
         c.anexo = Value::Text("https://arquivos.tarvosa.com.br/cva/778899.txt");
       },
       kJobDone,
       1,
       "",
       "ana@tarvosa.com.br",
       "numeracao@tarvosa.com.br",
       testing::kCvaTitle,
       {"Arquivo pronto.\n\nCVA eletrônico: 778899\n",
        "Anexo: https://arquivos.tarvosa.com.br/cva/778899.txt\n"}},
      {"flag N: done without a message", "SQLSERVER", [](JobCall& c) { c.flag = Value::Text("N"); },
       kJobDone, 1, "", nullptr},
      {"unknown function: failed, not retried", "SQLSERVER",
       [](JobCall& c) { c.funcao = Value::Int32(999); }, kJobFailed, 1,
       "unknown function code 999:", nullptr},
      {"2305 without its CVA number", "SQLSERVER", [](JobCall& c) { c.qtde = Value::Int32(0); },
       kJobFailed, 1, "needs the CVA number", nullptr},
      {"recipient refused for good: failed at once", "SQLSERVER",
       [](JobCall& c) { c.destinatario = Value::Text("recusado@tarvosa.com.br"); }, kJobFailed, 1,
       "SMTP 550 5.1.1 mailbox unavailable", nullptr},
      {"start date not reached", "SQLSERVER",
       [](JobCall& c) { c.data_inicio = Value::Text("01/01/2099"); }, kJobWaiting, 0, "", nullptr},
  };
  TempDatabase db;
  SmtpTestServer server(db.dir());
  ASSERT_TRUE(server.ready()) << server.Output();
  std::vector<int32_t> ids;
  for (const Case& c : cases) ids.push_back(Register(db, c.kind, c.change));
  Runner runner(db.connection(), server.url());
  EXPECT_EQ(static_cast<int>(std::size(cases)) - 1, runner.Round()) << runner.log.str();
  EXPECT_EQ(0, runner.Round()) << "nothing is claimed twice";

  const auto by_job = ByJob(server);
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    const JobRow job = Job(db, ids[i]);
    EXPECT_EQ(c.status, JobStatusCode(job.status)) << c.name;
    EXPECT_EQ(c.attempts, job.attempts) << c.name;
    EXPECT_NE(std::string::npos, Cat(job.last_error).find(c.error))
        << c.name << ": " << Cat(job.last_error);
    EXPECT_EQ(*c.error == '\0', job.last_error.is_null()) << c.name;
    EXPECT_TRUE(job.executor.is_null() && job.claimed_at.is_null()) << c.name << ": claim left";
    const auto [first, last] = by_job.equal_range(std::to_string(ids[i]));
    ASSERT_EQ(c.to == nullptr ? 0 : 1, std::distance(first, last)) << c.name;
    if (c.to == nullptr) continue;
    const nlohmann::json& m = first->second;
    EXPECT_EQ(nlohmann::json::array({c.to}), m["rcpt_tos"]) << c.name;
    EXPECT_EQ(c.to, m["to"]) << c.name;
    EXPECT_EQ(c.from, m["mail_from"]) << c.name;
    EXPECT_EQ(c.subject, m["subject"]) << c.name;
    for (const std::string& part : c.body) {
      EXPECT_NE(std::string::npos, m["body"].get<std::string>().find(part))
          << c.name << ": " << m["body"];
    }
  }
}

TEST(JobRunnerTest, ServerDownRetriesAfterGrowingDelaysThenFails) {
  TempDatabase db;
  testing::LoopbackSocket nobody(/*listening=*/false);
  FixedClock clock(kT0);
  const int32_t id = Register(db, "SQLSERVER");
  Runner runner(db.connection(), nobody.url());
  struct Step {
    int at;  // seconds after kT0
    int claimed;
    int32_t status, attempts;
    int next_try;  // seconds after kT0; -1 for none
  };
  const Step steps[] = {{0, 1, kJobWaiting, 1, 60},   {59, 0, kJobWaiting, 1, 60},
                        {60, 1, kJobWaiting, 2, 180}, {179, 0, kJobWaiting, 2, 180},
                        {180, 1, kJobFailed, 3, -1},  {99999, 0, kJobFailed, 3, -1}};
  for (const Step& s : steps) {
    clock.Set(AddSeconds(kT0, s.at));
    EXPECT_EQ(s.claimed, runner.Round()) << "at " << s.at << "\n" << runner.log.str();
    const JobRow job = Job(db, id);
    EXPECT_EQ(s.status, JobStatusCode(job.status)) << "at " << s.at;
    EXPECT_EQ(s.attempts, job.attempts) << "at " << s.at;
    EXPECT_EQ(s.next_try < 0 ? "" : CanonicalDateTime(AddSeconds(kT0, s.next_try)),
              job.next_try.is_null() ? "" : CanonicalDateTime(job.next_try.date()))
        << "at " << s.at;
    EXPECT_NE(std::string::npos, Cat(job.last_error).find("127.0.0.1")) << Cat(job.last_error);
  }
}

TEST(JobRunnerTest, ClaimsOfADeadRunnerAreTakenBack) {
  struct Case {
    const char* name;
    int claimed_ago;  // seconds
    int32_t attempts_before;
    int32_t status, attempts;
    bool sent;
  };
  const Case cases[] = {
      {"a dead runner's claim is sent", 601, 0, kJobDone, 2, true},
      {"a live runner's claim is left alone", 60, 0, kJobClaimed, 0, false},
      {"a claim at the last attempt fails", 601, 2, kJobFailed, 3, false},
  };
  TempDatabase db;
  SmtpTestServer server(db.dir());
  ASSERT_TRUE(server.ready()) << server.Output();
  FixedClock clock(kT0);
  std::vector<int32_t> ids;
  for (const Case& c : cases) {
    ids.push_back(Register(db, "SQLSERVER"));
    db.Exec(
        "UPDATE LOG_GERADOR SET TAB_STATUS_JOB_ID = 2, TXT_EXECUTOR = 'other:9', "
        "QTDE_TENTATIVAS = " +
        std::to_string(c.attempts_before) + ", DATA_RESERVA = '" +
        CanonicalDateTime(AddSeconds(kT0, -c.claimed_ago)) +
        "' WHERE LOG_GERADOR_ID = " + std::to_string(ids.back()));
  }
  Runner runner(db.connection(), server.url());
  EXPECT_EQ(1, runner.Round()) << runner.log.str();
  const auto by_job = ByJob(server);
  for (size_t i = 0; i < std::size(cases); ++i) {
    const JobRow job = Job(db, ids[i]);
    EXPECT_EQ(cases[i].status, JobStatusCode(job.status)) << cases[i].name;
    EXPECT_EQ(cases[i].attempts, job.attempts) << cases[i].name;
    EXPECT_EQ(cases[i].sent ? 1u : 0u, by_job.count(std::to_string(ids[i]))) << cases[i].name;
  }
}

TEST(JobRunnerTest, TwoRunnerProcessesSendEveryJobExactlyOnce) {
  constexpr int kJobs = 60;
  TempDatabase db;
  SmtpTestServer server(db.dir());
  ASSERT_TRUE(server.ready()) << server.Output();
  std::set<std::string> ids;
  for (int i = 0; i < kJobs; ++i) ids.insert(std::to_string(Register(db, "SQLSERVER")));
  const auto start = std::chrono::steady_clock::now();
  const bool children_ok = testing::InChildProcesses(2, [&](int p) {
    Runner runner(db.connection(), server.url(), "runner:" + std::to_string(p));
    int claimed = 0;
    Status st = runner.runner.RunDueJobs(&claimed);
    std::ofstream(db.dir() + "/claimed" + std::to_string(p)) << claimed;
    return st.ok() ? 0 : 1;
  });
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
  ASSERT_TRUE(children_ok);
  EXPECT_LT(seconds.count(), 30.0);
  const auto by_job = ByJob(server);
  EXPECT_EQ(static_cast<size_t>(kJobs), by_job.size());
  for (const std::string& id : ids) EXPECT_EQ(1u, by_job.count(id)) << "job " << id;
  EXPECT_EQ(kJobs, db.Scalar("SELECT COUNT(*) FROM LOG_GERADOR WHERE TAB_STATUS_JOB_ID = 3 AND "
                             "QTDE_TENTATIVAS = 1 AND TXT_EXECUTOR IS NULL AND LOG_GERADOR_ID > 1")
                       .int32());
  int split[2] = {0, 0};
  for (int p = 0; p < 2; ++p) std::ifstream(db.dir() + "/claimed" + std::to_string(p)) >> split[p];
  std::cout << "[ split ] " << split[0] << " + " << split[1] << " jobs in " << seconds.count()
            << " s\n";
}

// The runner's statements on PostgreSQL: the due test, the claim, a dead
// runner's claim taken back and a retry's next try, as on the embedded engine.
TEST(JobRunnerTest, RunsOnPostgreSql) {
  std::string why;
  bool missing = false;
  testing::PostgresServer* pg = testing::PostgresServer::Shared(&why, &missing);
  if (missing) GTEST_SKIP() << why;
  ASSERT_NE(nullptr, pg) << why;
  ASSERT_EQ("", testing::LoadPostgresSchema(*pg));
  const std::string cs = pg->connection();
  auto exec = [&cs](const std::string& sql) {
    Status st = Execute(sql, Value::Text(cs));
    EXPECT_TRUE(st.ok()) << sql << ": " << st.ToString();
  };
  const std::string row =
      "INSERT INTO LOG_GERADOR (LOG_GERADOR_ID, FUNCAO_ID, FLAG_ENVIA_EMAIL, "
      "TITULO_EMAIL, ENDERECO_EMAIL, TXT_QUERY, TAB_STATUS_JOB_ID, "
      "DATA_INICIO, TXT_EXECUTOR, DATA_RESERVA) VALUES ";
  exec("DELETE FROM LOG_GERADOR");
  exec(row +
       "(1, 2305, 'S', 'T', 'ana@tarvosa.com.br', '__JOB__1__a__b__11', 1, NULL, NULL, NULL)");
  exec(row +
       "(2, 2305, 'S', 'T', 'ana@tarvosa.com.br', '__JOB__2__a__b__12', 2, NULL, 'other:9', "
       "'2026-12-07 08:49:59')");
  exec(row +
       "(3, 2305, 'S', 'T', 'ana@tarvosa.com.br', '__JOB__3__a__b__13', 1, "
       "'2099-01-01 00:00:00', NULL, NULL)");
  TempDatabase dir(/*demo=*/false);
  SmtpTestServer server(dir.dir());
  ASSERT_TRUE(server.ready()) << server.Output();
  FixedClock clock(kT0);
  Runner up(cs, server.url());
  EXPECT_EQ(2, up.Round()) << up.log.str();
  exec(row +
       "(4, 2305, 'S', 'T', 'ana@tarvosa.com.br', '__JOB__4__a__b__14', 1, NULL, NULL, NULL)");
  testing::LoopbackSocket nobody(/*listening=*/false);
  Runner down(cs, nobody.url());
  EXPECT_EQ(1, down.Round()) << down.log.str();

  std::vector<JobRow> jobs;
  ASSERT_TRUE(ListJobs(cs, std::nullopt, &jobs).ok());
  std::vector<std::string> got;
  for (const JobRow& j : jobs) {
    got.push_back(std::to_string(j.id) + " " + std::string(JobStatusName(j.status)) + " " +
                  std::to_string(j.attempts) + " " +
                  (j.next_try.is_null() ? "-" : CanonicalDateTime(j.next_try.date())));
  }
  EXPECT_EQ((std::vector<std::string>{"1 done 1 -", "2 done 2 -", "3 waiting 0 -",
                                      "4 waiting 1 2026-12-07 09:01:00"}),
            got);
  EXPECT_EQ(2u, server.Messages().size());
  CloseThreadConnections();
}

}  // namespace
}  // namespace ocg
