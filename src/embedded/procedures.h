// embedded/procedures.h: the stored procedures the embedded engine carries.
//
// Each procedure is a SQL script in src/embedded/sql/, compiled in. Its first
// lines are comments; one of them reads "-- params: a, b, c" and names the
// parameters in call order, which the script uses as :a, :b, :c. The script's
// statements run in order; the result of the call is the last statement that
// returns columns. A script is prepared whole, once per connection, so no
// statement of it may use a table or view that an earlier one creates.
#ifndef OCG_EMBEDDED_PROCEDURES_H_
#define OCG_EMBEDDED_PROCEDURES_H_

#include <string>
#include <string_view>
#include <vector>

namespace ocg {

struct ProcedureScript {
  std::string name;                 // upper case, e.g. "SP_ZOR_CON_OCG2"
  std::vector<std::string> params;  // in call order
  std::string sql;                  // the whole script
};

// nullptr when the engine carries no such procedure (name matched in any case).
const ProcedureScript* FindProcedure(std::string_view name);

// Every bundled script, for listings and tests.
const std::vector<ProcedureScript>& AllProcedures();

}  // namespace ocg

#endif  // OCG_EMBEDDED_PROCEDURES_H_
