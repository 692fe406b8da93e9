#include "infra/connection_string.h"

#include <optional>
#include <vector>

#include "value/text.h"

namespace ocg {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view s) { return TrimAny(s, " \t\r\n"); }

bool IsPasswordKey(std::string_view compared_key) {
  return compared_key == "password" || compared_key == "pwd";
}

Status ParseError(const std::string& why) {
  return Status::Error("Connection string could not be parsed: " + why, 0);
}

// One key=value pair as found in the text: [begin, end) is the value as
// written (quotes included).
struct Pair {
  std::string key;  // compared form
  std::string value;
  size_t value_begin;
  size_t value_end;
};

// Reads every pair; stops at the first error.
Status Scan(std::string_view s, std::vector<Pair>* pairs) {
  size_t pos = 0;
  const size_t n = s.size();
  int segment = 0;
  while (pos < n) {
    ++segment;
    const size_t start = pos;
    while (pos < n && s[pos] != '=' && s[pos] != ';') ++pos;
    std::string_view key = Trim(s.substr(start, pos - start));
    if (pos >= n || s[pos] == ';') {
      if (!key.empty()) {
        return ParseError("part " + std::to_string(segment) + " is not of the form key=value");
      }
      ++pos;  // an empty segment, as in "a=1;;b=2" or a trailing ";"
      continue;
    }
    ++pos;  // the "="
    if (key.empty()) {
      return ParseError("part " + std::to_string(segment) + " gives a value without its key");
    }
    const std::string compared = ConnectionKeyOf(key);
    while (pos < n && IsBlank(s[pos])) ++pos;
    const size_t value_begin = pos;
    std::string value;
    if (pos < n && (s[pos] == '"' || s[pos] == '\'' || s[pos] == '{')) {
      const char open = s[pos++];
      const char close = open == '{' ? '}' : open;
      for (;;) {
        if (pos >= n) {
          return ParseError("the value of part " + std::to_string(segment) + " has no closing " +
                            std::string(1, close));
        }
        if (s[pos] == close) {
          if (pos + 1 < n && s[pos + 1] == close) {
            value += close;
            pos += 2;
            continue;
          }
          ++pos;
          break;
        }
        value += s[pos++];
      }
      const size_t value_end = pos;
      while (pos < n && IsBlank(s[pos])) ++pos;
      if (pos < n && s[pos] != ';') {
        return ParseError("text follows the quoted value of part " + std::to_string(segment));
      }
      pairs->push_back({compared, std::move(value), value_begin, value_end});
    } else {
      while (pos < n && s[pos] != ';') ++pos;
      value = std::string(Trim(s.substr(value_begin, pos - value_begin)));
      pairs->push_back({compared, std::move(value), value_begin, pos});
    }
    ++pos;  // the ";" (or past the end)
  }
  return Status();
}

}  // namespace

std::string ConnectionKeyOf(std::string_view key) {
  std::string out;
  for (char c : key) {
    if (IsBlank(c)) continue;
    out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return out;
}

Status ParseConnectionString(std::string_view text, ConnectionKeys* keys) {
  std::vector<Pair> pairs;
  OCG_RETURN_IF_ERROR(Scan(text, &pairs));
  for (Pair& p : pairs) (*keys)[p.key] = std::move(p.value);
  return Status();
}

std::string MaskConnectionString(std::string_view text) {
  constexpr std::string_view kMask = "***";
  std::vector<Pair> pairs;
  if (!Scan(text, &pairs).ok()) {
    // Unreadable: where a password's value ends cannot be known, so
    // everything after the first password key is hidden.
    for (size_t i = 0; i < text.size(); ++i) {
      for (std::string_view key : {"password", "pwd"}) {
        if (ConnectionKeyOf(text.substr(i, key.size())) != key) continue;
        size_t j = i + key.size();
        while (j < text.size() && IsBlank(text[j])) ++j;
        if (j < text.size() && text[j] == '=') {
          return std::string(text.substr(0, j + 1)) + std::string(kMask);
        }
      }
    }
    return std::string(text);
  }
  std::string out;
  size_t copied = 0;
  for (const Pair& p : pairs) {
    if (!IsPasswordKey(p.key)) continue;
    out.append(text.substr(copied, p.value_begin - copied));
    out.append(kMask);
    copied = p.value_end;
  }
  out.append(text.substr(copied));
  return out;
}

}  // namespace ocg
