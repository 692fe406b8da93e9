// server/tokens.h: bearer tokens, each mapped to the user its holder calls as.
//
// The file has one "TOKEN USER_ID" pair a line, separated by blanks; '#'
// starts a comment that runs to the end of the line; blank lines are skipped.
// A token is at least 16 characters without blanks or '#'; a user is a whole
// number. The file is refused when others than its owner and group can read
// it, or anyone but its owner can write it. Messages name the line, never a
// token. Read once at start; safe to share between threads afterwards.
#ifndef OCG_SERVER_TOKENS_H_
#define OCG_SERVER_TOKENS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/status.h"

namespace ocg {

class TokenTable {
 public:
  static Status Load(const std::string& path, TokenTable* out);
  // Reads the lines themselves; Load checks the file first.
  static Status Parse(std::string_view text, TokenTable* out);

  // The user of an "Authorization" header value "Bearer TOKEN"; nullopt when
  // the header is malformed or the token unknown. Every token is compared in
  // full, so the time taken does not tell how much of a guess was right.
  std::optional<int32_t> UserOf(std::string_view authorization) const;

  bool empty() const { return entries_.empty(); }

 private:
  std::vector<std::pair<std::string, int32_t>> entries_;
};

}  // namespace ocg

#endif  // OCG_SERVER_TOKENS_H_
