// infra/sql_guard.h: checks on the fragments the formatting routines write.
//
// Several routines write a caller's value into a statement as it stands (a
// number after gTrata_Numero or gZero_Nulo, the tail of gCondicao_Numero, a
// text between quotes). A typed value that is not what the fragment stands for
// would otherwise reach the database as a broken statement ("12,5", "7 76",
// "1(") or, worse, as a different one ("7 OR 1=1", "8 --"). These checks run
// before the fragment joins its statement; a failure is the type mismatch the
// procedure's failure routine traps, the same outcome the database's own
// rejection would have had, without sending the statement.
#ifndef OCG_INFRA_SQL_GUARD_H_
#define OCG_INFRA_SQL_GUARD_H_

#include <string>
#include <string_view>

#include "base/status.h"

namespace ocg {

// fragment, unchanged, when it reads as a number or a null test: optional
// blanks, an optional comparison operator (=, <>, <, >, <=, >=), then a
// number ([+-]digits[.digits][e[+-]digits]) or null / is null / is not null
// (any case), then optional blanks. Anything else fails with 13.
Result<std::string> SqlNumber(std::string fragment);

// literal, unchanged, when it is the word null or one quoted text with no
// quote inside. Anything else fails with 13.
Result<std::string> SqlText(std::string literal);

}  // namespace ocg

#endif  // OCG_INFRA_SQL_GUARD_H_
