#include "jobs/job_runner.h"

#include <unistd.h>

#include <algorithm>
#include <ostream>
#include <utility>

#include "base/log_text.h"
#include "jobs/job_claims.h"
#include "jobs/job_functions.h"
#include "value/date_time.h"

namespace ocg {
namespace {

constexpr std::chrono::seconds kLongestDelay = std::chrono::hours(24);

std::string ThisProcessName() {
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
  return std::string(host[0] != '\0' ? host : "localhost") + ":" + std::to_string(getpid());
}

std::string Recipients(const MailMessage& message) {
  std::string list;
  for (const std::string& r : message.recipients) list += (list.empty() ? "" : ", ") + r;
  return list;
}

}  // namespace

JobRunner::JobRunner(JobRunnerOptions options, Mailer* mailer, const StopFlag* stop,
                     std::ostream* log)
    : options_(std::move(options)), mailer_(mailer), stop_(stop), log_(log) {
  if (options_.name.empty()) options_.name = ThisProcessName();
}

std::chrono::seconds JobRunner::RetryDelay(int32_t attempt) const {
  std::chrono::seconds delay = options_.retry_delay;
  for (int32_t n = 1; n < attempt && delay < kLongestDelay; ++n) delay *= 2;
  return std::min(delay, kLongestDelay);
}

Status JobRunner::RunDueJobs(int* claimed) {
  *claimed = 0;
  OCG_RETURN_IF_ERROR(TakeBackExpiredClaims(options_.connection, Now(), options_.claim_lease,
                                            options_.max_attempts));
  while (!stop_->requested()) {
    JobRow job;
    bool got = false;
    OCG_RETURN_IF_ERROR(ClaimNextJob(options_.connection, options_.name, Now(), &job, &got));
    if (!got) break;
    ++*claimed;
    OCG_RETURN_IF_ERROR(CarryOut(job));
  }
  return Status();
}

void JobRunner::RunEvery(std::chrono::seconds interval) {
  while (!stop_->requested()) {
    int claimed = 0;
    Status round = RunDueJobs(&claimed);
    if (!round.ok()) {
      *log_ << "round failed, next in " << interval.count()
            << " s: " << EscapeControlCharacters(round.ToString()) << std::endl;
    }
    stop_->WaitFor(interval);
  }
}

Status JobRunner::CarryOut(const JobRow& job) {
  const JobPlan plan = PlanJob(job, options_.sender);
  JobEnd end;
  end.attempts = job.attempts + 1;
  std::string outcome;
  switch (plan.kind) {
    case JobPlan::Kind::kRefuse:
      end.status = kJobFailed;
      end.error = plan.reason;
      outcome = "failed: " + plan.reason;
      break;
    case JobPlan::Kind::kNoMessage:
      outcome = "done, without e-mail";
      break;
    case JobPlan::Kind::kSend: {
      const Status sent = mailer_->Send(plan.message);
      if (sent.ok()) {
        outcome = "sent to " + Recipients(plan.message);
      } else if (stop_->requested()) {
        // The stop cut the delivery short: nothing was delivered, so the
        // attempt does not count and the job is due again at once.
        end.status = kJobWaiting;
        end.attempts = job.attempts;
        outcome = "back to waiting: stopped during the delivery";
      } else if (!IsPermanentMailFailure(sent) && end.attempts < options_.max_attempts) {
        end.status = kJobWaiting;
        end.error = sent.description();
        end.next_try = AddSeconds(Now(), RetryDelay(end.attempts).count());
        outcome =
            "not sent, next try at " + CanonicalDateTime(*end.next_try) + ": " + sent.description();
      } else {
        end.status = kJobFailed;
        end.error = sent.description();
        outcome = "failed: " + sent.description();
      }
      break;
    }
  }
  OCG_RETURN_IF_ERROR(FinishJob(options_.connection, options_.name, job.id, end));
  *log_ << "job " << job.id << " (attempt " << job.attempts + 1
        << "): " << EscapeControlCharacters(outcome) << std::endl;
  return Status();
}

}  // namespace ocg
