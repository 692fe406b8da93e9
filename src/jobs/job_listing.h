// jobs/job_listing.h: reading the registered jobs back, for operators and
// for the job runner, and the job statuses.
//
// A job is registered waiting (1); the runner moves it through claimed (2) to
// done (3) or failed (4), and back to waiting for a retry (docs/jobs.md).
#ifndef OCG_JOBS_JOB_LISTING_H_
#define OCG_JOBS_JOB_LISTING_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "value/value.h"

namespace ocg {

// TAB_STATUS_JOB_ID values.
constexpr int32_t kJobWaiting = 1;  // registered, or waiting for a retry
constexpr int32_t kJobClaimed = 2;  // a runner is carrying it out
constexpr int32_t kJobDone = 3;     // carried out (its e-mail sent, if it has one)
constexpr int32_t kJobFailed = 4;   // given up; TXT_ULTIMO_ERRO says why

// The status as a number; 0 for anything that is not one.
int32_t JobStatusCode(const Value& status);
// "waiting", "claimed", "done", "failed", or "" for a status of nobody's.
std::string_view JobStatusName(const Value& status);

// One LOG_GERADOR row as the job runner receives it.
struct JobRow {
  int32_t id = 0;
  Value status, funcao, usuario, flag, titulo, texto, destinatario, data_inicio, remetente, anexo;
  std::string txt_query;
  std::vector<std::string> parameters;  // decoded from txt_query
  // Kept by the runner: attempts made (0 when never tried), the last
  // failure, the earliest next try, and the claim.
  int32_t attempts = 0;
  Value last_error, next_try, executor, claimed_at;
};

// The parameters of a TXT_QUERY text "__JOB__<id>__p0__p1...", in order;
// *job_id (when given) receives the id it names, or 0 when it names none.
// A text that does not start with "__JOB__" has no parameters.
std::vector<std::string> DecodeJobParameters(std::string_view txt_query, int32_t* job_id);

// Every job on connection (only those in status when given), by identifier.
Status ListJobs(const std::string& connection, std::optional<int32_t> status,
                std::vector<JobRow>* out);

// The job id on connection, read inside the caller's transaction when there
// is one. *found is false (and *out untouched) when there is no such job.
Status ReadJob(const std::string& connection, int32_t id, JobRow* out, bool* found);

}  // namespace ocg

#endif  // OCG_JOBS_JOB_LISTING_H_
