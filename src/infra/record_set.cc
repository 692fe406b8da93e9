#include "infra/record_set.h"

#include <string>

#include "infra/session.h"

namespace ocg {

Status RecordSet::Open(std::string_view sql, const Value& connection) {
  Close();
  // A text is its own text form, read in place; anything else is converted.
  Result<std::string> converted = connection.is_text() ? std::string() : connection.ToText();
  if (!converted.ok()) return converted.status();
  const std::string& conn = connection.is_text() ? connection.text() : converted.value();
  RowSet rows;
  Status st = RunStatement(conn, sql, &rows);
  if (!st.ok()) return st;
  rows_ = std::move(rows);
  open_ = rows_.has_columns;
  row_ = 0;
  return Status();
}

Result<Value> RecordSet::Field(std::string_view name) const {
  Result<const Value*> cell = FieldRef(name);
  if (!cell.ok()) return cell.status();
  return *cell.value();
}

Result<const Value*> RecordSet::FieldRef(std::string_view name) const {
  const size_t i = rows_.columns.Find(name);
  if (i == ColumnNames::kNone) {
    return Status::Error("The record set has no column named " + std::string(name), 3265);
  }
  if (Eof()) {
    return Status::Error("No current row to read column " + std::string(name) +
                             " from: the record set is empty or past its last row",
                         3021);
  }
  return &rows_.rows[row_][i];
}

void RecordSet::Close() {
  open_ = false;
  rows_ = RowSet();
  row_ = 0;
}

Status Execute(std::string_view sql, const Value& connection) {
  RecordSet rs;
  return rs.Open(sql, connection);
}

}  // namespace ocg
