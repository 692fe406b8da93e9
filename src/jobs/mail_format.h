// jobs/mail_format.h: the text of an e-mail as it travels after SMTP DATA.
//
// Header fields Date, From, To, Subject, Message-ID, MIME-Version and
// Content-Type/-Transfer-Encoding, then the message's own fields, a blank
// line and the body in base64 (so no line is too long and no line starts
// with a dot), every line ended by CRLF. A subject that is not plain printable
// ASCII goes as RFC 2047 encoded words, which also keeps a line break in it
// from starting a header field of its own.
#ifndef OCG_JOBS_MAIL_FORMAT_H_
#define OCG_JOBS_MAIL_FORMAT_H_

#include <string>
#include <string_view>

#include "jobs/mailer.h"

namespace ocg {

// date is an RFC 5322 date ("Tue, 08 Dec 2026 10:30:00 -0300"); message_id
// the field's value, angle brackets included.
std::string FormatMailText(const MailMessage& message, std::string_view date,
                           std::string_view message_id);

// True for an address a message may carry: "local@domain", printable ASCII
// without blanks, angle brackets, commas or quotes.
bool IsMailAddress(std::string_view address);

}  // namespace ocg

#endif  // OCG_JOBS_MAIL_FORMAT_H_
