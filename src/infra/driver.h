// infra/driver.h: all a database engine provides to the component.
//
// A Driver is one open connection. Engine headers (sqlite3.h, sql.h) stay
// below this interface. A Driver is used by one thread at a time; it is owned
// by the Session of the thread that opened it.
#ifndef OCG_INFRA_DRIVER_H_
#define OCG_INFRA_DRIVER_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "value/value.h"

namespace ocg {

// Every row of one statement's result, fetched at once (a client-side cursor).
struct RowSet {
  bool has_columns = false;  // false for statements that return no rows
  std::vector<std::string> columns;
  std::vector<std::vector<Value>> rows;
};

class Driver {
 public:
  Driver() = default;
  Driver(const Driver&) = delete;
  Driver& operator=(const Driver&) = delete;
  virtual ~Driver() = default;

  // Runs one statement as the component built it. On success *out holds the
  // result and *engine_sql the text the engine actually ran (after any dialect
  // rewriting); on failure *out is left empty and the Status carries the
  // engine's text and code.
  virtual Status Run(std::string_view sql, RowSet* out, std::string* engine_sql) = 0;

  // Transactions. Begin(true) takes the write lock at once, so that a read
  // followed by an update cannot interleave with another writer.
  virtual Status Begin(bool for_write) = 0;
  virtual Status Commit() = 0;
  virtual Status Rollback() = 0;

  // False when the connection can no longer be reused (its file was replaced).
  virtual bool Reusable() const { return true; }
};

// Opens a connection by connection string: "Data Source=PATH" (optionally with
// "Provider=SQLite;") is the embedded engine; "Driver=..." or "DSN=..." is
// ODBC. Keys are case-insensitive, unknown keys are ignored. A string that
// cannot be parsed, or that names a database file that does not exist, fails.
Status OpenDriver(std::string_view connection_string, std::unique_ptr<Driver>* out);

}  // namespace ocg

#endif  // OCG_INFRA_DRIVER_H_
