// embedded/result_layout.h: what the rows of one prepared statement hold.
//
// Its column names, indexed once and shared by every result the statement
// gives, and which columns are declared dates (DATE, DATETIME, TIMESTAMP:
// their text reads as a date Value). Kept beside the statement it describes;
// one thread at a time.
#ifndef OCG_EMBEDDED_RESULT_LAYOUT_H_
#define OCG_EMBEDDED_RESULT_LAYOUT_H_

#include <sqlite3.h>

#include <vector>

#include "infra/column_names.h"

namespace ocg {

class ResultLayout {
 public:
  // Brings the layout up to date with stmt. SQLite prepares a statement again
  // by itself when the schema changed under it (during a step), so call this
  // after the first step; it reads the columns only when that has happened,
  // or on first use.
  void Refresh(sqlite3_stmt* stmt);

  const ColumnNames& names() const { return names_; }
  bool is_date(int column) const { return dates_[column]; }

 private:
  ColumnNames names_;
  std::vector<bool> dates_;
  int prepares_ = -1;  // the statement's count of prepares again when read
};

}  // namespace ocg

#endif  // OCG_EMBEDDED_RESULT_LAYOUT_H_
