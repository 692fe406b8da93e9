// cli/job_run_command.h: "ocg jobs run", the job runner for an operator.
#ifndef OCG_CLI_JOB_RUN_COMMAND_H_
#define OCG_CLI_JOB_RUN_COMMAND_H_

#include <iosfwd>
#include <string>

namespace ocg {

struct JobRunCommandOptions {
  std::string connection;
  bool once = false;          // one round, then exit
  int interval_seconds = 30;  // between rounds
  std::string smtp_url = "smtp://127.0.0.1:25";
  std::string sender;  // required
  int max_attempts = 5;
  int retry_delay_seconds = 60;
  int timeout_seconds = 60;  // one delivery, at most 300
};

// Runs rounds of the due jobs (jobs/job_runner.h) until SIGINT or SIGTERM,
// or one round with once, printing a line per job on out. 0 when it ran (a
// job that failed is the job's outcome, not the command's); 2 for options
// it cannot use, or when the one round of once could not read the jobs.
int RunJobRunCommand(const JobRunCommandOptions& options, std::ostream& out, std::ostream& err);

}  // namespace ocg

#endif  // OCG_CLI_JOB_RUN_COMMAND_H_
