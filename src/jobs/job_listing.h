// jobs/job_listing.h: reading the registered jobs back, for operators and
// for the job runner.
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

// One LOG_GERADOR row as the job runner receives it.
struct JobRow {
  int32_t id = 0;
  Value status, funcao, usuario, flag, titulo, texto, destinatario, data_inicio, remetente, anexo;
  std::string txt_query;
  std::vector<std::string> parameters;  // decoded from txt_query
};

// The parameters of a TXT_QUERY text "__JOB__<id>__p0__p1...", in order;
// *job_id (when given) receives the id it names, or 0 when it names none.
// A text that does not start with "__JOB__" has no parameters.
std::vector<std::string> DecodeJobParameters(std::string_view txt_query, int32_t* job_id);

// Every job on connection (only those in status when given), by identifier.
Status ListJobs(const std::string& connection, std::optional<int32_t> status,
                std::vector<JobRow>* out);

}  // namespace ocg

#endif  // OCG_JOBS_JOB_LISTING_H_
