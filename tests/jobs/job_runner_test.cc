// The job runner against a real embedded database (and PostgreSQL where it is
// installed) and a real SMTP server.
#include "jobs/job_runner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>
#include <sstream>

#include "component/ocg.h"
#include "jobs/cva_job_call.h"
#include "jobs/job_claims.h"
#include "jobs/smtp_mailer.h"
#include "jobs/smtp_test_server.h"
#include "test_support.h"
#include "value/date_time.h"

namespace ocg {
namespace {

using testing::JobCall;
using testing::SmtpTestServer;
using testing::TempDatabase;

constexpr char kSender[] = "coleta@tarvosa.com.br";
constexpr DateTime kT0{2026, 12, 7, 9, 0, 0};

// A runner as `ocg jobs run` makes one, delivering to url, three attempts.
struct Runner {
  StopFlag stop;
  SmtpMailer mailer;
  std::ostringstream log;
  JobRunner runner;
  Runner(const std::string& connection, const std::string& url, std::string name = "test:1")
      : mailer(url, std::chrono::seconds(5), &stop),
        runner({.connection = connection, .sender = kSender, .max_attempts = 3, .name = name},
               &mailer, &stop, &log) {}
  int Round() {
    int claimed = -1;
    Status st = runner.RunDueJobs(&claimed);
    EXPECT_TRUE(st.ok()) << st.ToString();
    return claimed;
  }
};

struct FixedClock {
  explicit FixedClock(const DateTime& at) { SetClockForTesting(at); }
  ~FixedClock() { SetClockForTesting(std::nullopt); }
};

int32_t Register(const TempDatabase& db, const char* kind, void (*change)(JobCall&) = nullptr) {
  JobCall call(kind, db);
  if (change != nullptr) change(call);
  EXPECT_TRUE(call.Run()) << Cat(call.msg);
  return call.job_id.ToInt32().ok() ? call.job_id.ToInt32().value() : 0;
}

// "status attempts last-error" of a job ("-" for no error).
std::string Outcome(const std::string& connection, int32_t id) {
  JobRow j;
  bool found = false;
  EXPECT_TRUE(ReadJob(connection, id, &j, &found).ok() && found) << id;
  return std::string(JobStatusName(j.status)) + " " + std::to_string(j.attempts) + " " +
         (j.last_error.is_null() ? "-" : Cat(j.last_error));
}

std::multimap<std::string, nlohmann::json> ByJob(const SmtpTestServer& server) {
  std::multimap<std::string, nlohmann::json> by_job;
  for (const auto& m : server.Messages()) by_job.emplace(m["job"].get<std::string>(), m);
  return by_job;
}

// Registered jobs delivered through a real SMTP server, on each engine.
class JobDeliveryTest : public testing::EngineTest {};
OCG_ON_EVERY_ENGINE(JobDeliveryTest);

TEST_P(JobDeliveryTest, CarriesOutEachJobOnceAsItsRowSays) {
  struct Case {
    const char* name;
    const char* kind;
    bool by_deletion;  // registered by user 4 deleting demo order 9 (CVA 778899)
    void (*change)(JobCall&);
    std::string outcome;  // the start of Outcome()
    std::string message;  // "recipient sender subject"; "" for no message
    std::vector<std::string> body = {};
  };
  const Case cases[] = {
      {"an order deletion's CVA job, to the deleting user",
       "SQLSERVER",
       true,
       nullptr,
       "done 1 -",
       "ana.costa@tarvosa.com.br coleta@tarvosa.com.br " + testing::kCvaTitle,
       {"CVA eletrônico: 778899\n", ", função 2305.\n"}},
      {"registered under ORACLE: upper-cased",
       "ORACLE",
       false,
       nullptr,
       "done 1 -",
       "ANA@TARVOSA.COM.BR coleta@tarvosa.com.br GRAVAÇÃO DO ARQUIVO DE CVA ELETRÔNICO ENCERRADA.",
       {"CVA eletrônico: 778899\n"}},
      {"own sender, text, attachment, a subject over one encoded word",
       "SQLSERVER",
       false,
       [](JobCall& c) {
         c.remetente = Value::Text("numeracao@tarvosa.com.br");
         c.texto = Value::Text("Arquivo pronto.");
         c.anexo = Value::Text("https://arquivos.tarvosa.com.br/cva/778899.txt");
         c.titulo = Value::Text("Ação: çççççççççççççççççççç");
       },
       "done 1 -",
       "ana@tarvosa.com.br numeracao@tarvosa.com.br Ação: çççççççççççççççççççç",
       {"Arquivo pronto.\n\nCVA eletrônico: 778899\n",
        "Anexo: https://arquivos.tarvosa.com.br/cva/778899.txt\n"}},
      {"flag N", "SQLSERVER", false, [](JobCall& c) { c.flag = Value::Text("N"); }, "done 1 -", ""},
      {"unknown function", "SQLSERVER", false, [](JobCall& c) { c.funcao = Value::Int32(999); },
       "failed 1 unknown function code 999:", ""},
      {"2305 without its CVA number", "SQLSERVER", false,
       [](JobCall& c) { c.qtde = Value::Int32(0); }, "failed 1 function 2305 needs the CVA number",
       ""},
      {"recipient refused for good", "SQLSERVER", false,
       [](JobCall& c) { c.destinatario = Value::Text("recusado@tarvosa.com.br"); },
       "failed 1 SMTP 550 5.1.1 mailbox unavailable", ""},
  };
  TempDatabase db(engine());
  SmtpTestServer server(db.dir());
  ASSERT_TRUE(server.ready()) << server.Output();
  std::vector<int32_t> ids;
  for (const Case& c : cases) {
    if (!c.by_deletion) {
      ids.push_back(Register(db, c.kind, c.change));
      continue;
    }
    Value order = Value::Int32(9), cva = Value::Int32(778899), user = Value::Int32(4),
          connection = db.conn(), kind = Value::Text(c.kind), msg;
    ASSERT_EQ(Value::Int16(0), Ocg().gExclui_Col_Geral(order, cva, user, connection, kind, msg))
        << Cat(msg);
    ids.push_back(db.Scalar("SELECT MAX(LOG_GERADOR_ID) FROM LOG_GERADOR").int32());
  }
  // A line break in a database value stays inside its log line.
  db.Exec(
      "UPDATE LOG_GERADOR SET TXT_QUERY = TXT_QUERY || '\r\njob 1: forged' "
      "WHERE LOG_GERADOR_ID = " +
      std::to_string(ids[5]));
  Runner runner(db.connection(), server.url());
  EXPECT_EQ(static_cast<int>(std::size(cases)), runner.Round()) << runner.log.str();
  EXPECT_EQ(0, runner.Round()) << "nothing is claimed twice";
  std::istringstream log_lines(runner.log.str());
  for (std::string line; std::getline(log_lines, line);) {
    EXPECT_TRUE(line.starts_with("job ") && line.find('\r') == std::string::npos) << line;
  }

  const auto by_job = ByJob(server);
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    EXPECT_TRUE(Outcome(db.connection(), ids[i]).starts_with(c.outcome))
        << c.name << ": " << Outcome(db.connection(), ids[i]);
    const auto [first, last] = by_job.equal_range(std::to_string(ids[i]));
    ASSERT_EQ(c.message.empty() ? 0 : 1, std::distance(first, last)) << c.name;
    if (c.message.empty()) continue;
    const nlohmann::json& m = first->second;
    EXPECT_EQ(nlohmann::json::array({m["to"]}), m["rcpt_tos"]) << c.name;
    EXPECT_EQ(c.message, m["to"].get<std::string>() + " " + m["mail_from"].get<std::string>() +
                             " " + m["subject"].get<std::string>())
        << c.name;
    for (const std::string& part : c.body) {
      EXPECT_NE(std::string::npos, m["body"].get<std::string>().find(part)) << c.name << m["body"];
    }
  }
}

TEST(JobRunnerTest, ServerDownRetriesAfterGrowingDelaysThenFails) {
  TempDatabase db;
  testing::LoopbackSocket nobody(/*listening=*/false);
  const int32_t id = Register(db, "SQLSERVER");
  Runner runner(db.connection(), nobody.url());
  struct Step {
    int at;  // seconds after kT0
    int claimed;
    std::string outcome;
    int next_try;  // seconds after kT0; -1 for none
  };
  const Step steps[] = {{0, 1, "waiting 1", 60},   {59, 0, "waiting 1", 60},
                        {60, 1, "waiting 2", 180}, {179, 0, "waiting 2", 180},
                        {180, 1, "failed 3", -1},  {99999, 0, "failed 3", -1}};
  for (const Step& s : steps) {
    FixedClock clock(AddSeconds(kT0, s.at));
    EXPECT_EQ(s.claimed, runner.Round()) << "at " << s.at << "\n" << runner.log.str();
    EXPECT_TRUE(Outcome(db.connection(), id).starts_with(s.outcome + " Failed to connect to 127"))
        << "at " << s.at << ": " << Outcome(db.connection(), id);
    EXPECT_EQ(s.next_try < 0 ? "" : CanonicalDateTime(AddSeconds(kT0, s.next_try)),
              Cat(db.Scalar("SELECT IFNULL(DATA_PROXIMA_TENTATIVA, '') FROM LOG_GERADOR WHERE "
                            "LOG_GERADOR_ID = " +
                            std::to_string(id))))
        << "at " << s.at;
  }
}

// Rows written as they stand, on each engine: the due test, the claims of
// dead and live runners, a dead runner that finishes late, a retry's next try.
TEST_P(JobDeliveryTest, ClaimsAndFinishesRowsAsTheyStand) {
  struct Case {
    const char* name;
    const char* values;  // flag, recipient, status, attempts, start, executor, claimed at
    std::string outcome;
    bool sent;
  };
  const Case cases[] = {
      {"due", "'S', 'ana@tarvosa.com.br', 1, NULL, NULL, NULL, NULL", "done 1 -", true},
      {"dead runner's claim",
       "'S', 'ana@tarvosa.com.br', 2, 0, NULL, 'other:9', '2026-12-07 08:49:59'",
       "done 2 claim taken back after 600 s", true},
      {"live runner's claim",
       "'S', 'ana@tarvosa.com.br', 2, 0, NULL, 'other:9', '2026-12-07 08:59:00'", "claimed 0 -",
       false},
      {"dead at its last attempt",
       "'S', 'ana@tarvosa.com.br', 2, 2, NULL, 'other:9', '2026-12-07 08:49:59'",
       "failed 3 claim taken back", false},
      {"start date not reached",
       "'S', 'ana@tarvosa.com.br', 1, NULL, '2099-01-01 00:00:00', NULL, NULL", "waiting 0 -",
       false},
      {"flag N with a recipient", "'N', 'ana@tarvosa.com.br', 1, NULL, NULL, NULL, NULL",
       "done 1 -", false},
  };
  TempDatabase db(engine(), /*demo=*/false);
  SmtpTestServer server(db.dir());
  ASSERT_TRUE(server.ready()) << server.Output();
  FixedClock clock(kT0);
  const std::string insert =
      "INSERT INTO LOG_GERADOR (LOG_GERADOR_ID, FUNCAO_ID, TITULO_EMAIL, TXT_QUERY, "
      "FLAG_ENVIA_EMAIL, ENDERECO_EMAIL, TAB_STATUS_JOB_ID, QTDE_TENTATIVAS, DATA_INICIO, "
      "TXT_EXECUTOR, DATA_RESERVA) VALUES (";
  for (size_t i = 0; i < std::size(cases); ++i) {
    const std::string id = std::to_string(i + 1);
    db.Exec(insert + id + ", 2305, 'T', '__JOB__" + id + "__a__b__11', " + cases[i].values + ")");
  }
  Runner up(db.connection(), server.url());
  EXPECT_EQ(3, up.Round()) << up.log.str();
  // A runner finishing a claim that another holds changes nothing.
  EXPECT_TRUE(FinishJob(db.connection(), "test:1", 3, {.status = kJobFailed, .attempts = 1}).ok());
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_TRUE(Outcome(db.connection(), i + 1).starts_with(cases[i].outcome))
        << cases[i].name << ": " << Outcome(db.connection(), i + 1);
  }
  EXPECT_EQ(2u, server.Messages().size());
  // A retry's next try, written and read back by the engine.
  db.Exec(insert +
          "9, 2305, 'T', '__JOB__9__a__b__19', 'S', 'ana@tarvosa.com.br', 1, NULL, NULL, "
          "NULL, NULL)");
  testing::LoopbackSocket nobody(/*listening=*/false);
  Runner down(db.connection(), nobody.url());
  EXPECT_EQ(1, down.Round()) << down.log.str();
  std::vector<JobRow> waiting;
  ASSERT_TRUE(ListJobs(db.connection(), kJobWaiting, &waiting).ok());
  ASSERT_EQ(2u, waiting.size());
  EXPECT_EQ(Value::Date(AddSeconds(kT0, 60)), waiting[1].next_try);
}

// Three jobs in four send nothing, so that the runners spend their time
// claiming side by side; each says in its log which jobs it carried out.
TEST(JobRunnerTest, TwoRunnerProcessesCarryOutEveryJobExactlyOnce) {
  constexpr int kJobs = 200;
  TempDatabase db;
  SmtpTestServer server(db.dir());
  ASSERT_TRUE(server.ready()) << server.Output();
  std::map<std::string, int> carried;  // job -> times carried out
  for (int i = 0; i < kJobs; ++i) {
    carried[std::to_string(Register(
        db, "SQLSERVER", i % 4 == 0 ? nullptr : +[](JobCall& c) { c.flag = Value::Text("N"); }))] =
        0;
  }
  const auto start = std::chrono::steady_clock::now();
  const bool children_ok = testing::InChildProcesses(2, [&](int p) {
    Runner runner(db.connection(), server.url(), "runner:" + std::to_string(p));
    int claimed = 0;
    Status st = runner.runner.RunDueJobs(&claimed);
    std::ofstream(db.dir() + "/log" + std::to_string(p)) << runner.log.str();
    return st.ok() ? 0 : 1;
  });
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(children_ok);
  EXPECT_LT(took.count(), 30.0);
  int split[2] = {0, 0};
  for (int p = 0; p < 2; ++p) {
    std::ifstream log(db.dir() + "/log" + std::to_string(p));
    for (std::string word, id; log >> word;) {
      if (word == "job" && log >> id) ++carried[id], ++split[p];
    }
  }
  for (const auto& [id, times] : carried) EXPECT_EQ(1, times) << "job " << id;
  const auto by_job = ByJob(server);
  EXPECT_EQ(static_cast<size_t>(kJobs / 4), by_job.size());
  for (const auto& [id, times] : carried) EXPECT_GE(1u, by_job.count(id)) << "job " << id;
  EXPECT_EQ(Value::Int32(kJobs),
            db.Scalar("SELECT COUNT(*) FROM LOG_GERADOR WHERE TAB_STATUS_JOB_ID = 3 AND "
                      "QTDE_TENTATIVAS = 1 AND TXT_EXECUTOR IS NULL AND LOG_GERADOR_ID > 1"));
  std::cout << "[ split ] " << split[0] << " + " << split[1] << " jobs in " << took.count()
            << " s\n";
}

}  // namespace
}  // namespace ocg
