#include "infra/infra_ids.h"

#include <limits>

#include "infra/failure.h"
#include "infra/record_set.h"
#include "infra/session.h"
#include "infra/sql_format.h"
#include "value/text.h"

namespace ocg {
namespace {

constexpr TrapSite kAllocationSite{"LUM_SQL1.gAtualiza_infra_ids",
                                   "Acesso aos SQL não disponível. Favor tentar mais tarde.",
                                   DetailStyle::kLowerCase};

std::string ZeroNullOfTrimmed(const Value& v) {
  Result<Value> r = gZero_Nulo(Value::Text(std::string(TrimBlanks(v.TextOrEmpty()))));
  return r.ok() ? Cat(r.value()) : "null";
}

}  // namespace

bool gAtualiza_infra_ids(const std::string& banco, int32_t usuario, int32_t /*reservado*/,
                         const std::string& /*dono*/, const std::string& /*flag*/,
                         const Value& /*conexao*/, const std::string& conecta,
                         const std::string& coluna, std::string& msg, int32_t& novo_id) {
  // Its own write transaction when called alone; the caller's when nested.
  // Either way the write lock is taken before the counter is read, so the
  // read and the update cannot interleave with another allocation.
  OperationScope scope(/*for_write=*/true);
  const Value connection = Value::Text(conecta);
  std::string strSQL;
  bool result = false;
  Status status = [&]() -> Status {
    strSQL = "SELECT  " + coluna + " FROM infra_ids ";
    RecordSet rs;
    OCG_RETURN_IF_ERROR(rs.Open(strSQL, connection));
    if (rs.Eof()) {
      msg = "Não há registro no banco de dados na tabela Infra_ids. ";
      return Status();
    }
    OCG_ASSIGN_OR_RETURN(Value counter, rs.Field(coluna));
    Value trimmed =
        counter.is_null() ? counter : Value::Text(std::string(TrimBlanks(counter.TextOrEmpty())));
    OCG_ASSIGN_OR_RETURN(int32_t last, gTrata_Numero(trimmed).ToInt32());
    if (last == std::numeric_limits<int32_t>::max()) return Status::Overflow();
    const int32_t next = last + 1;
    rs.Close();
    strSQL = "UPDATE infra_ids SET " + coluna + " = " + Cat(gTrata_Numero(Value::Int32(next)));
    OCG_RETURN_IF_ERROR(Execute(strSQL, connection));
    // The identifier is handed out only once it is kept.
    OCG_RETURN_IF_ERROR(scope.Commit());
    novo_id = next;
    result = true;
    return Status();
  }();
  if (!status.ok()) {
    Value message;
    RunFailureRoutine(kAllocationSite, status, strSQL, Value::Text(banco), connection,
                      Value::Int32(usuario), message);
    msg = message.TextOrEmpty();
  }
  return result;
}

bool gGrava_Log_Sistema(const std::string& banco, int32_t& tabela, int32_t& acao, int32_t& usuario,
                        int32_t& registro, int32_t& retorno, std::string& msg,
                        const std::string& conecta) {
  OperationScope scope(/*for_write=*/true);
  const Value connection = Value::Text(conecta);
  RecordSet rs;
  Status opened = rs.Open("SELECT LOG_SISTEMA_ID FROM infra_ids ", connection);
  if (!opened.ok() || rs.Eof()) {
    retorno = 10;
    msg = "Não hã registro na tabela Infra_ids.";
    return false;
  }
  // From here every step runs with its errors ignored.
  int32_t key = 0;
  Result<Value> field = rs.Field("LOG_SISTEMA_ID");
  if (field.ok()) {
    Result<int32_t> last = gTrata_Numero(field.value()).ToInt32();
    if (last.ok()) key = last.value();
  }
  rs.Close();
  if (key < std::numeric_limits<int32_t>::max()) ++key;

  Execute(" Update infra_ids set LOG_SISTEMA_ID = " + ZeroNullOfTrimmed(Value::Int32(key)),
          connection)
      .IgnoreError();

  std::string sql;
  sql += " Insert ";
  sql += " Into LOG_SISTEMA ( ";
  sql += " LOG_SISTEMA_ID, ";
  sql += " TABELA_SISTEMA_ID, ";
  sql += " TAB_TIPO_ACAO_ID, ";
  sql += " USUARIO_ID, ";
  sql += " registro_id, ";
  sql += " data_log ) ";
  sql += " Values ( ";
  for (int32_t v : {key, tabela, acao, usuario, registro}) {
    sql += ZeroNullOfTrimmed(Value::Int32(v));
    sql += " , ";
  }
  if (banco == "SQLSERVER") {
    sql += " getdate() ) ";
  } else if (banco == "ORACLE") {
    sql += " SYSDATE )  ";
  } else {
    sql += " '01/01/2000' ) ";
  }
  Execute(sql, connection).IgnoreError();
  scope.Commit().IgnoreError();  // like every step here
  return true;
}

}  // namespace ocg
