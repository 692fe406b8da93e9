// cli/sql_command.h: "ocg sql DB [STATEMENT]", SQL for operators.
//
// Runs statements on an embedded database file through the engine the
// operations use: the dialect bridge (NVL, TO_CHAR, TO_DATE, sysdate, "(+)"
// joins), the bundled procedures (EXEC SP_..., SP_042_IMPRIME_OCC(...)) and
// the date function the schema's triggers need, which the plain sqlite3 shell
// lacks. So it is the way to fix or load data by hand.
#ifndef OCG_CLI_SQL_COMMAND_H_
#define OCG_CLI_SQL_COMMAND_H_

#include <iosfwd>
#include <string>
#include <string_view>

namespace ocg {

// Runs the statements of script (cut as the sqlite3 shell cuts them) on the
// database file at path, all in one transaction: the first failure rolls
// every one back. Prints each result that has columns, as an aligned table
// with its row count, or with json as one line {"columns": [...], "rows":
// [[...], ...]} per result (values as "ocg call" prints them). A statement
// that would take the transaction out of its hands (BEGIN, COMMIT, END,
// ROLLBACK, SAVEPOINT, RELEASE, ATTACH, DETACH, VACUUM, a PRAGMA that sets
// something or does work) is refused before anything runs, so "nothing was
// written" is always true. Returns the exit status: 0 done, 1 a statement
// failed (nothing written), 2 no such database, no statement or a refused
// one (nothing run).
int RunSqlCommand(const std::string& path, std::string_view script, bool json, std::ostream& out,
                  std::ostream& err);

}  // namespace ocg

#endif  // OCG_CLI_SQL_COMMAND_H_
