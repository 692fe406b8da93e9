// embedded/bridge.h: the dialect bridge, from the statements both database
// kinds are sent to the SQL that the target engine runs: SQLite for the
// embedded engine, PostgreSQL for a PostgreSQL server reached through ODBC.
//
// A statement is either plain SQL, rewritten in place, or a stored-procedure
// call: "EXEC name args" (any letter case: Exec, exec), or "name(args)" for the
// print routine, with literal arguments (numbers, quoted texts, null) joined by
// commas.
//
// Rewrites of plain SQL, outside quoted texts, for either target:
//   - the bare word sysdate becomes ocg_sysdate(); NVL, TO_CHAR and GETDATE
//     are functions the target provides (the embedded engine registers them;
//     a PostgreSQL database gets them from ocg init-db), so they stay as
//     written;
//   - in a SELECT with a comma-joined FROM list, every WHERE condition that
//     marks a column with "(+)" moves into a LEFT JOIN ... ON for the marked
//     table; the remaining conditions stay in WHERE.
// For PostgreSQL also:
//   - TO_DATE(text, pattern) becomes ocg_to_date(text, pattern): the
//     server's own to_date keeps only the day, where the statements mean the
//     moment.
#ifndef OCG_EMBEDDED_BRIDGE_H_
#define OCG_EMBEDDED_BRIDGE_H_

#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "value/value.h"

namespace ocg {

// The SQL a statement is bridged to.
enum class SqlDialect {
  kSqlite,    // the embedded engine
  kPostgres,  // a PostgreSQL server
};

struct BridgedStatement {
  bool is_call = false;
  std::string sql;               // plain SQL to run, when !is_call
  std::string procedure;         // procedure name in upper case, when is_call
  std::vector<Value> arguments;  // Null, Int32/Double, or Text
};

// Fails as the SQL Server parser does: 105 on an unterminated quote, 102 on a
// call whose arguments are not literals.
Status BridgeStatement(std::string_view sql, BridgedStatement* out,
                       SqlDialect target = SqlDialect::kSqlite);

}  // namespace ocg

#endif  // OCG_EMBEDDED_BRIDGE_H_
