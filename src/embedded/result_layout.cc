#include "embedded/result_layout.h"

#include <string>
#include <string_view>

#include "value/text.h"

namespace ocg {
namespace {

bool IsDateType(const char* declared) {
  if (declared == nullptr) return false;
  std::string_view d(declared);
  return EqualsIgnoreCase(d, "DATE") || EqualsIgnoreCase(d, "DATETIME") ||
         EqualsIgnoreCase(d, "TIMESTAMP");
}

}  // namespace

void ResultLayout::Refresh(sqlite3_stmt* stmt) {
  const int prepares = sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_REPREPARE, 0);
  if (prepares == prepares_) return;
  const int columns = sqlite3_column_count(stmt);
  std::vector<std::string> names;
  names.reserve(columns);
  dates_.assign(columns, false);
  for (int c = 0; c < columns; ++c) {
    const char* name = sqlite3_column_name(stmt, c);
    names.emplace_back(name == nullptr ? "" : name);
    dates_[c] = IsDateType(sqlite3_column_decltype(stmt, c));
  }
  names_ = ColumnNames(std::move(names));
  prepares_ = prepares;
}

}  // namespace ocg
