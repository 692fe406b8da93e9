#include "jobs/job_claims.h"

#include "infra/record_set.h"
#include "infra/session.h"
#include "infra/sql_builder.h"
#include "infra/sql_format.h"
#include "value/text.h"

namespace ocg {
namespace {

constexpr size_t kErrorChars = 1000;

// A moment as the text every engine reads as one.
Status AppendMoment(SqlBuilder& sql, const DateTime& moment) {
  return sql.gTexto_SQL(Value::Text(CanonicalDateTime(moment)));
}

// A failure as it can be stored: no quote (the statement's text would end
// there), no control character, at most kErrorChars characters.
std::string StorableError(std::string_view error) {
  std::string out;
  for (char c : error) {
    if (c == '\'') {
      out += "\xe2\x80\x99";  // ’
    } else {
      out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    }
  }
  return std::string(CharMid(out, 1, kErrorChars));
}

}  // namespace

Status TakeBackExpiredClaims(const std::string& connection, const DateTime& now,
                             std::chrono::seconds lease, int32_t max_attempts) {
  OperationScope scope(/*for_write=*/true);
  std::string statement;
  SqlBuilder sql(&statement);
  sql +=
      "UPDATE LOG_GERADOR SET TAB_STATUS_JOB_ID = CASE WHEN COALESCE(QTDE_TENTATIVAS, 0) + 1 >= ";
  OCG_RETURN_IF_ERROR(sql.gTrata_Numero(Value::Int32(max_attempts)));
  sql += " THEN " + std::to_string(kJobFailed) + " ELSE " + std::to_string(kJobWaiting) +
         " END, QTDE_TENTATIVAS = COALESCE(QTDE_TENTATIVAS, 0) + 1, TXT_ULTIMO_ERRO = ";
  OCG_RETURN_IF_ERROR(
      sql.gTexto_SQL(Value::Text("claim taken back after " + std::to_string(lease.count()) +
                                 " s: the runner that held it stopped during the attempt")));
  sql += ", TXT_EXECUTOR = NULL, DATA_RESERVA = NULL WHERE TAB_STATUS_JOB_ID = " +
         std::to_string(kJobClaimed) + " AND (DATA_RESERVA IS NULL OR DATA_RESERVA < ";
  OCG_RETURN_IF_ERROR(AppendMoment(sql, AddSeconds(now, -lease.count())));
  sql += ")";
  OCG_RETURN_IF_ERROR(Execute(statement, Value::Text(connection)));
  return scope.Commit();
}

Status ClaimNextJob(const std::string& connection, const std::string& runner, const DateTime& now,
                    JobRow* job, bool* claimed) {
  *claimed = false;
  OperationScope scope(/*for_write=*/true);
  std::string statement;
  SqlBuilder due(&statement);
  due += "SELECT MIN(LOG_GERADOR_ID) AS ID FROM LOG_GERADOR WHERE TAB_STATUS_JOB_ID = " +
         std::to_string(kJobWaiting) + " AND (DATA_INICIO IS NULL OR DATA_INICIO <= ";
  OCG_RETURN_IF_ERROR(AppendMoment(due, now));
  due += ") AND (DATA_PROXIMA_TENTATIVA IS NULL OR DATA_PROXIMA_TENTATIVA <= ";
  OCG_RETURN_IF_ERROR(AppendMoment(due, now));
  due += ")";
  RecordSet rs;
  OCG_RETURN_IF_ERROR(rs.Open(statement, Value::Text(connection)));
  Value id;
  if (!rs.Eof()) {
    OCG_ASSIGN_OR_RETURN(id, rs.Field("ID"));
  }
  if (!id.is_number()) {  // nothing due: MIN of no rows is Null
    return scope.Commit();
  }

  statement.clear();
  SqlBuilder claim(&statement);
  claim += "UPDATE LOG_GERADOR SET TAB_STATUS_JOB_ID = " + std::to_string(kJobClaimed) +
           ", TXT_EXECUTOR = ";
  OCG_RETURN_IF_ERROR(claim.gTexto_SQL(Value::Text(runner)));
  claim += ", DATA_RESERVA = ";
  OCG_RETURN_IF_ERROR(AppendMoment(claim, now));
  claim += " WHERE LOG_GERADOR_ID = ";
  OCG_RETURN_IF_ERROR(claim.gTrata_Numero(id));
  claim += " AND TAB_STATUS_JOB_ID = " + std::to_string(kJobWaiting);
  OCG_RETURN_IF_ERROR(Execute(statement, Value::Text(connection)));

  // Read back, and believe the claim only if the row says it is ours.
  OCG_ASSIGN_OR_RETURN(const int32_t job_id, id.ToInt32());
  bool found = false;
  OCG_RETURN_IF_ERROR(ReadJob(connection, job_id, job, &found));
  const bool ours =
      found && Cat(job->executor) == runner && JobStatusCode(job->status) == kJobClaimed;
  OCG_RETURN_IF_ERROR(scope.Commit());  // a claim the database did not keep is none
  *claimed = ours;
  return Status();
}

Status FinishJob(const std::string& connection, const std::string& runner, int32_t job_id,
                 const JobEnd& end) {
  OperationScope scope(/*for_write=*/true);
  std::string statement;
  SqlBuilder sql(&statement);
  sql += "UPDATE LOG_GERADOR SET TAB_STATUS_JOB_ID = ";
  OCG_RETURN_IF_ERROR(sql.gTrata_Numero(Value::Int32(end.status)));
  sql += ", QTDE_TENTATIVAS = ";
  OCG_RETURN_IF_ERROR(sql.gTrata_Numero(Value::Int32(end.attempts)));
  if (end.error) {
    sql += ", TXT_ULTIMO_ERRO = ";
    OCG_RETURN_IF_ERROR(sql.gTexto_SQL(Value::Text(StorableError(*end.error))));
  }
  sql += ", DATA_PROXIMA_TENTATIVA = ";
  if (end.next_try) {
    OCG_RETURN_IF_ERROR(AppendMoment(sql, *end.next_try));
  } else {
    sql += "NULL";
  }
  sql += ", TXT_EXECUTOR = NULL, DATA_RESERVA = NULL WHERE LOG_GERADOR_ID = ";
  OCG_RETURN_IF_ERROR(sql.gTrata_Numero(Value::Int32(job_id)));
  sql += " AND TAB_STATUS_JOB_ID = " + std::to_string(kJobClaimed) + " AND TXT_EXECUTOR = ";
  OCG_RETURN_IF_ERROR(sql.gTexto_SQL(Value::Text(runner)));
  OCG_RETURN_IF_ERROR(Execute(statement, Value::Text(connection)));
  return scope.Commit();
}

}  // namespace ocg
