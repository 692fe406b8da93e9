// component/procedure.h: what the procedures of Ocg share.
//
// Every procedure follows one skeleton: its result starts at the failure value;
// the body runs as a function returning Status, where a business refusal sets
// the message and returns OK with the result unchanged, and a run-time error
// returns the failed Status; the caller then runs the failure routine with the
// procedure's own TrapSite and statement text. The success value is set last.
#ifndef OCG_COMPONENT_PROCEDURE_H_
#define OCG_COMPONENT_PROCEDURE_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "base/status.h"
#include "value/value.h"

namespace ocg {

// Results of the Value operations.
inline Value ValueOk() { return Value::Int16(0); }
inline Value ValueFailed() { return Value::Int16(10); }
inline bool IsValueOk(const Value& result) {
  return result.kind() == Value::Kind::kInt16 && result.int16() == 0;
}

// Dispatch: the kind is compared with "ORACLE" exactly (case-sensitive,
// untrimmed); any other text takes the stored-procedure path.
bool IsOracle(const Value& kind);
bool IsOracle(std::string_view kind);

// The "converted to text" of the platform: Null fails (94), Empty is "".
Result<std::string> ToText(const Value& value);

// gTrata_Numero then the 32-bit whole number, as the emulations receive their
// identifiers.
Result<int32_t> NormalisedInt32(const Value& value);

// The platform's Format of a value with a date pattern: Null, Empty and ""
// give ""; dates, date texts and serial numbers are formatted; any other text
// comes back unchanged.
Value FormatAsDate(const Value& value, std::string_view pattern);

// Reads a column of the current row into out (written only on success).
class RecordSet;
Status ReadField(const RecordSet& rs, std::string_view column, Value& out);

}  // namespace ocg

#endif  // OCG_COMPONENT_PROCEDURE_H_
