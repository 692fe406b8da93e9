// jobs/job_registration.cc: gInclui_JOB and its steps.
//
//   gInclui_JOB                        checks the configuration, cleans the
//                                      arguments, then runs the steps below
//   mConsiste_Inclui_JOB               the job's fields
//   mInclui_JOB                        the job row (SP_ZOR_INC_JOB2)
//   mMonta_Parametro                   the parameter text
//   mInclui_Parametros_JOB             the parameter text into the row
//                                      (SP_ZOR_INCLUI_PARAMETRO_JOB)
//   mTrataSP_ZOR_INC_JOB               the Oracle path's job insert
//   mTrataSP_ZOR_INCLUI_PARAMETRO_JOB  the Oracle path's parameter update
//
// Each step has its own trap, which logs with the kind, connection string and
// user that gInclui_JOB took over (empty until then, so nothing is logged).
#include "jobs/job_registration.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "infra/failure.h"
#include "infra/infra_ids.h"
#include "infra/record_set.h"
#include "infra/session.h"
#include "infra/sql_builder.h"
#include "infra/sql_format.h"
#include "validation/field_checks.h"
#include "value/text.h"

namespace ocg {
namespace {

constexpr std::string_view kJobUserText =
    "Acesso a inclusão do JOB não disponível. Favor tentar mais tarde.";
constexpr TrapSite kRegisterSite{"Lum_JOGB.gInclui_JOB", kJobUserText};
constexpr TrapSite kInsertSite{"Lum_JOGB.mInclui_JOB", kJobUserText};
constexpr TrapSite kParameterTextSite{
    "Lum_JOGB.mMonta_Parametro",
    "Acesso a montagem dos parâmetros do JOB não disponível. Favor tentar mais tarde."};
constexpr TrapSite kChecksSite{"Lum_JOGB.mConsiste_Inclui_JOB",
                               "Acesso a consistência dos dados para a inclusão do JOB não "
                               "disponível. Favor tentar mais tarde."};
constexpr TrapSite kParametersSite{
    "Lum_JOGB.mInclui_Parametros_JOB",
    "Acesso a inclusão dos parâmetros do JOB não disponível. Favor tentar mais tarde."};
constexpr TrapSite kInsertEmulationSite{"Lum_JOGB.mTrataSP_ZOR_INC_JOB", kJobUserText};
constexpr TrapSite kParametersEmulationSite{
    "Lum_JOGB.mTrataSP_ZOR_INCLUI_PARAMETRO_JOB",
    "Acesso a inclusão dos parãmetros do JOB não disponível. Favor tentar mais tarde."};

// LOG_SISTEMA codes of a job registration: table LOG_GERADOR, action insert.
constexpr int32_t kJobTable = 490;
constexpr int32_t kInsertAction = 1;
// A registered job waits for the runner.
constexpr int32_t kJobWaiting = 1;

// The working context gInclui_JOB takes over: every step logs with it.
struct JobContext {
  std::string banco;
  std::string conecta;
  int32_t usuario = 0;
};

// Runs a step's body under its trap; the result is the body's, or false after
// the failure routine. statement is the step's statement variable.
template <typename Body>
bool Trapped(const TrapSite& site, const JobContext& ctx, Value& msg, const std::string& statement,
             Body&& body) {
  bool result = false;
  Status status = body(result);
  if (!status.ok()) {
    RunFailureRoutine(site, status, statement, Value::Text(ctx.banco), Value::Text(ctx.conecta),
                      Value::Int32(ctx.usuario), msg);
    return false;
  }
  return result;
}

// Cleaning: the value becomes gRetira_Especiais of its text (a Null has no
// text and is a run-time error).
Status Clean(Value& v) {
  OCG_ASSIGN_OR_RETURN(std::string text, v.ToText());
  OCG_ASSIGN_OR_RETURN(std::string cleaned, gRetira_Especiais(text));
  v = Value::Text(std::move(cleaned));
  return Status();
}

// The loop bound of "for i = 0 to n - 1" over a numeric count.
Result<double> LastIndex(const Value& count) {
  OCG_ASSIGN_OR_RETURN(double n, count.ToDouble());
  return n - 1;
}

// Element i of the parameter list; past its end is "Subscript out of range".
Result<Value*> Element(Value& list, int i) {
  if (!list.is_array()) return Status::TypeMismatch();
  std::vector<Value>& items = list.mutable_array();
  if (i < 0 || static_cast<size_t>(i) >= items.size()) {
    return Status::Error("Subscript out of range", 9);
  }
  return &items[i];
}

bool mConsiste_Inclui_JOB(const JobContext& ctx, Value& msg, Value& funcao, Value& titulo,
                          Value& flag, Value& texto, Value& destinatario, Value& data_inicio) {
  return Trapped(kChecksSite, ctx, msg, "", [&](bool& result) -> Status {
    Value user = Value::Int32(ctx.usuario), none = Value::Text(""), yes = Value::Text("S"),
          no = Value::Text("N");
    Value label = Value::Text("Código da Função"), one = Value::Int32(1);
    if (!gConsiste_Inteiro(label, funcao, one, none, user, msg, yes)) return Status();
    label = Value::Text("Envia E-Mail (S/N)");
    Value length = Value::Int32(1);
    if (!gConsiste_String(label, flag, length, user, msg, yes)) return Status();
    if (TrimBlanks(Cat(gNulo_Vazio(data_inicio))).empty()) {
      data_inicio = Value::Text("");
    } else if (!data_inicio.IsDate()) {
      msg = Value::Text("Informe uma data de início válida.");
      return Status();
    }
    // Case-sensitive: "s" does not send.
    if (flag.is_text() && flag.text() == "S") {
      Value hundred = Value::Int32(100), long_text = Value::Int32(255);
      label = Value::Text("Título do E-Mail");
      if (!gConsiste_String(label, titulo, hundred, user, msg, yes)) return Status();
      label = Value::Text("Destinatário do E-Mail");
      if (!gConsiste_String(label, destinatario, hundred, user, msg, yes)) return Status();
      label = Value::Text("Texto do E-Mail");
      if (!gConsiste_String(label, texto, long_text, user, msg, no)) return Status();
    } else {
      titulo = destinatario = texto = Value::Text("");
    }
    result = true;
    return Status();
  });
}

// The Oracle path's job insert: a key from INFRA_IDS, the row, a system-log
// row, and a one-row statement of the procedure's shape for the caller.
bool mTrataSP_ZOR_INC_JOB(const JobContext& ctx, int32_t funcao, const std::string& titulo,
                          const std::string& flag, const std::string& texto,
                          const std::string& destinatario, int32_t status, std::string& strSQL,
                          Value& msg, const std::string& data_inicio, const std::string& remetente,
                          const std::string& anexo) {
  return Trapped(kInsertEmulationSite, ctx, msg, strSQL, [&](bool& result) -> Status {
    std::string allocation_msg;
    int32_t id = 0;
    if (!gAtualiza_infra_ids(ctx.banco, ctx.usuario, 1, "VERANDIS", "N", Value(), ctx.conecta,
                             "LOG_GERADOR_ID", allocation_msg, id)) {
      msg = Value::Text(allocation_msg);
      return Status();
    }
    strSQL.clear();
    SqlBuilder sql(&strSQL);
    sql += " INSERT ";
    sql += " INTO LOG_GERADOR ";
    sql += " ( LOG_GERADOR_ID , ";
    sql += " USUARIO_INTERNET_ID , ";
    sql += " FUNCAO_ID , ";
    sql += " TITULO_EMAIL , ";
    sql += " FLAG_ENVIA_EMAIL , ";
    sql += " TEXTO_EMAIL , ";
    sql += " ENDERECO_EMAIL , ";
    sql += " Tab_Status_JOB_ID, ";
    sql += " Data_Inicio, ";
    sql += " Email_Remetente, ";
    sql += " Endereco_anexo ";
    sql += " ) ";
    sql += " VALUES ";
    sql += " (  ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Int32(id), ""));
    sql += " , ";
    sql += "  ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Int32(ctx.usuario), ""));
    sql += " , ";
    sql += "  ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Int32(funcao), ""));
    for (const std::string* text : {&titulo, &flag, &texto, &destinatario}) {
      sql += " , ";
      sql += "  ";
      OCG_RETURN_IF_ERROR(sql.gCondicao_Texto(Value::Text(*text), ""));
    }
    sql += " , ";
    sql += "  ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Int32(status), ""));
    sql += " , ";
    sql += "  ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Data(Value::Text(data_inicio), ""));
    sql += " , ";
    sql += "  ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Texto(Value::Text(remetente), ""));
    sql += " , ";
    sql += "  ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Texto(Value::Text(anexo), ""));
    sql += "  ";
    sql += " ) ";
    OCG_RETURN_IF_ERROR(Execute(strSQL, Value::Text(ctx.conecta)));

    int32_t table = kJobTable, action = kInsertAction, user = ctx.usuario, record = id, code = 0;
    std::string log_msg;
    if (!gGrava_Log_Sistema(ctx.banco, table, action, user, record, code, log_msg, ctx.conecta)) {
      return Status();
    }
    strSQL =
        " Select 0 Retorno, '' MSG_RET , " + std::to_string(id) + " Log_Gerador_ID From Infra_IDS ";
    result = true;
    return Status();
  });
}

bool mInclui_JOB(const JobContext& ctx, int32_t funcao, const std::string& titulo,
                 const std::string& flag, Value& job_id, const std::string& texto,
                 const std::string& destinatario, Value& msg, const std::string& data_inicio,
                 const std::string& remetente, const std::string& anexo) {
  std::string strSQL;
  return Trapped(kInsertSite, ctx, msg, strSQL, [&](bool& result) -> Status {
    if (ctx.banco == "ORACLE") {
      if (!mTrataSP_ZOR_INC_JOB(ctx, funcao, titulo, flag, texto, destinatario, kJobWaiting, strSQL,
                                msg, data_inicio, remetente, anexo)) {
        return Status();
      }
    } else {
      SqlBuilder sql(&strSQL);
      const Value user = Value::Int32(ctx.usuario);
      sql += "EXEC SP_ZOR_INC_JOB2   ";
      OCG_RETURN_IF_ERROR(sql.gZero_Nulo(user));
      sql += ", ";
      OCG_RETURN_IF_ERROR(sql.gZero_Nulo(Value::Int32(funcao)));
      sql += ", ";
      OCG_RETURN_IF_ERROR(sql.gTexto_SQL(Value::Text(titulo)));
      sql += ", ";
      OCG_RETURN_IF_ERROR(sql.gTexto_SQL(Value::Text(flag)));
      sql += ", ";
      OCG_RETURN_IF_ERROR(sql.gZero_Nulo(user));
      sql += ", ";
      OCG_RETURN_IF_ERROR(sql.gTexto_SQL(Value::Text(texto)));
      sql += ", ";
      OCG_RETURN_IF_ERROR(sql.gTexto_SQL(Value::Text(destinatario)));
      sql += " , ";
      OCG_RETURN_IF_ERROR(sql.gZero_Nulo(Value::Int32(kJobWaiting)));
      sql += " , ";
      OCG_RETURN_IF_ERROR(sql.gTexto_SQL(Value::Text(remetente)));
      sql += " , ";
      OCG_RETURN_IF_ERROR(sql.gTexto_SQL(Value::Text(anexo)));
      sql += " , ";
      OCG_RETURN_IF_ERROR(sql.gData_SQL(Value::Text(data_inicio)));
      sql += "  ";
    }
    RecordSet rs;
    OCG_RETURN_IF_ERROR(rs.Open(strSQL, Value::Text(ctx.conecta)));
    if (!rs.IsOpen() || rs.Eof()) {
      msg = Value::Text("Problemas na inclusão do JOB.");
      return Status();
    }
    OCG_ASSIGN_OR_RETURN(Value retorno, rs.Field("Retorno"));
    OCG_ASSIGN_OR_RETURN(double code, gTrata_Numero(retorno).ToDouble());
    if (code != 0) {
      OCG_ASSIGN_OR_RETURN(Value reason, rs.Field("Msg_Ret"));
      msg = Value::Text("Problemas na inclusão do JOB (" + Cat(gNulo_Vazio(reason)) + ").");
      return Status();
    }
    OCG_ASSIGN_OR_RETURN(Value id, rs.Field("LOG_GERADOR_ID"));
    if (!id.Equals(Value::Int32(0))) job_id = gTrata_Numero(id);
    result = true;
    return Status();
  });
}

bool mMonta_Parametro(const JobContext& ctx, Value& msg, Value& parametros,
                      const Value& qtde_parametros, std::string& texto_parametro, int32_t job_id) {
  return Trapped(kParameterTextSite, ctx, msg, "", [&](bool& result) -> Status {
    std::string text = "__JOB__" + std::to_string(job_id);
    OCG_ASSIGN_OR_RETURN(double last, LastIndex(qtde_parametros));
    for (int i = 0; i <= last; ++i) {
      OCG_ASSIGN_OR_RETURN(Value * element, Element(parametros, i));
      OCG_ASSIGN_OR_RETURN(std::string piece, element->ToText());
      text += "__" + piece;
    }
    texto_parametro = std::move(text);
    result = true;
    return Status();
  });
}

// The Oracle path's parameter update (the text upper-cased by the text
// condition), with its system-log row.
bool mTrataSP_ZOR_INCLUI_PARAMETRO_JOB(const JobContext& ctx, int32_t job_id,
                                       const std::string& texto_parametro, std::string& strSQL,
                                       Value& msg) {
  return Trapped(kParametersEmulationSite, ctx, msg, strSQL, [&](bool& result) -> Status {
    strSQL.clear();
    SqlBuilder sql(&strSQL);
    sql += " UPDATE LOG_GERADOR ";
    sql += " SET ";
    sql += " TXT_QUERY =  ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Texto(Value::Text(texto_parametro), ""));
    sql += " ";
    sql += " WHERE LOG_GERADOR_ID  = ";
    OCG_RETURN_IF_ERROR(sql.gTrata_Numero(Value::Int32(job_id)));
    sql += " ";
    OCG_RETURN_IF_ERROR(Execute(strSQL, Value::Text(ctx.conecta)));
    int32_t table = kJobTable, action = kInsertAction, user = ctx.usuario, record = job_id,
            code = 0;
    std::string log_msg;
    if (!gGrava_Log_Sistema(ctx.banco, table, action, user, record, code, log_msg, ctx.conecta)) {
      return Status();
    }
    strSQL = " Select 0 Retorno, '' Msg_Ret From Infra_IDS ";
    result = true;
    return Status();
  });
}

bool mInclui_Parametros_JOB(const JobContext& ctx, int32_t job_id,
                            const std::string& texto_parametro, Value& msg) {
  std::string strSQL;
  return Trapped(kParametersSite, ctx, msg, strSQL, [&](bool& result) -> Status {
    if (ctx.banco == "ORACLE") {
      if (!mTrataSP_ZOR_INCLUI_PARAMETRO_JOB(ctx, job_id, texto_parametro, strSQL, msg)) {
        return Status();
      }
    } else {
      SqlBuilder sql(&strSQL);
      sql += "EXEC SP_ZOR_INCLUI_PARAMETRO_JOB   ";
      OCG_RETURN_IF_ERROR(sql.gZero_Nulo(Value::Int32(job_id)));
      sql += ", ";
      OCG_RETURN_IF_ERROR(sql.gTexto_SQL(Value::Text(texto_parametro)));
      sql += ", ";
      OCG_RETURN_IF_ERROR(sql.gZero_Nulo(Value::Int32(ctx.usuario)));
    }
    RecordSet rs;
    OCG_RETURN_IF_ERROR(rs.Open(strSQL, Value::Text(ctx.conecta)));
    if (!rs.IsOpen() || rs.Eof()) {
      msg = Value::Text("Problemas na inclusão dos parâmetros do JOB.");
      return Status();
    }
    OCG_ASSIGN_OR_RETURN(Value retorno, rs.Field("Retorno"));
    OCG_ASSIGN_OR_RETURN(double code, gTrata_Numero(retorno).ToDouble());
    if (code != 0) {
      OCG_ASSIGN_OR_RETURN(Value reason, rs.Field("Msg_Ret"));
      msg = Value::Text("Problemas na inclusão dos parâmetros do JOB (" + Cat(gNulo_Vazio(reason)) +
                        ").");
      return Status();
    }
    result = true;
    return Status();
  });
}

}  // namespace

bool gInclui_JOB(Value& banco, Value& conecta, Value& usuario, Value& msg, Value& funcao,
                 Value& titulo, Value& flag, Value& job_id, Value& parametros,
                 Value& qtde_parametros, Value& texto, Value& destinatario, Value& data_inicio,
                 Value& remetente, Value& anexo) {
  // Both writes, and their system-log rows, stand or fall together.
  OperationScope scope(/*for_write=*/true);
  JobContext ctx;  // empty until taken over: a failure before that logs nothing
  auto fail = [&](std::string_view reason) {
    if (!reason.empty()) msg = Value::Text(std::string(reason));
    gGrava_Log_Msg(Value::Text(ctx.banco), Value::Text(ctx.conecta), Value::Int32(ctx.usuario),
                   Value::Int32(1), Value::Text("LUM_JOB.gInclui_JOB - " + Cat(msg)));
    return Status();
  };
  bool result = Trapped(kRegisterSite, ctx, msg, "", [&](bool& registered) -> Status {
    if (TrimBlanks(Cat(banco)).empty()) {
      return fail("Informações de configuração do sistema incompletas (Banco de Dados).");
    }
    if (TrimBlanks(Cat(conecta)).empty()) {
      return fail("Informações de configuração do sistema incompletas (String de Conexão).");
    }
    if (!usuario.IsNumeric()) {
      return fail("Informações de configuração do sistema incompletas (Código do Usuário).");
    }
    OCG_ASSIGN_OR_RETURN(ctx.usuario, gTrata_Numero(usuario).ToInt32());
    OCG_ASSIGN_OR_RETURN(ctx.conecta, gNulo_Vazio(conecta).ToText());
    OCG_ASSIGN_OR_RETURN(ctx.banco, gNulo_Vazio(banco).ToText());

    for (Value* v : {&funcao, &titulo, &flag, &qtde_parametros, &texto, &destinatario, &data_inicio,
                     &remetente, &anexo}) {
      OCG_RETURN_IF_ERROR(Clean(*v));
    }
    if (!qtde_parametros.IsNumeric()) return fail("Quantidade de parâmetros informada inválida.");
    OCG_ASSIGN_OR_RETURN(double last, LastIndex(qtde_parametros));
    for (int i = 0; i <= last; ++i) {
      OCG_ASSIGN_OR_RETURN(Value * element, Element(parametros, i));
      OCG_RETURN_IF_ERROR(Clean(*element));
    }

    if (!mConsiste_Inclui_JOB(ctx, msg, funcao, titulo, flag, texto, destinatario, data_inicio)) {
      return fail("");
    }
    OCG_ASSIGN_OR_RETURN(int32_t function_code, funcao.ToInt32());
    if (!mInclui_JOB(ctx, function_code, Cat(titulo), Cat(flag), job_id, Cat(texto),
                     Cat(destinatario), msg, Cat(data_inicio), Cat(remetente), Cat(anexo))) {
      return fail("");
    }
    OCG_ASSIGN_OR_RETURN(int32_t id, job_id.ToInt32());
    std::string parameter_text;
    if (!mMonta_Parametro(ctx, msg, parametros, qtde_parametros, parameter_text, id)) {
      return fail("");
    }
    if (!mInclui_Parametros_JOB(ctx, id, parameter_text, msg)) return fail("");
    OCG_RETURN_IF_ERROR(scope.Commit());
    registered = true;
    return Status();
  });
  return result;
}

}  // namespace ocg
