// cva_job_call.h: the gInclui_JOB call an order deletion makes for an order
// with CVA 778899, its arguments held so that a test can change any of them.
#ifndef OCG_TESTS_JOBS_CVA_JOB_CALL_H_
#define OCG_TESTS_JOBS_CVA_JOB_CALL_H_

#include <string>
#include <vector>

#include "infra/sql_format.h"
#include "jobs/job_registration.h"
#include "test_support.h"

namespace ocg::testing {

inline const std::string kCvaTitle = "Gravação do arquivo de CVA eletrônico encerrada.";

struct JobCall {
  Value banco, conecta, usuario = Value::Int32(5), msg = Value::Text("untouched"),
                        funcao = Value::Int32(2305), titulo = Value::Text(kCvaTitle),
                        flag = Value::Text("S"), job_id, parametros, qtde = Value::Int32(11),
                        texto = Value::Text(""), destinatario = Value::Text("ana@tarvosa.com.br"),
                        data_inicio = Value::Text(""), remetente = Value::Text(""),
                        anexo = Value::Text("");
  JobCall(const char* kind, const TempDatabase& db) : banco(Value::Text(kind)), conecta(db.conn()) {
    std::vector<Value> p = {Value::Text(gData_SQL(Value::Text("01/01/2003"))),
                            Value::Text(gData_SQL(Value::Text("01/01/2003"))),
                            Value::Int32(778899)};
    for (int n : {3, 0, 0, 6, 0, 0, 0, 0}) p.push_back(Value::Int32(n));
    parametros = Value::Array(p);
  }
  bool Run() {
    return gInclui_JOB(banco, conecta, usuario, msg, funcao, titulo, flag, job_id, parametros, qtde,
                       texto, destinatario, data_inicio, remetente, anexo);
  }
};

}  // namespace ocg::testing

#endif  // OCG_TESTS_JOBS_CVA_JOB_CALL_H_
