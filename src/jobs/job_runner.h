// jobs/job_runner.h: carrying out the registered jobs.
//
// One round takes back the claims of runners that died, then claims the due
// jobs one at a time (jobs/job_claims.h) and carries each out
// (jobs/job_functions.h): a job with an e-mail is done once the message is
// delivered; a failed delivery waits retry_delay before its second attempt,
// twice that before its third and so on (at most a day), and fails for good
// after max_attempts, or at once when the server refuses the message for
// good. A job that cannot be carried out at all fails at once. A stop request
// ends the round after the job in hand; a delivery it cuts short puts the job
// back to waiting with its attempt count unchanged.
//
// A JobRunner is used by one thread; other runners, in this process or in
// others, may work on the same database at the same time.
#ifndef OCG_JOBS_JOB_RUNNER_H_
#define OCG_JOBS_JOB_RUNNER_H_

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <string>

#include "base/status.h"
#include "jobs/job_listing.h"
#include "jobs/mailer.h"
#include "jobs/stop_flag.h"

namespace ocg {

struct JobRunnerOptions {
  std::string connection;
  std::string sender;                     // From: when a job names none
  int32_t max_attempts = 5;               // 1 to 100
  std::chrono::seconds retry_delay{60};   // before the second attempt
  std::chrono::seconds claim_lease{600};  // longer than any delivery
  std::string name;                       // in TXT_EXECUTOR; "host:pid" when empty
};

class JobRunner {
 public:
  // mailer, stop and log (one line per job) must outlive the runner.
  JobRunner(JobRunnerOptions options, Mailer* mailer, const StopFlag* stop, std::ostream* log);

  // One round. *claimed counts the jobs this round claimed. Fails when the
  // database cannot be read or written; a job claimed and not finished then
  // stays claimed until its lease runs out.
  Status RunDueJobs(int* claimed);

  // Rounds every interval until a stop is requested. A round that fails is
  // logged, and the next one tries again.
  void RunEvery(std::chrono::seconds interval);

  // The wait before the attempt after attempt number attempt (1, 2, ...).
  std::chrono::seconds RetryDelay(int32_t attempt) const;

 private:
  Status CarryOut(const JobRow& job);

  JobRunnerOptions options_;
  Mailer* mailer_;
  const StopFlag* stop_;
  std::ostream* log_;
};

}  // namespace ocg

#endif  // OCG_JOBS_JOB_RUNNER_H_
