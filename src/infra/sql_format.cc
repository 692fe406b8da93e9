// infra/sql_format.cc: the ten routines that put Values into statement text.
//
// Their output is spliced into statements as it is, so every blank and quote
// below is part of the SQL the other modules send. A routine that hands "the
// value unchanged" back gives a plain copy, never a reference: the record-set
// field it may have come from moves on before the statement runs.
#include "infra/sql_format.h"

#include "value/date_time.h"
#include "value/text.h"

namespace ocg {
namespace {

// The longest text the cleaning loop takes; its position counter is the
// platform's 16-bit integer.
constexpr size_t kMaxCleanLength = 32767;

// The characters that could close a quote or change a statement's meaning.
constexpr std::string_view kSpecialCharacters = "'<>();%&+\"";

Value Detached(const Value& value) {
  switch (value.kind()) {
    case Value::Kind::kNull:
      return Value::Null();
    case Value::Kind::kInt16:
      return Value::Int16(value.int16());
    case Value::Kind::kInt32:
      return Value::Int32(value.int32());
    case Value::Kind::kDouble:
      return Value::Double(value.dbl());
    case Value::Kind::kDate:
      return Value::Date(value.date());
    case Value::Kind::kText:
      return Value::Text(value.text());
    case Value::Kind::kBool:
      return Value::Bool(value.boolean());
    case Value::Kind::kArray:
      return Value::Array(value.array());
    case Value::Kind::kEmpty:
    case Value::Kind::kRef:
      break;
  }
  return Value();
}

std::string NullTest(std::string_view op) {
  if (op == "<>") return " is not null";
  if (op == "=") return " is null";
  return " null";
}

}  // namespace

// The platform's Format with a date pattern: a date, a text that reads as a
// date and a number (a serial) are formatted; anything else comes back as its
// own text, unformatted.
std::string FormatValueAsDate(const Value& value, std::string_view pattern) {
  Result<DateTime> moment = value.ToDate();
  if (!moment.ok() && value.is_text()) {
    if (std::optional<double> serial = ParseLocaleNumber(value.text())) {
      moment = Value::Double(*serial).ToDate();
    }
  }
  if (!moment.ok()) return Cat(value);
  return FormatDateTime(moment.value(), pattern);
}

// The local separator is found by printing one half, as the platform would,
// so this routine and FormatNumber/ParseLocaleNumber can never disagree.
// Printed once: the number form never changes while the program runs.
Value gTrata_Numero(const Value& value) {
  static const bool point_is_local = FormatNumber(50.0 / 100.0).find('.') != std::string::npos;
  const char local = point_is_local ? '.' : ',';
  const char foreign = point_is_local ? ',' : '.';

  if (value.IsNullOrEmptyText()) return Value::Int32(0);
  Result<std::string> text = value.ToText();
  if (!text.ok()) return Value::Int32(0);
  std::string s = std::move(text).value();
  const size_t first = s.find(foreign);
  if (first == std::string::npos) return Detached(value);
  // Two or more are taken for digit grouping ("1.234.567"), which the number
  // reading already understands.
  if (s.find(foreign, first + 1) != std::string::npos) return Detached(value);
  s[first] = local;
  return Value::Text(std::move(s));
}

std::string gData_SQL(const Value& value) {
  if (value.IsNullOrEmptyText()) return "null";
  return "'" + FormatValueAsDate(value, "yyyy/mm/dd hh:mm") + "'";
}

Value gNulo_Vazio(const Value& value) {
  if (value.is_null()) return Value::Text("");
  return Detached(value);
}

Result<Value> gZero_Nulo(const Value& value) {
  Result<std::string> text = value.ToText();
  if (!text.ok()) return text.status();
  if (LeadingNumber(text.value()) == 0) return Value::Text("null");
  return Detached(value);
}

std::string gTexto_SQL(const Value& value) {
  if (value.IsNullOrEmptyText()) return "null";
  return "'" + Cat(value) + "'";
}

bool gVirgula_Ponto(std::string_view text, std::string* result) {
  std::string out(text);
  for (char& c : out) {
    if (c == ',') c = '.';
  }
  *result = std::move(out);
  return true;
}

Result<std::string> gRetira_Especiais(std::string_view text) {
  if (TrimBlanks(text).empty()) return std::string();
  if (CharLength(text) > kMaxCleanLength) {
    return Status::Error("Invalid procedure call or argument", 5);
  }
  // The ten characters are ASCII, and no byte of a multi-byte UTF-8 character
  // is ASCII, so removing bytes never cuts a character.
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (kSpecialCharacters.find(c) == std::string_view::npos) out += c;
  }
  return out;
}

std::string gCondicao_Data(const Value& value, std::string_view op) {
  if (value.IsNullOrEmptyText()) return NullTest(op);
  return " " + std::string(op) + " to_date('" + FormatValueAsDate(value, "yyyy/mm/dd hh:mm:ss") +
         "', 'yyyy/mm/dd hh24:mi:ss')";
}

Result<std::string> gCondicao_Numero(const Value& value, std::string_view op) {
  Result<std::string> text = value.ToText();
  if (!text.ok()) return text.status();
  if (LeadingNumber(text.value()) == 0) return NullTest(op);
  return " " + std::string(op) + " " + text.value();
}

std::string gCondicao_Texto(const Value& value, std::string_view op) {
  if (value.IsNullOrEmptyText()) return ToUpperText(NullTest(op));
  return ToUpperText(" " + std::string(op) + " '" + Cat(value) + "'");
}

std::string Cat(const Value& value) {
  if (value.is_null() || value.is_empty()) return std::string();
  return value.TextOrEmpty();
}

}  // namespace ocg
