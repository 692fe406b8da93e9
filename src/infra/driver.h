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
#include "infra/column_names.h"
#include "infra/connection_string.h"
#include "value/value.h"

namespace ocg {

// Every row of one statement's result, fetched at once (a client-side cursor).
struct RowSet {
  bool has_columns = false;  // false for statements that return no rows
  ColumnNames columns;
  std::vector<std::vector<Value>> rows;
};

// What the operation running on a connection tells the database beside its
// statements: the public operation (the innermost, for nested calls) and the
// order it works on. A procedure that must answer for that order reads them
// from the session, since its call names only a programme or a customer
// (docs/databases.md). Never part of a statement's text.
struct CallContext {
  std::string operation;  // "gAltera_Col_Geral"; "" outside any operation
  std::string order;      // the order's identifier as written; "" for none
  friend bool operator==(const CallContext&, const CallContext&) = default;
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

  // The context of the statements that follow, until the next call. An engine
  // with no place for it ignores it.
  virtual Status SetContext(const CallContext& /*context*/) { return Status(); }

  // False when the connection can no longer be reused (its file was replaced).
  virtual bool Reusable() const { return true; }
};

// A database engine as OpenDriver sees it. Engines register themselves while
// the program starts (see RegisterDriverEngine); infra/ knows none of them.
struct DriverEngine {
  const char* name;  // "embedded", "ODBC": for messages
  const char* keys;  // the keys that choose it, for messages: "Data Source"
  // True when a connection string with these keys (compared form) is this
  // engine's. No two engines may serve the same keys.
  bool (*serves)(const ConnectionKeys& keys);
  // Opens a connection. connection_string is the text as the caller gave it.
  Status (*open)(std::string_view connection_string, const ConnectionKeys& keys,
                 std::unique_ptr<Driver>* out);
};

// Adds an engine. Returns true, so that an engine can register itself by
// initialising a constant; call it before any thread opens a connection.
bool RegisterDriverEngine(const DriverEngine& engine);

// Opens a connection by connection string with the engine that serves its
// keys: "Data Source=PATH" is the embedded engine; "Driver=..." or "DSN=..."
// is ODBC. Keys are case-insensitive. A string that cannot be parsed, that no
// engine serves, or that the engine cannot open fails, and *out stays null.
Status OpenDriver(std::string_view connection_string, std::unique_ptr<Driver>* out);

}  // namespace ocg

#endif  // OCG_INFRA_DRIVER_H_
