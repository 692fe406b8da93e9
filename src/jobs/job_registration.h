// jobs/job_registration.h: registering a background job in LOG_GERADOR.
//
// A job names a function for the job runner to carry out (FUNCAO_ID), the
// user who asked for it, an optional e-mail notice (flag "S", title, text,
// recipient, sender, attachment), a start date, the status 1 (waiting) and
// its parameters as one text in TXT_QUERY: "__JOB__", the job identifier,
// then "__" before each parameter ("__JOB__57__10__X").
//
// Under "ORACLE" the module writes the row and the parameter text itself,
// each followed by a LOG_SISTEMA row (table 490, action 1), and the texts it
// writes are upper-cased on the way; under any other kind it calls the stored
// procedures SP_ZOR_INC_JOB2 and SP_ZOR_INCLUI_PARAMETRO_JOB, which store the
// texts as given. Both writes run in one transaction: the caller's, or the
// module's own when it is called alone.
#ifndef OCG_JOBS_JOB_REGISTRATION_H_
#define OCG_JOBS_JOB_REGISTRATION_H_

#include "value/value.h"

namespace ocg {

// Registers a job. Every argument is a Value by reference, in this order:
// the database kind, the connection string, the user (numeric), the message
// (written on failure only), the function code (a whole number of at least
// 1), the e-mail title, the e-mail flag ("S" sends; anything else, "s"
// included, blanks title, recipient and text), the job identifier (written),
// the parameter list (an array used from index 0), the number of parameters
// to use, the e-mail text, the recipient, the start date (empty or a date),
// the sender and the attachment address. The function code, title, flag,
// number of parameters, text, recipient, start date, sender, attachment and
// each used parameter are cleaned in place of ' < > ( ) ; % & + and the
// double quote. True when the job and its parameter text are stored; false
// with the reason in msg, and, past the configuration checks, a LOG_MSG row
// "LUM_JOB.gInclui_JOB - " + the reason.
bool gInclui_JOB(Value& banco, Value& conecta, Value& usuario, Value& msg, Value& funcao,
                 Value& titulo, Value& flag, Value& job_id, Value& parametros,
                 Value& qtde_parametros, Value& texto, Value& destinatario, Value& data_inicio,
                 Value& remetente, Value& anexo);

}  // namespace ocg

#endif  // OCG_JOBS_JOB_REGISTRATION_H_
