// embedded/split_statements.h: cutting a script into its statements, as the
// sqlite3 shell does.
#ifndef OCG_EMBEDDED_SPLIT_STATEMENTS_H_
#define OCG_EMBEDDED_SPLIT_STATEMENTS_H_

#include <string>
#include <string_view>
#include <vector>

namespace ocg {

// A statement ends at a ";" outside quotes, comments and trigger bodies
// (CREATE TRIGGER ... BEGIN ...; END;), and keeps its ";". Text after the last
// ";" is one more statement unless it is only blanks. Blanks around each
// statement are dropped.
std::vector<std::string> SplitStatements(std::string_view script);

}  // namespace ocg

#endif  // OCG_EMBEDDED_SPLIT_STATEMENTS_H_
