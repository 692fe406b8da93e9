#include "infra/sql_guard.h"

#include <cctype>

#include "value/text.h"

namespace ocg {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimSqlBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool ConsumeDigits(std::string_view& s) {
  size_t n = 0;
  while (n < s.size() && std::isdigit(static_cast<unsigned char>(s[n]))) ++n;
  s.remove_prefix(n);
  return n > 0;
}

bool IsPlainNumber(std::string_view s) {
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) s.remove_prefix(1);
  if (!ConsumeDigits(s)) return false;
  if (!s.empty() && s.front() == '.') {
    s.remove_prefix(1);
    if (!ConsumeDigits(s)) return false;
  }
  if (!s.empty() && (s.front() == 'e' || s.front() == 'E')) {
    s.remove_prefix(1);
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) s.remove_prefix(1);
    if (!ConsumeDigits(s)) return false;
  }
  return s.empty();
}

Status Mismatch(std::string_view what, std::string_view fragment) {
  return Status::Error("Type mismatch: " + std::string(what) + " [" + std::string(fragment) + "]",
                       13);
}

}  // namespace

Result<std::string> SqlNumber(std::string fragment) {
  std::string_view s = TrimSqlBlanks(fragment);
  for (std::string_view op : {"<>", "<=", ">=", "=", "<", ">"}) {
    if (s.substr(0, op.size()) == op) {
      s = TrimSqlBlanks(s.substr(op.size()));
      break;
    }
  }
  const std::string upper = ToUpperText(s);
  if (upper == "NULL" || upper == "IS NULL" || upper == "IS NOT NULL" || IsPlainNumber(s)) {
    return fragment;
  }
  return Mismatch("not a number", fragment);
}

Result<std::string> SqlText(std::string literal) {
  std::string_view s = literal;
  if (s == "null") return literal;
  if (s.size() >= 2 && s.front() == '\'' && s.back() == '\'' &&
      s.substr(1, s.size() - 2).find('\'') == std::string_view::npos) {
    return literal;
  }
  return Mismatch("a quote inside a text", literal);
}

}  // namespace ocg
