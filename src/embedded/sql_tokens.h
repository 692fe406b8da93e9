// embedded/sql_tokens.h: SQL text split into tokens, as the dialect bridge
// and the statement cache both read it.
//
// Tokens cover the whole text, blanks and comments included, so a text can be
// rebuilt or rewritten around them. Quoted texts ('...') and quoted names
// ("...") are one token each, with '' and "" standing for an escaped quote. A
// word is a letter, '_', '@', '#' or a UTF-8 byte, then those, digits and '$'.
// A number is digits with an optional fraction and exponent; a sign is a
// separate punctuation token.
#ifndef OCG_EMBEDDED_SQL_TOKENS_H_
#define OCG_EMBEDDED_SQL_TOKENS_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"

namespace ocg {

enum class SqlTokenKind { kSpace, kComment, kWord, kNumber, kString, kQuotedName, kPunct };

struct SqlToken {
  SqlTokenKind kind;
  size_t begin;  // byte offsets into the text
  size_t end;
};

// Fails (105, as SQL Server) on a quote that is never closed.
Status TokenizeSql(std::string_view text, std::vector<SqlToken>* out);

// A text's literals, and the text around them.
struct SqlLiterals {
  std::string skeleton;            // the text with a NUL byte in place of each literal
  std::vector<SqlToken> literals;  // its numbers and quoted texts, in order
};

// Reads text once, by the rules above, keeping only its literals: two texts
// with the same skeleton have the same tokens but for the literals'
// contents. False for a quote never closed and for a NUL byte outside the
// literals (the skeleton would not tell it from a literal). *out's buffers
// are reused, so a caller that keeps it allocates nothing per text.
bool ScanSqlLiterals(std::string_view text, SqlLiterals* out);

// True when ScanSqlLiterals would find skeleton in text, with *literals as it
// would find them, read by comparing the parts between the literals byte for
// byte and reading only the literals: where a text is known by its skeleton,
// this is the cheap reading. False when text is not skeleton with literals in
// its places, read as the scan would read them (a digit after a name is part
// of the name, not a literal).
bool MatchSqlSkeleton(std::string_view text, std::string_view skeleton,
                      std::vector<SqlToken>* literals);

}  // namespace ocg

#endif  // OCG_EMBEDDED_SQL_TOKENS_H_
