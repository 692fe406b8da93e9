#include "embedded/sql_tokens.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

namespace ocg {
namespace {

// What a byte may be, looked up once per byte: a statement is read for
// every call that runs it, so the scan keeps to one table load per byte.
// kInert: a blank, or punctuation that is a token of its own and starts no
// literal or comment.
enum : uint8_t { kBlank = 1, kDigit = 2, kWordStart = 4, kWordChar = 8, kInert = 16 };

constexpr std::array<uint8_t, 256> kByteClasses = [] {
  std::array<uint8_t, 256> classes{};
  for (char c : {' ', '\t', '\r', '\n', '\f', '\v'}) {
    classes[static_cast<uint8_t>(c)] = kBlank | kInert;
  }
  for (int c = '0'; c <= '9'; ++c) classes[c] = kDigit | kWordChar;
  for (int c = 0; c < 256; ++c) {
    // Accented letters of UTF-8 names are bytes from 0x80 up.
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '@' || c == '#' ||
        c >= 0x80) {
      classes[c] = kWordStart | kWordChar;
    }
  }
  classes['$'] = kWordChar;
  for (int c = 1; c < 0x80; ++c) {
    if (classes[c] == 0 && c != '\'' && c != '"' && c != '.' && c != '-' && c != '/') {
      classes[c] = kInert;
    }
  }
  return classes;
}();

bool Is(char c, uint8_t classes) { return (kByteClasses[static_cast<uint8_t>(c)] & classes) != 0; }

// The end of the token that starts at s[i] (i < s.size()) and its kind;
// npos for a quote that is never closed.
size_t TokenEnd(std::string_view s, size_t i, SqlTokenKind* kind) {
  const size_t n = s.size();
  const char c = s[i];
  if (Is(c, kWordStart)) {
    do ++i;
    while (i < n && Is(s[i], kWordChar));
    *kind = SqlTokenKind::kWord;
    return i;
  }
  if (Is(c, kBlank)) {
    do ++i;
    while (i < n && Is(s[i], kBlank));
    *kind = SqlTokenKind::kSpace;
    return i;
  }
  if (c == '\'' || c == '"') {
    *kind = c == '\'' ? SqlTokenKind::kString : SqlTokenKind::kQuotedName;
    for (++i;;) {
      const void* quote = std::memchr(s.data() + i, c, n - i);
      if (quote == nullptr) return std::string_view::npos;
      i = static_cast<size_t>(static_cast<const char*>(quote) - s.data()) + 1;
      if (i < n && s[i] == c) {  // a doubled quote stands for one inside
        ++i;
        continue;
      }
      return i;
    }
  }
  if (Is(c, kDigit) || (c == '.' && i + 1 < n && Is(s[i + 1], kDigit))) {
    while (i < n && Is(s[i], kDigit)) ++i;
    if (i < n && s[i] == '.') {
      ++i;
      while (i < n && Is(s[i], kDigit)) ++i;
    }
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
      size_t j = i + 1;
      if (j < n && (s[j] == '+' || s[j] == '-')) ++j;
      if (j < n && Is(s[j], kDigit)) {
        i = j;
        while (i < n && Is(s[i], kDigit)) ++i;
      }
    }
    *kind = SqlTokenKind::kNumber;
    return i;
  }
  if (c == '-' && i + 1 < n && s[i + 1] == '-') {
    *kind = SqlTokenKind::kComment;
    const size_t eol = s.find('\n', i);
    return eol == std::string_view::npos ? n : eol;
  }
  if (c == '/' && i + 1 < n && s[i + 1] == '*') {
    *kind = SqlTokenKind::kComment;
    const size_t close = s.find("*/", i + 2);
    return close == std::string_view::npos ? n : close + 2;
  }
  *kind = SqlTokenKind::kPunct;
  return i + 1;
}

// The literal at text[pos], given that a whole reading of the text has a
// token end at pos when the byte there cannot continue the token before it.
// Only a digit can: it continues a name or a number, and after a '.' makes
// the '.' part of it. (A number that stopped before a '.' or a quote has its
// fraction, or its exponent, already; a quoted text that stopped before a
// quote would have read the two as one.)
bool LiteralAt(std::string_view text, size_t pos, SqlToken* out) {
  if (pos >= text.size()) return false;
  if (pos > 0 && Is(text[pos], kDigit) && (Is(text[pos - 1], kWordChar) || text[pos - 1] == '.')) {
    return false;
  }
  SqlTokenKind kind;
  const size_t end = TokenEnd(text, pos, &kind);
  if (end == std::string_view::npos ||
      (kind != SqlTokenKind::kNumber && kind != SqlTokenKind::kString)) {
    return false;
  }
  *out = {kind, pos, end};
  return true;
}

}  // namespace

Status TokenizeSql(std::string_view s, std::vector<SqlToken>* out) {
  out->clear();
  for (size_t i = 0; i < s.size();) {
    SqlTokenKind kind;
    const size_t end = TokenEnd(s, i, &kind);
    if (end == std::string_view::npos) {
      return Status::Error("Unclosed quotation mark after the character string '" +
                               std::string(s.substr(i + 1)) + "'.",
                           105);
    }
    out->push_back({kind, i, end});
    i = end;
  }
  return Status();
}

bool ScanSqlLiterals(std::string_view s, SqlLiterals* out) {
  out->skeleton.clear();
  out->literals.clear();
  size_t copied = 0;
  const size_t n = s.size();
  for (size_t i = 0; i < n;) {
    // Words, blanks and plain punctuation are passed over as they come: only
    // where they end matters, and a word is the one token a digit continues.
    const char c = s[i];
    if (Is(c, kWordStart)) {
      do ++i;
      while (i < n && Is(s[i], kWordChar));
      continue;
    }
    if (Is(c, kInert) || (c == '.' && !(i + 1 < n && Is(s[i + 1], kDigit)))) {
      ++i;
      continue;
    }
    SqlTokenKind kind;
    const size_t end = TokenEnd(s, i, &kind);
    if (end == std::string_view::npos) return false;
    if (kind == SqlTokenKind::kNumber || kind == SqlTokenKind::kString) {
      out->skeleton.append(s.substr(copied, i - copied));
      out->skeleton += '\0';
      out->literals.push_back({kind, i, end});
      copied = end;
    } else if (kind == SqlTokenKind::kPunct && s[i] == '\0') {
      return false;
    }
    i = end;
  }
  out->skeleton.append(s.substr(copied));
  return true;
}

bool MatchSqlSkeleton(std::string_view text, std::string_view skeleton,
                      std::vector<SqlToken>* literals) {
  literals->clear();
  size_t pos = 0;
  for (;;) {
    const size_t marker = skeleton.find('\0');
    const std::string_view part = skeleton.substr(0, marker);
    if (text.size() - pos < part.size() || text.compare(pos, part.size(), part) != 0) return false;
    pos += part.size();
    if (marker == std::string_view::npos) return pos == text.size();
    skeleton.remove_prefix(marker + 1);
    SqlToken literal;
    if (!LiteralAt(text, pos, &literal)) return false;
    literals->push_back(literal);
    pos = literal.end;
  }
}

}  // namespace ocg
