// embedded/procedures.h: the stored procedures the embedded engine carries.
//
// Each procedure is a SQL script in src/embedded/sql/, compiled in. Its first
// lines are comments; one of them reads "-- params: a int, b varchar, c" and
// names the parameters in call order, each with an optional SQL Server type,
// which the script uses as :a, :b, :c. A typed parameter receives its
// argument converted as a server converts a call's argument to the declared
// type, refusing what a server refuses (see ConvertArgument). The script's
// statements run in order; the result of the call is the last statement that
// returned a row or, when none did, the last one that returns columns. So a
// procedure that answers in one of several shapes (data, or a refusal row)
// is written as one SELECT per branch, each guarded by its branch's
// condition. A script is prepared whole, once per connection, so no
// statement of it may use a table or view that an earlier one creates.
#ifndef OCG_EMBEDDED_PROCEDURES_H_
#define OCG_EMBEDDED_PROCEDURES_H_

#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "value/value.h"

namespace ocg {

// The declared type of a parameter, by family.
enum class ParamType { kAny, kInt, kFloat, kText, kDate };

struct ProcedureScript {
  std::string name;                 // upper case, e.g. "SP_ZOR_CON_OCG2"
  std::vector<std::string> params;  // in call order
  std::vector<ParamType> types;     // one per parameter
  std::string sql;                  // the whole script
};

// The argument as a parameter of the type receives it. Null stays Null. int
// (smallint, bigint): whole numbers, and texts of one (blanks around, "" is
// 0); float (real, numeric, decimal, money): numbers and number texts with a
// "." decimal point; varchar (char, nvarchar, text): any literal, numbers as
// their text; datetime (date): date texts. Anything else fails as the server
// fails: 8114 "Error converting data type X to Y.", 8115 on overflow.
Result<Value> ConvertArgument(const Value& argument, ParamType type);

// nullptr when the engine carries no such procedure (name matched in any case).
const ProcedureScript* FindProcedure(std::string_view name);

// The procedure a call names and its arguments converted to the parameters'
// types, failing as a server fails the call: 2812 for an unknown procedure,
// 8144 for too many arguments, 201 for one missing, 8114/8115/241 for an
// argument the parameter's type refuses. Every engine that runs the
// procedures takes their arguments this way.
Status BindProcedureCall(std::string_view procedure, const std::vector<Value>& arguments,
                         const ProcedureScript** proc, std::vector<Value>* converted);

// Every bundled script, for listings and tests.
const std::vector<ProcedureScript>& AllProcedures();

}  // namespace ocg

#endif  // OCG_EMBEDDED_PROCEDURES_H_
