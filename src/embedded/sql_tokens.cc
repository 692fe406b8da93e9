#include "embedded/sql_tokens.h"

#include <string>

namespace ocg {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsWordStart(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u == '@' || u == '#' ||
         u >= 0x80;  // accented letters of UTF-8 names
}
bool IsWordChar(char c) { return IsWordStart(c) || IsDigit(c) || c == '$'; }

}  // namespace

Status TokenizeSql(std::string_view s, std::vector<SqlToken>* out) {
  out->clear();
  const size_t n = s.size();
  size_t i = 0;
  while (i < n) {
    const size_t start = i;
    const char c = s[i];
    SqlTokenKind kind;
    if (IsBlank(c)) {
      while (i < n && IsBlank(s[i])) ++i;
      kind = SqlTokenKind::kSpace;
    } else if (c == '-' && i + 1 < n && s[i + 1] == '-') {
      i = s.find('\n', i);
      if (i == std::string_view::npos) i = n;
      kind = SqlTokenKind::kComment;
    } else if (c == '/' && i + 1 < n && s[i + 1] == '*') {
      size_t close = s.find("*/", i + 2);
      i = close == std::string_view::npos ? n : close + 2;
      kind = SqlTokenKind::kComment;
    } else if (c == '\'' || c == '"') {
      ++i;
      for (;;) {
        if (i >= n) {
          return Status::Error("Unclosed quotation mark after the character string '" +
                                   std::string(s.substr(start + 1)) + "'.",
                               105);
        }
        if (s[i] == c) {
          if (i + 1 < n && s[i + 1] == c) {
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        ++i;
      }
      kind = c == '\'' ? SqlTokenKind::kString : SqlTokenKind::kQuotedName;
    } else if (IsDigit(c) || (c == '.' && i + 1 < n && IsDigit(s[i + 1]))) {
      while (i < n && IsDigit(s[i])) ++i;
      if (i < n && s[i] == '.') {
        ++i;
        while (i < n && IsDigit(s[i])) ++i;
      }
      if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < n && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < n && IsDigit(s[j])) {
          i = j;
          while (i < n && IsDigit(s[i])) ++i;
        }
      }
      kind = SqlTokenKind::kNumber;
    } else if (IsWordStart(c)) {
      while (i < n && IsWordChar(s[i])) ++i;
      kind = SqlTokenKind::kWord;
    } else {
      ++i;
      kind = SqlTokenKind::kPunct;
    }
    out->push_back({kind, start, i});
  }
  return Status();
}

}  // namespace ocg
