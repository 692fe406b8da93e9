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

}  // namespace ocg

#endif  // OCG_EMBEDDED_SQL_TOKENS_H_
