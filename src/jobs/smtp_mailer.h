// jobs/smtp_mailer.h: delivering e-mail to an SMTP server with libcurl.
//
// Each Send opens one connection to the server named by the URL
// ("smtp://host:port", "smtps://host", credentials as "smtp://user:pw@host"),
// says EHLO, upgrades to TLS when the server offers STARTTLS (its certificate
// verified), hands over the message and closes. A transfer that makes no
// progress is cut off after the timeout; a stop request cuts it off within
// about a second. One mailer is used by one thread at a time.
#ifndef OCG_JOBS_SMTP_MAILER_H_
#define OCG_JOBS_SMTP_MAILER_H_

#include <chrono>
#include <string>
#include <utility>

#include "jobs/mailer.h"
#include "jobs/stop_flag.h"

namespace ocg {

class SmtpMailer : public Mailer {
 public:
  // stop (may be null, else must outlive the mailer) aborts a transfer.
  SmtpMailer(std::string url, std::chrono::seconds timeout, const StopFlag* stop)
      : url_(std::move(url)), timeout_(timeout), stop_(stop) {}

  // Fails without connecting when the sender or a recipient is not an
  // address (IsMailAddress) or there is no recipient.
  Status Send(const MailMessage& message) override;

 private:
  std::string url_;
  std::chrono::seconds timeout_;
  const StopFlag* stop_;
};

// url without its credentials, for what is printed: "smtp://user:pw@h:25"
// gives "smtp://h:25".
std::string UrlWithoutCredentials(const std::string& url);

}  // namespace ocg

#endif  // OCG_JOBS_SMTP_MAILER_H_
