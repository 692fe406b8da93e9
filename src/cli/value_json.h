// cli/value_json.h: Values to and from JSON, for the command line and the
// HTTP service.
//
// JSON null is Null; true/false are Booleans; an integer within 32 bits is an
// Int32 (larger ones a Double); a decimal is a Double; a string is a Text; an
// array is an array of Values; {"date": "YYYY-MM-DDTHH:MM:SS"} (or
// "YYYY-MM-DD") is a Date; {"empty": true} is Empty, which is also what an
// absent argument is. Anything else is refused with a message naming it.
#ifndef OCG_CLI_VALUE_JSON_H_
#define OCG_CLI_VALUE_JSON_H_

#include <nlohmann/json.hpp>
#include <string>

#include "base/status.h"
#include "value/value.h"

namespace ocg {

Status ValueFromJson(const nlohmann::ordered_json& json, Value* out);
nlohmann::ordered_json ValueToJson(const Value& value);

}  // namespace ocg

#endif  // OCG_CLI_VALUE_JSON_H_
