// jobs/mailer.h: an e-mail message and what the job runner needs of the
// transport that delivers it (jobs/smtp_mailer.h).
#ifndef OCG_JOBS_MAILER_H_
#define OCG_JOBS_MAILER_H_

#include <string>
#include <utility>
#include <vector>

#include "base/status.h"

namespace ocg {

struct MailMessage {
  std::string sender;                   // envelope sender and From:
  std::vector<std::string> recipients;  // envelope recipients and To:
  std::string subject;                  // UTF-8
  std::string body;                     // UTF-8, lines ended by "\n"
  // Further header fields, written as given: names and values of our own
  // ("X-Ocg-Job", "57"), never a caller's text.
  std::vector<std::pair<std::string, std::string>> headers;
};

class Mailer {
 public:
  Mailer() = default;
  Mailer(const Mailer&) = delete;
  Mailer& operator=(const Mailer&) = delete;
  virtual ~Mailer() = default;

  // Delivers message to every recipient, or to none. On failure the
  // description says why (the server's own reply when it gave one) and the
  // number is the server's reply code (400 to 599) when it refused, or the
  // transport's error otherwise.
  virtual Status Send(const MailMessage& message) = 0;
};

// True for a failure that the same message would meet again: the server
// refused it for good (a 5xx reply).
bool IsPermanentMailFailure(const Status& failure);

}  // namespace ocg

#endif  // OCG_JOBS_MAILER_H_
