// infra/failure.h: the message log and the failure routine.
//
// A run-time error inside a procedure becomes two texts: the procedure's fixed
// user text, which replaces the caller's message, and a technical detail
// (qualified name, error description and number, statement line, statement
// text), which goes to LOG_MSG and, for the user 1 only, is appended to the
// message. Business refusals never come here.
#ifndef OCG_INFRA_FAILURE_H_
#define OCG_INFRA_FAILURE_H_

#include <string>
#include <string_view>

#include "base/status.h"
#include "value/value.h"

namespace ocg {

// Writes one LOG_MSG row: the text cleaned of ' < > ( ) ; % & + " and cut into
// MSG01..MSG05 of 255 characters. Never fails and never reports: a blank kind
// or connection string, or a text with nothing left after cleaning, writes
// nothing; an engine failure is swallowed (and reported on stderr). Inside an
// operation the row is written after its transaction ends, so it survives a
// rollback.
void gGrava_Log_Msg(const Value& banco, const Value& conecta, const Value& usuario,
                    const Value& tipo, const Value& texto);

// The spelling of the detail: the class's procedures use " No Nº " and
// " Strsq: "; the identifier allocation writes them in lower case; one
// emulation omits the two blanks after the error number.
enum class DetailStyle { kStandard, kLowerCase, kNoBlanksAfterNumber };

// Where a failure routine runs: the procedure's qualified name (for example
// "ZorOCG.gCons_Veic") and its user text.
struct TrapSite {
  std::string_view qualified_name;
  std::string_view user_text;
  DetailStyle style = DetailStyle::kStandard;
};

// " ZorOCG.x ( description : number)   No Nº line Strsq: statement".
std::string FailureDetail(const TrapSite& site, const Status& error, std::string_view statement);

// The failure routine of the class's procedures: msg := user text; log user
// text + detail with type 1; for the user 1 append the detail to msg.
void RunFailureRoutine(const TrapSite& site, const Status& error, std::string_view statement,
                       const Value& banco, const Value& conecta, const Value& usuario, Value& msg);

// The failure routine of the field checks: msg := user text, and for the user
// 1 " - LUMCCA." + routine + " (" + description + " : " + number + ")  " +
// " No Nº " + line. Nothing is logged.
void RunValidationFailureRoutine(std::string_view routine, std::string_view user_text,
                                 const Status& error, const Value& usuario, Value& msg);

// True when the user identifier equals 1 (as a Value comparison: 1, "1", 1.0).
bool IsPrivilegedUser(const Value& usuario);

}  // namespace ocg

#endif  // OCG_INFRA_FAILURE_H_
