// embedded/procedures.cc: the bundled procedure scripts, read once.
#include "embedded/procedures.h"

#include "embedded/embedded_sql.h"
#include "value/text.h"

namespace ocg {
namespace {

std::string_view Trim(std::string_view s) {
  size_t first = s.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  size_t last = s.find_last_not_of(" \t\r\n");
  return s.substr(first, last - first + 1);
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

// The names of the "-- params: a, b" line of the script's opening comments;
// none when there is no such line or it lists nothing ("none" reads as
// nothing too). A leading ":" or "@" on a name is dropped.
std::vector<std::string> ReadParams(std::string_view script) {
  std::vector<std::string> params;
  while (!script.empty()) {
    size_t eol = script.find('\n');
    std::string_view line = Trim(script.substr(0, eol));
    script = eol == std::string_view::npos ? std::string_view() : script.substr(eol + 1);
    if (line.empty()) continue;
    if (line.substr(0, 2) != "--") break;  // the header ends at the first statement
    std::string_view text = Trim(line.substr(2));
    if (text.size() < 7 || !EqualsIgnoreCase(text.substr(0, 7), "params:")) continue;
    std::string_view list = text.substr(7);
    while (!list.empty()) {
      size_t comma = list.find(',');
      std::string_view name = Trim(list.substr(0, comma));
      list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
      if (!name.empty() && (name.front() == ':' || name.front() == '@')) name.remove_prefix(1);
      if (!name.empty() && !EqualsIgnoreCase(name, "none") && !EqualsIgnoreCase(name, "(none)")) {
        params.emplace_back(name);
      }
    }
    break;
  }
  return params;
}

std::vector<ProcedureScript> Build() {
  std::vector<ProcedureScript> all;
  for (const auto& [file, content] : EmbeddedSqlFiles()) {
    constexpr std::string_view kSuffix = ".sql";
    if (file.size() <= 3 + kSuffix.size() || !EqualsIgnoreCase(file.substr(0, 3), "sp_") ||
        !EqualsIgnoreCase(file.substr(file.size() - kSuffix.size()), kSuffix)) {
      continue;
    }
    all.push_back(ProcedureScript{Upper(file.substr(0, file.size() - kSuffix.size())),
                                  ReadParams(content), std::string(content)});
  }
  return all;
}

}  // namespace

const std::vector<ProcedureScript>& AllProcedures() {
  static const std::vector<ProcedureScript> all = Build();
  return all;
}

const ProcedureScript* FindProcedure(std::string_view name) {
  for (const ProcedureScript& p : AllProcedures()) {
    if (EqualsIgnoreCase(p.name, name)) return &p;
  }
  return nullptr;
}

}  // namespace ocg
