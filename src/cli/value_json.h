// cli/value_json.h: Values to and from JSON, for the command line and the
// HTTP service.
//
// JSON null is Null; true/false are Booleans; an integer within 32 bits is an
// Int32 (larger ones a Double); a decimal is a Double; a string is a Text; an
// array of such values is an array of Values (one-dimensional: an array
// inside an array is refused); {"date": "YYYY-MM-DDTHH:MM:SS"} (or
// "YYYY-MM-DD") is a Date; {"empty": true} is Empty, which is also what an
// absent argument is. Anything else is refused with a message that quotes at
// most the start of the value.
#ifndef OCG_CLI_VALUE_JSON_H_
#define OCG_CLI_VALUE_JSON_H_

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "base/status.h"
#include "value/value.h"

namespace ocg {

// The largest argument text taken, and the deepest nesting: arguments hold
// values, dates and one-dimensional arrays, three levels at most.
constexpr size_t kMaxArgumentsBytes = 4 << 20;
constexpr int kMaxArgumentsDepth = 16;

// Parses an argument text. Refuses (13) malformed JSON, a text over
// kMaxArgumentsBytes and nesting past kMaxArgumentsDepth, with a one-line
// message; the deep or large input is never built into a tree.
Status ParseArgumentsJson(std::string_view text, nlohmann::ordered_json* out);

Status ValueFromJson(const nlohmann::ordered_json& json, Value* out);
nlohmann::ordered_json ValueToJson(const Value& value);

}  // namespace ocg

#endif  // OCG_CLI_VALUE_JSON_H_
