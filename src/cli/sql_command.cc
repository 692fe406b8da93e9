#include "cli/sql_command.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "cli/value_json.h"
#include "embedded/split_statements.h"
#include "embedded/sqlite_driver.h"
#include "infra/driver.h"
#include "value/date_time.h"
#include "value/text.h"

namespace ocg {
namespace {

// A cell as an operator reads it: NULL spelled out, numbers with ".", dates
// in their stored form.
std::string Cell(const Value& v) {
  switch (v.kind()) {
    case Value::Kind::kNull:
      return "NULL";
    case Value::Kind::kDouble: {
      char buf[32];
      std::snprintf(buf, sizeof buf, "%.15g", v.dbl());
      return buf;
    }
    case Value::Kind::kDate:
      return CanonicalDateTime(v.date());
    default:
      return v.TextOrEmpty();
  }
}

void PrintTable(const RowSet& rows, std::ostream& out) {
  std::vector<std::vector<std::string>> cells;
  std::vector<size_t> width;
  for (const std::string& c : rows.columns) width.push_back(CharLength(c));
  for (const std::vector<Value>& row : rows.rows) {
    std::vector<std::string>& line = cells.emplace_back();
    for (size_t i = 0; i < row.size() && i < width.size(); ++i) {
      line.push_back(Cell(row[i]));
      width[i] = std::max(width[i], CharLength(line.back()));
    }
  }
  auto print_line = [&](const std::vector<std::string>& line) {
    for (size_t i = 0; i < line.size(); ++i) {
      out << (i == 0 ? "" : " | ") << line[i];
      if (i + 1 < line.size()) out << std::string(width[i] - CharLength(line[i]), ' ');
    }
    out << "\n";
  };
  print_line(rows.columns.names());
  for (size_t i = 0; i < width.size(); ++i) {
    out << (i == 0 ? "" : "-+-") << std::string(width[i], '-');
  }
  out << "\n";
  for (const std::vector<std::string>& line : cells) print_line(line);
  out << "(" << rows.rows.size() << (rows.rows.size() == 1 ? " row)\n" : " rows)\n");
}

void PrintJson(const RowSet& rows, std::ostream& out) {
  nlohmann::ordered_json result;
  result["columns"] = rows.columns.names();
  result["rows"] = nlohmann::ordered_json::array();
  for (const std::vector<Value>& row : rows.rows) {
    nlohmann::ordered_json line = nlohmann::ordered_json::array();
    for (const Value& v : row) line.push_back(ValueToJson(v));
    result["rows"].push_back(std::move(line));
  }
  out << result.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
}

// The start of a statement, on one line, for an error message.
std::string Excerpt(std::string_view statement) {
  constexpr size_t kShown = 60;
  std::string shown;
  for (char c : statement.substr(0, kShown)) shown += (c == '\n' || c == '\r') ? ' ' : c;
  return statement.size() > kShown ? shown + "..." : shown;
}

// The first word of a statement and what follows it, past blanks and
// comments; the word in upper case.
std::pair<std::string, std::string_view> FirstWord(std::string_view s) {
  for (;;) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    if (s.starts_with("--")) {
      const size_t eol = s.find('\n');
      s = eol == std::string_view::npos ? std::string_view() : s.substr(eol + 1);
    } else if (s.starts_with("/*")) {
      const size_t end = s.find("*/");
      s = end == std::string_view::npos ? std::string_view() : s.substr(end + 2);
    } else {
      break;
    }
  }
  size_t n = 0;
  while (n < s.size() && (std::isalnum(static_cast<unsigned char>(s[n])) || s[n] == '_')) ++n;
  return {UpperAscii(s.substr(0, n)), s.substr(n)};
}

// True for a statement that would take the transaction out of ocg sql's
// hands (so that a later failure could no longer undo what went before) or
// change the connection or the file outside it: BEGIN, COMMIT, END,
// ROLLBACK, SAVEPOINT, RELEASE, ATTACH, DETACH, VACUUM, and a PRAGMA that
// sets something or does work. A PRAGMA that only reads (table_info(X),
// integrity_check, user_version...) runs.
bool ControlsTheTransaction(std::string_view statement) {
  static const std::set<std::string, std::less<>> kControl = {
      "BEGIN", "COMMIT", "END", "ROLLBACK", "SAVEPOINT", "RELEASE", "ATTACH", "DETACH", "VACUUM"};
  static const std::set<std::string, std::less<>> kReadingWithArgument = {
      "TABLE_INFO",       "TABLE_XINFO",       "INDEX_LIST",      "INDEX_INFO", "INDEX_XINFO",
      "FOREIGN_KEY_LIST", "FOREIGN_KEY_CHECK", "INTEGRITY_CHECK", "QUICK_CHECK"};
  static const std::set<std::string, std::less<>> kWorking = {
      "OPTIMIZE", "WAL_CHECKPOINT", "INCREMENTAL_VACUUM", "SHRINK_MEMORY"};
  auto [word, rest] = FirstWord(statement);
  if (kControl.count(word)) return true;
  if (word != "PRAGMA") return false;
  auto [name, after] = FirstWord(rest);
  if (after.starts_with(".")) std::tie(name, after) = FirstWord(after.substr(1));  // schema.name
  after = TrimAny(after, " \t\r\n;");
  if (after.starts_with("=")) return true;
  if (after.starts_with("(")) return !kReadingWithArgument.count(name);
  return kWorking.count(name) > 0;
}

}  // namespace

int RunSqlCommand(const std::string& path, std::string_view script, bool json, std::ostream& out,
                  std::ostream& err) {
  const std::vector<std::string> statements = SplitStatements(script);
  if (statements.empty()) {
    err << "ocg: no statement to run\n";
    return 2;
  }
  for (size_t i = 0; i < statements.size(); ++i) {
    if (ControlsTheTransaction(statements[i])) {
      err << "ocg: statement " << i + 1 << " (" << Excerpt(statements[i])
          << ") would take the transaction out of ocg sql's hands, which runs every statement "
             "in one transaction of its own: nothing was run\n";
      return 2;
    }
  }
  std::unique_ptr<Driver> db;
  Status st = OpenSqliteDriver(path, &db);
  if (!st.ok()) {
    err << "ocg: " << st.description() << "\n";
    return 2;
  }
  st = db->Begin(/*for_write=*/true);
  for (size_t i = 0; st.ok() && i < statements.size(); ++i) {
    RowSet rows;
    st = db->Run(statements[i], &rows, nullptr);
    if (!st.ok()) {
      db->Rollback().IgnoreError();
      err << "ocg: statement " << i + 1 << " (" << Excerpt(statements[i])
          << ") failed, nothing was written: " << st.description() << " (" << st.number() << ")\n";
      return 1;
    }
    if (rows.has_columns) json ? PrintJson(rows, out) : PrintTable(rows, out);
  }
  if (st.ok()) st = db->Commit();
  if (!st.ok()) {
    db->Rollback().IgnoreError();
    err << "ocg: " << st.description() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace ocg
