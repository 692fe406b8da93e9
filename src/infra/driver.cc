// infra/driver.cc: choosing the engine from a connection string.
//
// The strings are ADO style, "key=value;key=value". Keys are matched without
// regard to case or blanks ("Data Source", "DataSource"); a value may be
// quoted with " or ' so that it can hold ";" (a doubled quote inside stands
// for one). A key given twice takes its last value.
#include "infra/driver.h"

#include <algorithm>
#include <map>

#include "embedded/sqlite_driver.h"
#include "value/text.h"

namespace ocg {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// "Data Source" -> "datasource".
std::string KeyOf(std::string_view key) {
  std::string out;
  for (char c : key) {
    if (IsBlank(c)) continue;
    out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return out;
}

Status ParseError(const std::string& why) {
  return Status::Error("Connection string could not be parsed: " + why, 0);
}

Status ParseConnectionString(std::string_view s, std::map<std::string, std::string>* keys) {
  size_t pos = 0;
  const size_t n = s.size();
  while (pos < n) {
    const size_t start = pos;
    while (pos < n && s[pos] != '=' && s[pos] != ';') ++pos;
    std::string_view key = Trim(s.substr(start, pos - start));
    if (pos >= n || s[pos] == ';') {
      if (!key.empty())
        return ParseError("'" + std::string(key) + "' is not of the form key=value");
      ++pos;  // an empty segment, as in "a=1;;b=2" or a trailing ";"
      continue;
    }
    ++pos;  // the "="
    if (key.empty()) return ParseError("a value is given without its key");

    while (pos < n && IsBlank(s[pos])) ++pos;
    std::string value;
    if (pos < n && (s[pos] == '"' || s[pos] == '\'')) {
      const char quote = s[pos++];
      for (;;) {
        if (pos >= n)
          return ParseError("the value of '" + std::string(key) + "' has no closing quote");
        if (s[pos] == quote) {
          if (pos + 1 < n && s[pos + 1] == quote) {
            value += quote;
            pos += 2;
            continue;
          }
          ++pos;
          break;
        }
        value += s[pos++];
      }
      while (pos < n && IsBlank(s[pos])) ++pos;
      if (pos < n && s[pos] != ';') {
        return ParseError("text follows the quoted value of '" + std::string(key) + "'");
      }
    } else {
      const size_t value_start = pos;
      while (pos < n && s[pos] != ';') ++pos;
      value = std::string(Trim(s.substr(value_start, pos - value_start)));
    }
    ++pos;  // the ";" (or past the end)
    (*keys)[KeyOf(key)] = std::move(value);
  }
  return Status();
}

}  // namespace

Status OpenDriver(std::string_view connection_string, std::unique_ptr<Driver>* out) {
  out->reset();
  std::map<std::string, std::string> keys;
  OCG_RETURN_IF_ERROR(ParseConnectionString(connection_string, &keys));

  if (keys.count("driver") || keys.count("dsn")) {
    return Status::Error("ODBC connections are not available in this build", 0);
  }
  auto provider = keys.find("provider");
  if (provider != keys.end() && !provider->second.empty() &&
      !EqualsIgnoreCase(provider->second.substr(0, std::min<size_t>(6, provider->second.size())),
                        "sqlite")) {
    return Status::Error(
        "Provider '" + provider->second + "' is not available in this build; use Provider=SQLite",
        0);
  }
  auto source = keys.find("datasource");
  if (source == keys.end()) return ParseError("no Data Source, Driver or DSN is given");
  if (source->second.empty()) return ParseError("Data Source is empty");
  return OpenSqliteDriver(source->second, out);
}

}  // namespace ocg
