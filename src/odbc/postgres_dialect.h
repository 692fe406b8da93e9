// odbc/postgres_dialect.h: the component's statements as a PostgreSQL server
// runs them.
//
// Plain SQL goes through the dialect bridge with PostgreSQL as its target
// (embedded/bridge.h). A stored-procedure call ("EXEC SP_X args", or the
// print routine's "SP_042_IMPRIME_OCC(args)") becomes a query of the
// server-side function of that name, its arguments converted as every
// engine converts them (embedded/procedures.h) and cast to the parameters'
// types. The functions (src/odbc/postgresql/sp_*.sql) answer one JSON
// object per row, so that a procedure can answer in several shapes as a
// SQL Server procedure does; RowsFromJson turns those back into rows.
#ifndef OCG_ODBC_POSTGRES_DIALECT_H_
#define OCG_ODBC_POSTGRES_DIALECT_H_

#include <string>
#include <string_view>

#include "base/status.h"
#include "infra/driver.h"

namespace ocg {

struct PostgresStatement {
  std::string sql;         // the text to send
  bool json_rows = false;  // a procedure's answer: one JSON object per row
};

// text as an SQL literal: in single quotes, each quote inside doubled (the
// standard form, which PostgreSQL and SQL Server read alike).
std::string QuotedSqlText(std::string_view text);

// Fails as the embedded engine fails the same statement: a malformed call, an
// unknown procedure, an argument its parameter refuses.
Status ToPostgres(std::string_view sql, PostgresStatement* out);

// Replaces rows of one JSON object each with the objects' fields as columns,
// in the first object's order: JSON null is Null, whole numbers Int32 (beyond
// 32 bits Double), other numbers Double, strings Text, booleans Bool. No rows
// leaves no columns.
Status RowsFromJson(RowSet* rows);

}  // namespace ocg

#endif  // OCG_ODBC_POSTGRES_DIALECT_H_
