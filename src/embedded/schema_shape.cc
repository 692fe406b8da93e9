// embedded/schema_shape.cc: the schema read back through SQLite's pragma
// functions, which answer for what the file holds whatever text made it.
#include "embedded/schema_shape.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <string_view>

#include "embedded/sqlite_file.h"

namespace ocg {
namespace {

// Runs sql with the texts binds bound in order, and hands each row to row.
Status ForEachRow(sqlite3* db, const char* sql, std::initializer_list<std::string_view> binds,
                  const std::function<void(sqlite3_stmt*)>& row) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK) return SqliteError(db, sql);
  std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> stmt(raw, &sqlite3_finalize);
  int index = 0;
  for (std::string_view bind : binds) {
    sqlite3_bind_text(raw, ++index, bind.data(), static_cast<int>(bind.size()), SQLITE_TRANSIENT);
  }
  int rc;
  while ((rc = sqlite3_step(raw)) == SQLITE_ROW) row(raw);
  return rc == SQLITE_DONE ? Status() : SqliteError(db, sql);
}

// Column col as text; "NULL" for a null.
std::string Text(sqlite3_stmt* stmt, int col) {
  const unsigned char* text = sqlite3_column_text(stmt, col);
  return text == nullptr ? "NULL" : reinterpret_cast<const char*>(text);
}

// A statement with every run of blanks made one space.
std::string Blanked(std::string_view sql) {
  std::string out;
  for (char c : sql) {
    const bool blank = std::isspace(static_cast<unsigned char>(c)) != 0;
    if (!blank) {
      out += c;
    } else if (!out.empty() && out.back() != ' ') {
      out += ' ';
    }
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

Status DescribeTable(sqlite3* db, const std::string& table, std::vector<std::string>* lines) {
  OCG_RETURN_IF_ERROR(
      ForEachRow(db, "SELECT wr, strict FROM pragma_table_list WHERE schema = 'main' AND name = ?1",
                 {table}, [&](sqlite3_stmt* s) {
                   lines->push_back("table " + table + " without_rowid=" + Text(s, 0) +
                                    " strict=" + Text(s, 1));
                 }));
  OCG_RETURN_IF_ERROR(ForEachRow(
      db,
      "SELECT cid, name, type, \"notnull\", dflt_value, pk, hidden FROM pragma_table_xinfo(?1) "
      "ORDER BY cid",
      {table}, [&](sqlite3_stmt* s) {
        lines->push_back("table " + table + " column " + Text(s, 0) + " " + Text(s, 1) + " " +
                         Text(s, 2) + " not_null=" + Text(s, 3) + " default=" + Text(s, 4) +
                         " key=" + Text(s, 5) + " hidden=" + Text(s, 6));
      }));
  std::vector<std::pair<std::string, bool>> indexes;  // name, partial
  OCG_RETURN_IF_ERROR(ForEachRow(
      db, "SELECT name, \"unique\", origin, partial FROM pragma_index_list(?1) ORDER BY name",
      {table}, [&](sqlite3_stmt* s) {
        indexes.emplace_back(Text(s, 0), Text(s, 3) == "1");
        lines->push_back("index " + Text(s, 0) + " on " + table + " unique=" + Text(s, 1) +
                         " origin=" + Text(s, 2));
      }));
  for (const auto& [index, partial] : indexes) {
    std::string line = "index " + index + " keys";
    OCG_RETURN_IF_ERROR(ForEachRow(
        db, "SELECT name, \"desc\", coll FROM pragma_index_xinfo(?1) WHERE key = 1 ORDER BY seqno",
        {index}, [&](sqlite3_stmt* s) {
          line += " " + Text(s, 0) + (Text(s, 1) == "1" ? " DESC" : "") + " COLLATE " + Text(s, 2);
        }));
    if (partial) {  // its condition is only in its text
      OCG_RETURN_IF_ERROR(ForEachRow(db, "SELECT sql FROM sqlite_schema WHERE name = ?1", {index},
                                     [&](sqlite3_stmt* s) { line += ": " + Blanked(Text(s, 0)); }));
    }
    lines->push_back(line);
  }
  return Status();
}

}  // namespace

Status DescribeSchema(sqlite3* db, std::vector<std::string>* lines) {
  lines->clear();
  std::vector<std::string> tables;
  OCG_RETURN_IF_ERROR(ForEachRow(db,
                                 "SELECT type, name, tbl_name, sql FROM sqlite_schema "
                                 "WHERE name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY type, name",
                                 {}, [&](sqlite3_stmt* s) {
                                   const std::string type = Text(s, 0);
                                   if (type == "table") tables.push_back(Text(s, 1));
                                   if (type == "view" || type == "trigger") {
                                     lines->push_back(type + " " + Text(s, 1) + " on " +
                                                      Text(s, 2) + ": " + Blanked(Text(s, 3)));
                                   }
                                 }));
  for (const std::string& table : tables) OCG_RETURN_IF_ERROR(DescribeTable(db, table, lines));
  return Status();
}

std::string SchemaDifference(const std::vector<std::string>& have,
                             const std::vector<std::string>& want, size_t* count) {
  std::vector<std::string> a = have, b = want, missing, extra;
  std::ranges::sort(a);
  std::ranges::sort(b);
  std::ranges::set_difference(b, a, std::back_inserter(missing));
  std::ranges::set_difference(a, b, std::back_inserter(extra));
  if (count != nullptr) *count = missing.size() + extra.size();
  auto list = [](const char* what, const std::vector<std::string>& lines) {
    constexpr size_t kShown = 3;
    std::string out;
    for (size_t i = 0; i < lines.size() && i < kShown; ++i) {
      out += (i == 0 ? std::string(what) + ": " : "; ") + lines[i];
    }
    if (lines.size() > kShown) out += "; and " + std::to_string(lines.size() - kShown) + " more";
    return out;
  };
  std::string out = list("missing", missing);
  if (!extra.empty()) out += (out.empty() ? "" : "; ") + list("not expected", extra);
  return out;
}

}  // namespace ocg
