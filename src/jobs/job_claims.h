// jobs/job_claims.h: the job runner's writes to LOG_GERADOR.
//
// A runner claims a due job (status 1 -> 2, with its name and the time in
// TXT_EXECUTOR and DATA_RESERVA), carries it out outside any transaction,
// then finishes it (2 -> 3, 4, or 1 for a retry) under the same name. Each
// call is one write transaction that takes the write lock when it begins, so
// two runners, in one process or in several, never claim the same job. A
// finish only touches a claim the runner still holds.
//
// Times are the component's clock (Now()), written as 'yyyy-mm-dd hh:mm:ss',
// which the embedded engine, PostgreSQL and SQL Server read as a moment.
#ifndef OCG_JOBS_JOB_CLAIMS_H_
#define OCG_JOBS_JOB_CLAIMS_H_

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "base/status.h"
#include "jobs/job_listing.h"
#include "value/date_time.h"

namespace ocg {

// Takes back the claims made before now - lease, whose runner must have
// died: each counts as an attempt, with a last error saying so, and waits
// again, or fails when that was attempt max_attempts.
Status TakeBackExpiredClaims(const std::string& connection, const DateTime& now,
                             std::chrono::seconds lease, int32_t max_attempts);

// Claims, for runner, the due job with the lowest identifier: waiting, with
// no start date or one reached by now, and no next try or one reached.
// *claimed says whether one was; *job is the claimed row.
Status ClaimNextJob(const std::string& connection, const std::string& runner, const DateTime& now,
                    JobRow* job, bool* claimed);

// How an attempt ended.
struct JobEnd {
  int32_t status = kJobDone;  // kJobDone, kJobFailed or kJobWaiting
  int32_t attempts = 0;       // the count to store
  // The failure to store as the last error (quotes and line breaks
  // replaced, at most 1,000 characters); nullopt keeps the one stored.
  std::optional<std::string> error = std::nullopt;
  std::optional<DateTime> next_try = std::nullopt;  // waiting: not before then
};

// Records end on job_id and drops runner's claim on it. A job that runner
// no longer holds (its claim was taken back) is left alone.
Status FinishJob(const std::string& connection, const std::string& runner, int32_t job_id,
                 const JobEnd& end);

}  // namespace ocg

#endif  // OCG_JOBS_JOB_CLAIMS_H_
