#include "jobs/job_listing.h"

#include <charconv>

#include "infra/record_set.h"
#include "infra/session.h"
#include "infra/sql_format.h"

namespace ocg {

std::vector<std::string> DecodeJobParameters(std::string_view text, int32_t* job_id) {
  constexpr std::string_view kHead = "__JOB__";
  constexpr std::string_view kSeparator = "__";
  if (job_id != nullptr) *job_id = 0;
  std::vector<std::string> parameters;
  if (!text.starts_with(kHead)) return parameters;
  text.remove_prefix(kHead.size());
  size_t end = text.find(kSeparator);
  std::string_view id = text.substr(0, end);
  if (job_id != nullptr) std::from_chars(id.data(), id.data() + id.size(), *job_id);
  while (end != std::string_view::npos) {
    text.remove_prefix(end + kSeparator.size());
    end = text.find(kSeparator);
    parameters.emplace_back(text.substr(0, end));
  }
  return parameters;
}

namespace {

// The jobs that where_clause selects (" WHERE ..." or ""), by identifier.
Status ReadJobs(const std::string& connection, const std::string& where_clause,
                std::vector<JobRow>* out) {
  RecordSet rs;
  OCG_RETURN_IF_ERROR(
      rs.Open("SELECT LOG_GERADOR_ID, TAB_STATUS_JOB_ID, FUNCAO_ID, USUARIO_INTERNET_ID, "
              "FLAG_ENVIA_EMAIL, TITULO_EMAIL, TEXTO_EMAIL, ENDERECO_EMAIL, DATA_INICIO, "
              "EMAIL_REMETENTE, ENDERECO_ANEXO, TXT_QUERY, QTDE_TENTATIVAS, TXT_ULTIMO_ERRO, "
              "DATA_PROXIMA_TENTATIVA, TXT_EXECUTOR, DATA_RESERVA FROM LOG_GERADOR" +
                  where_clause + " ORDER BY LOG_GERADOR_ID",
              Value::Text(connection)));
  out->clear();
  for (; !rs.Eof(); rs.MoveNext()) {
    JobRow job;
    OCG_ASSIGN_OR_RETURN(Value id, rs.Field("LOG_GERADOR_ID"));
    OCG_ASSIGN_OR_RETURN(job.id, id.ToInt32());
    Value query, attempts;
    struct {
      const char* column;
      Value* into;
    } const columns[] = {{"TAB_STATUS_JOB_ID", &job.status},
                         {"FUNCAO_ID", &job.funcao},
                         {"USUARIO_INTERNET_ID", &job.usuario},
                         {"FLAG_ENVIA_EMAIL", &job.flag},
                         {"TITULO_EMAIL", &job.titulo},
                         {"TEXTO_EMAIL", &job.texto},
                         {"ENDERECO_EMAIL", &job.destinatario},
                         {"DATA_INICIO", &job.data_inicio},
                         {"EMAIL_REMETENTE", &job.remetente},
                         {"ENDERECO_ANEXO", &job.anexo},
                         {"TXT_QUERY", &query},
                         {"QTDE_TENTATIVAS", &attempts},
                         {"TXT_ULTIMO_ERRO", &job.last_error},
                         {"DATA_PROXIMA_TENTATIVA", &job.next_try},
                         {"TXT_EXECUTOR", &job.executor},
                         {"DATA_RESERVA", &job.claimed_at}};
    for (const auto& c : columns) {
      OCG_ASSIGN_OR_RETURN(*c.into, rs.Field(c.column));
    }
    job.txt_query = Cat(query);
    job.parameters = DecodeJobParameters(job.txt_query, nullptr);
    // A count nobody wrote yet (Null) is no attempt.
    Result<int32_t> count = attempts.is_null() ? Result<int32_t>(0) : attempts.ToInt32();
    job.attempts = count.ok() ? count.value() : 0;
    out->push_back(std::move(job));
  }
  return Status();
}

}  // namespace

int32_t JobStatusCode(const Value& status) {
  Result<int32_t> code = status.ToInt32();
  return status.is_number() && code.ok() ? code.value() : 0;
}

std::string_view JobStatusName(const Value& status) {
  static constexpr std::string_view kNames[] = {"", "waiting", "claimed", "done", "failed"};
  const int32_t code = JobStatusCode(status);
  return code >= kJobWaiting && code <= kJobFailed ? kNames[code] : "";
}

Status ListJobs(const std::string& connection, std::optional<int32_t> status,
                std::vector<JobRow>* out) {
  OperationScope scope(/*for_write=*/false);
  OCG_RETURN_IF_ERROR(ReadJobs(
      connection, status ? " WHERE TAB_STATUS_JOB_ID = " + std::to_string(*status) : "", out));
  return scope.Commit();
}

Status ReadJob(const std::string& connection, int32_t id, JobRow* out, bool* found) {
  OperationScope scope(/*for_write=*/false);
  std::vector<JobRow> jobs;
  OCG_RETURN_IF_ERROR(ReadJobs(connection, " WHERE LOG_GERADOR_ID = " + std::to_string(id), &jobs));
  *found = !jobs.empty();
  if (*found) *out = std::move(jobs.front());
  return scope.Commit();
}

}  // namespace ocg
