// embedded/statement_shape.h: a statement's shape, the text with its literal
// values lifted out into numbered parameters, so that statements that differ
// only in their values can share one prepared statement (what a database
// server's simple parameterisation does).
//
// Only literals whose value cannot change what the statement means or the
// names of its columns are lifted: numbers and quoted texts in WHERE, ON,
// HAVING, SET, VALUES, LIMIT and the like. Those in a select list (they name
// columns) and in ORDER BY or GROUP BY (a bare number there is a column
// position) stay in the text, and so does a literal that touches a word
// (X'41', 0x1F). Blanks are kept, so filling the literals back in gives the
// original text to the byte.
#ifndef OCG_EMBEDDED_STATEMENT_SHAPE_H_
#define OCG_EMBEDDED_STATEMENT_SHAPE_H_

#include <string>
#include <string_view>
#include <vector>

namespace ocg {

struct StatementShape {
  std::string text;                        // ?1, ?2... where lifted literals stood
  std::vector<std::string_view> literals;  // ?k is literals[k - 1], as written
};

// Fills *out and returns true for one SELECT, INSERT, UPDATE, DELETE or WITH
// statement (a final ';' allowed). Returns false, and *out is unspecified, for
// anything else: several statements, other commands, a text that does not
// tokenize, one with comments, or one that holds parameters of its own (?,
// :name, @name, $name).
// The views in *out point into sql.
bool ShapeOf(std::string_view sql, StatementShape* out);

// shaped with each ?k replaced by literals[k - 1]. Text inside quotes is
// copied as it stands.
std::string FillShape(std::string_view shaped, const std::vector<std::string_view>& literals);

}  // namespace ocg

#endif  // OCG_EMBEDDED_STATEMENT_SHAPE_H_
