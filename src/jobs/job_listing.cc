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

Status ListJobs(const std::string& connection, std::optional<int32_t> status,
                std::vector<JobRow>* out) {
  OperationScope scope(/*for_write=*/false);
  std::string sql =
      "SELECT LOG_GERADOR_ID, TAB_STATUS_JOB_ID, FUNCAO_ID, USUARIO_INTERNET_ID, "
      "FLAG_ENVIA_EMAIL, TITULO_EMAIL, TEXTO_EMAIL, ENDERECO_EMAIL, DATA_INICIO, "
      "EMAIL_REMETENTE, ENDERECO_ANEXO, TXT_QUERY FROM LOG_GERADOR";
  if (status) sql += " WHERE TAB_STATUS_JOB_ID = " + std::to_string(*status);
  sql += " ORDER BY LOG_GERADOR_ID";
  RecordSet rs;
  OCG_RETURN_IF_ERROR(rs.Open(sql, Value::Text(connection)));
  out->clear();
  for (; !rs.Eof(); rs.MoveNext()) {
    JobRow job;
    OCG_ASSIGN_OR_RETURN(Value id, rs.Field("LOG_GERADOR_ID"));
    OCG_ASSIGN_OR_RETURN(job.id, id.ToInt32());
    struct {
      const char* column;
      Value* into;
    } const columns[] = {{"TAB_STATUS_JOB_ID", &job.status},    {"FUNCAO_ID", &job.funcao},
                         {"USUARIO_INTERNET_ID", &job.usuario}, {"FLAG_ENVIA_EMAIL", &job.flag},
                         {"TITULO_EMAIL", &job.titulo},         {"TEXTO_EMAIL", &job.texto},
                         {"ENDERECO_EMAIL", &job.destinatario}, {"DATA_INICIO", &job.data_inicio},
                         {"EMAIL_REMETENTE", &job.remetente},   {"ENDERECO_ANEXO", &job.anexo}};
    for (const auto& c : columns) {
      OCG_ASSIGN_OR_RETURN(*c.into, rs.Field(c.column));
    }
    OCG_ASSIGN_OR_RETURN(Value query, rs.Field("TXT_QUERY"));
    job.txt_query = Cat(query);
    job.parameters = DecodeJobParameters(job.txt_query, nullptr);
    out->push_back(std::move(job));
  }
  scope.Succeed();
  return Status();
}

}  // namespace ocg
