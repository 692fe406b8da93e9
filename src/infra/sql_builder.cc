// infra/sql_builder.cc: appending formatted values, each checked as it goes in.
//
// Each method calls its formatting routine, so the text appended is exactly
// the routine's, and then checks only the part the caller supplied: what the
// routine writes on its own (null, a null test, its quotes and date
// function) is trusted.
#include "infra/sql_builder.h"

#include "infra/session.h"
#include "infra/sql_format.h"
#include "value/text.h"

namespace ocg {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

size_t CountDigits(std::string_view s, size_t i) {
  size_t n = 0;
  while (i + n < s.size() && IsDigit(s[i + n])) ++n;
  return n;
}

// The leading-number parse reads 0: the routines' "absent".
bool ReadsAsZero(const Value& value) {
  Result<std::string> text = value.ToText();
  return text.ok() && LeadingNumber(text.value()) == 0;
}

// The refused piece is named in the error, cut short: a caller's text may be
// long and is echoed into the log and, for the user 1, the message.
Status Refused(std::string_view what, std::string_view caller_part) {
  constexpr size_t kShown = 40;
  std::string shown;
  for (char c : caller_part.substr(0, kShown)) shown += c == '\0' ? '?' : c;
  if (caller_part.size() > kShown) shown += "...";
  return Status::Error("Type mismatch: " + std::string(what) + " [" + shown + "]", 13);
}

}  // namespace

bool IsBareSqlNumber(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  size_t digits = CountDigits(s, i);
  i += digits;
  if (i < s.size() && s[i] == '.') {
    const size_t fraction = CountDigits(s, i + 1);
    digits += fraction;
    i += 1 + fraction;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    const size_t exponent = CountDigits(s, j);
    if (exponent == 0) return false;
    i = j + exponent;
  }
  while (i < s.size() && s[i] == ' ') ++i;
  return i == s.size();
}

void SqlBuilder::Append(const std::string& piece, std::string_view caller_part, bool number) {
  Status refusal;
  if (caller_part.find('\0') != std::string_view::npos) {
    refusal = Refused("a NUL character in a value", caller_part);
  } else if (number) {
    if (!IsBareSqlNumber(caller_part)) {
      refusal = Refused("not a number", caller_part);
    } else if (!piece.empty() && piece.front() == '-' && !sql_->empty() && sql_->back() == '-') {
      // "- -5" is fine, "--5" would comment out the rest of the statement.
      refusal = Refused("a number after a minus sign", caller_part);
    }
  } else if (caller_part.find('\'') != std::string_view::npos) {
    refusal = Refused("a quote inside a text", caller_part);
  }
  sql_->append(piece);
  if (!refusal.ok()) RefuseStatementsStartingWith(*sql_, std::move(refusal));
}

Status SqlBuilder::gTrata_Numero(const Value& value) {
  const std::string piece = Cat(ocg::gTrata_Numero(value));
  Append(piece, piece, /*number=*/true);
  return Status();
}

Status SqlBuilder::gZero_Nulo(const Value& value) {
  Result<Value> formatted = ocg::gZero_Nulo(value);
  if (!formatted.ok()) return formatted.status();
  const std::string piece = Cat(formatted.value());
  if (ReadsAsZero(value)) {
    Append(piece, {}, /*number=*/false);  // the routine's null
  } else {
    Append(piece, piece, /*number=*/true);
  }
  return Status();
}

Status SqlBuilder::gCondicao_Numero(const Value& value, std::string_view op) {
  Result<std::string> formatted = ocg::gCondicao_Numero(value, op);
  if (!formatted.ok()) return formatted.status();
  const std::string& piece = formatted.value();
  if (ReadsAsZero(value)) {
    Append(piece, {}, /*number=*/false);  // the null test
  } else {
    Append(piece, std::string_view(piece).substr(op.size() + 2), /*number=*/true);  // " op value"
  }
  return Status();
}

// The quoted routines: what lies between the routine's own quotes (and, for
// the date condition, before its date function's pattern) is the caller's.
void SqlBuilder::AppendQuoted(const std::string& piece, const Value& value, size_t open,
                              size_t close) {
  if (value.IsNullOrEmptyText()) {
    Append(piece, {}, /*number=*/false);  // null, or the null test
  } else {
    Append(piece, std::string_view(piece).substr(open, piece.size() - open - close),
           /*number=*/false);
  }
}

Status SqlBuilder::gTexto_SQL(const Value& value) {
  AppendQuoted(ocg::gTexto_SQL(value), value, 1, 1);  // 'text'
  return Status();
}

Status SqlBuilder::gData_SQL(const Value& value) {
  AppendQuoted(ocg::gData_SQL(value), value, 1, 1);  // 'yyyy/mm/dd hh:mm'
  return Status();
}

Status SqlBuilder::gCondicao_Texto(const Value& value, std::string_view op) {
  AppendQuoted(ocg::gCondicao_Texto(value, op), value, op.size() + 3, 1);  // " OP 'TEXT'"
  return Status();
}

Status SqlBuilder::gCondicao_Data(const Value& value, std::string_view op) {
  // " op to_date('moment', 'yyyy/mm/dd hh24:mi:ss')"
  constexpr std::string_view kHead = "  to_date('";
  constexpr std::string_view kTail = "', 'yyyy/mm/dd hh24:mi:ss')";
  AppendQuoted(ocg::gCondicao_Data(value, op), value, op.size() + kHead.size(), kTail.size());
  return Status();
}

}  // namespace ocg
