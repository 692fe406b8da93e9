// embedded/sql_functions.h: the SQL functions the embedded engine registers on
// every connection, so that both dialects' functions run on SQLite.
//
//   NVL(a, b)                 b when a is NULL, else a
//   TO_CHAR(date, pattern)    a stored date formatted by an Oracle pattern
//                             ('DD/MM/YYYY', 'yyyy/mm/dd hh24:mi:ss'); NULL
//                             stays NULL; a non-date value comes back as text
//   TO_DATE(text, pattern)    the moment the text gives, in the stored form
//   ocg_sysdate(), GETDATE()  the local clock, in the stored form
//   UPPER(text)               upper case with the accented letters ("ção" ->
//                             "ÇÃO"), as a server's UPPER; replaces SQLite's
//   ocg_date(x)               any accepted date literal ('06/12/2026',
//                             '2026/12/06 10:30', '2026-12-06 10:30:00') in the
//                             stored form; a text that is no date (or a day
//                             the calendar lacks) an error; other values
//                             unchanged
//   ocg_context(key)          the connection's call context (infra/driver.h):
//                             'operation' or 'order' as text; NULL when it is
//                             unset, and for any other key. Registered by
//                             RegisterContextFunction.
// The stored form is "yyyy-mm-dd hh:mm:ss" (CanonicalDateTime).
#ifndef OCG_EMBEDDED_SQL_FUNCTIONS_H_
#define OCG_EMBEDDED_SQL_FUNCTIONS_H_

#include <sqlite3.h>

#include "base/status.h"
#include "infra/driver.h"

namespace ocg {

Status RegisterSqlFunctions(sqlite3* db);

// ocg_context(key) on db, reading *context, which must outlive db's
// statements; the procedures read the running operation's order through it.
Status RegisterContextFunction(sqlite3* db, const CallContext* context);

}  // namespace ocg

#endif  // OCG_EMBEDDED_SQL_FUNCTIONS_H_
