// infra/sql_format.h: the routines that turn Values into pieces of SQL text.
//
// Every statement is built by joining literal fragments with the output of
// these routines, so their blanks and quotes are part of every statement.
// None touches the database. "Empty" below means Null or the empty text
// (Empty, never assigned, reads as the empty text). The word null is written
// unquoted in lower case.
//
// What each routine gives:
//   gTrata_Numero     a number text with its one foreign decimal separator
//                     turned local ("12.5" -> "12,5"); Null/"" -> integer 0;
//                     anything else unchanged. Never fails.
//   gData_SQL         "'yyyy/mm/dd hh:mm'", or null when empty.
//   gNulo_Vazio       Null -> ""; anything else unchanged. Never fails.
//   gZero_Nulo        null when the leading-number parse of the text reads 0,
//                     else the value unchanged. Null fails (94).
//   gTexto_SQL        "'text'" (inner quotes untouched), or null when empty.
//   gVirgula_Ponto    every "," replaced by ".". Always true.
//   gRetira_Especiais the ten characters ' < > ( ) ; % & + " removed; a text of
//                     blanks gives "". Over 32,767 characters fails.
//   gCondicao_Numero  " op value", or the null test when the leading-number
//                     parse reads 0; Null fails (94).
//   gCondicao_Data    " op to_date('yyyy/mm/dd hh:mm:ss', 'yyyy/mm/dd hh24:mi:ss')",
//                     or the null test when empty. The same text for every kind.
//   gCondicao_Texto   " op 'text'" or the null test, all in upper case.
// The null test: op "<>" -> " is not null", "=" -> " is null", other -> " null".
#ifndef OCG_INFRA_SQL_FORMAT_H_
#define OCG_INFRA_SQL_FORMAT_H_

#include <string>
#include <string_view>

#include "base/status.h"
#include "value/value.h"

namespace ocg {

Value gTrata_Numero(const Value& value);
std::string gData_SQL(const Value& value);
Value gNulo_Vazio(const Value& value);
Result<Value> gZero_Nulo(const Value& value);
std::string gTexto_SQL(const Value& value);
bool gVirgula_Ponto(std::string_view text, std::string* result);
Result<std::string> gRetira_Especiais(std::string_view text);
std::string gCondicao_Data(const Value& value, std::string_view op);
Result<std::string> gCondicao_Numero(const Value& value, std::string_view op);
std::string gCondicao_Texto(const Value& value, std::string_view op);

// The platform's Format of a value with a date pattern: dates, date texts
// and serial numbers (also as number texts) are formatted; anything else gives
// its own text (Cat).
std::string FormatValueAsDate(const Value& value, std::string_view pattern);

// The text a Value contributes when joined into a statement or a message, as
// the platform's "&" does: Null and Empty give "", numbers and dates their
// text form (ToText).
std::string Cat(const Value& value);

}  // namespace ocg

#endif  // OCG_INFRA_SQL_FORMAT_H_
