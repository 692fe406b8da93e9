// infra/record_set.h: the record set every operation reads and writes through.
//
// Mirrors the data-access object the operations were written against: open a
// statement on a connection string, test State and EOF, read fields by name
// (case-insensitive), move first/last/next, count rows, close. The cursor is
// client-side: Open fetches every row. Statements that change data are run
// through Open too; the set then stays closed unless the statement returns
// rows.
//
// Opening goes through the calling thread's Session, so every statement of a
// public operation runs on one connection inside one transaction.
#ifndef OCG_INFRA_RECORD_SET_H_
#define OCG_INFRA_RECORD_SET_H_

#include <string_view>

#include "base/status.h"
#include "infra/driver.h"
#include "value/value.h"

namespace ocg {

class RecordSet {
 public:
  // Runs sql on the connection named by connection (converted to text). On
  // failure the set stays closed and the Status carries the engine's error.
  Status Open(std::string_view sql, const Value& connection);

  // State: true when the last statement returned a result (possibly no rows).
  bool IsOpen() const { return open_; }
  // EOF: true when there is no current row (also when closed).
  bool Eof() const { return !open_ || row_ >= rows_.rows.size(); }

  // The current row's column, matched without regard to case. Fails with 3265
  // for a missing column and 3021 when there is no current row.
  Result<Value> Field(std::string_view name) const;
  // The same cell, not copied: valid until the set moves, closes or opens.
  Result<const Value*> FieldRef(std::string_view name) const;

  void MoveFirst() { row_ = 0; }
  void MoveLast() { row_ = rows_.rows.empty() ? 0 : rows_.rows.size() - 1; }
  void MoveNext() {
    if (row_ < rows_.rows.size()) ++row_;
  }
  int RecordCount() const { return open_ ? static_cast<int>(rows_.rows.size()) : -1; }
  void Close();

 private:
  bool open_ = false;
  RowSet rows_;
  size_t row_ = 0;
};

// Runs a statement for its effect alone (a record set opened and dropped).
Status Execute(std::string_view sql, const Value& connection);

}  // namespace ocg

#endif  // OCG_INFRA_RECORD_SET_H_
