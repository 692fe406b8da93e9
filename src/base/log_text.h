// base/log_text.h: text from outside (database values, mail server replies)
// made safe for a line-oriented log.
#ifndef OCG_BASE_LOG_TEXT_H_
#define OCG_BASE_LOG_TEXT_H_

#include <string>
#include <string_view>

namespace ocg {

// The text with each control character written as an escape: CR as \r, LF
// as \n, tab as \t, the others (and DEL) as \xNN. A value can then never
// end a log line early or forge one. Other bytes, UTF-8 included, pass.
std::string EscapeControlCharacters(std::string_view text);

}  // namespace ocg

#endif  // OCG_BASE_LOG_TEXT_H_
