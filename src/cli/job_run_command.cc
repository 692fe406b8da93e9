#include "cli/job_run_command.h"

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <ctime>
#include <ostream>
#include <thread>

#include "infra/connection_string.h"
#include "jobs/job_runner.h"
#include "jobs/mail_format.h"
#include "jobs/smtp_mailer.h"
#include "jobs/stop_flag.h"

namespace ocg {
namespace {

// A claim outlives the longest delivery (timeout_seconds, at most 300) with
// room to spare before another runner may take it back.
constexpr std::chrono::seconds kClaimLease{600};

// Takes SIGINT and SIGTERM with sigwait on a thread of its own, never in a
// handler interrupting a call, and turns them into a stop request. The
// signals are blocked here, before the thread exists, so no other thread
// takes them; SIGPIPE too, as a server that hangs up is a failed delivery.
class SignalWatcher {
 public:
  explicit SignalWatcher(StopFlag* stop) {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGTERM);
    sigaddset(&signals_, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &signals_, &previous_);
    thread_ = std::thread([this, stop] {
      const timespec poll{0, 200 * 1000 * 1000};
      while (!done_) {
        const int sig = sigtimedwait(&signals_, nullptr, &poll);
        if (sig == SIGINT || sig == SIGTERM) {
          stop->Request();
          return;
        }
      }
    });
  }
  ~SignalWatcher() {
    done_ = true;
    thread_.join();
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  }
  SignalWatcher(const SignalWatcher&) = delete;
  SignalWatcher& operator=(const SignalWatcher&) = delete;

 private:
  sigset_t signals_, previous_;
  std::atomic<bool> done_{false};
  std::thread thread_;
};

}  // namespace

int RunJobRunCommand(const JobRunCommandOptions& options, std::ostream& out, std::ostream& err) {
  if (!IsMailAddress(options.sender)) {
    err << "ocg jobs run: needs the sender's e-mail address (--from or OCG_MAIL_FROM)"
        << (options.sender.empty() ? "" : ", not '" + options.sender + "'") << "\n";
    return 2;
  }
  StopFlag stop;
  SignalWatcher signals(&stop);
  SmtpMailer mailer(options.smtp_url, std::chrono::seconds(options.timeout_seconds), &stop);
  JobRunnerOptions runner_options;
  runner_options.connection = options.connection;
  runner_options.sender = options.sender;
  runner_options.max_attempts = options.max_attempts;
  runner_options.retry_delay = std::chrono::seconds(options.retry_delay_seconds);
  runner_options.claim_lease = kClaimLease;
  JobRunner runner(std::move(runner_options), &mailer, &stop, &out);

  out << "ocg jobs run: running the due jobs of " << MaskConnectionString(options.connection)
      << (options.once ? " once" : " every " + std::to_string(options.interval_seconds) + " s")
      << ", mail through " << UrlWithoutCredentials(options.smtp_url) << std::endl;
  if (!options.once) {
    runner.RunEvery(std::chrono::seconds(options.interval_seconds));
    out << "ocg jobs run: stopped" << std::endl;
    return 0;
  }
  int claimed = 0;
  Status round = runner.RunDueJobs(&claimed);
  if (!round.ok()) {
    err << "ocg jobs run: " << round.ToString() << "\n";
    return 2;
  }
  out << "ocg jobs run: " << claimed << (claimed == 1 ? " job" : " jobs") << " claimed"
      << std::endl;
  return 0;
}

}  // namespace ocg
