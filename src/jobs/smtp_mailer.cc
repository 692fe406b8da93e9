#include "jobs/smtp_mailer.h"

#include <curl/curl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <ctime>
#include <memory>
#include <string_view>

#include "jobs/mail_format.h"

namespace ocg {
namespace {

using CurlHandle = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
using CurlList = std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)>;

// The reply code that says an address was not acceptable.
constexpr int64_t kBadAddress = 553;

// libcurl's global set-up, once per process, before the first handle.
bool CurlReady() {
  static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return ready;
}

// The message text, handed to libcurl piece by piece.
size_t ReadMessage(char* buffer, size_t size, size_t count, void* data) {
  auto* rest = static_cast<std::string_view*>(data);
  const size_t n = std::min(size * count, rest->size());
  std::memcpy(buffer, rest->data(), n);
  rest->remove_prefix(n);
  return n;
}

// What one transfer watches and keeps: the stop to obey, and the server's
// last refusal (a reply line of code 4xx or 5xx), which says why better than
// libcurl's code. Later replies (to QUIT) do not replace it.
struct Transfer {
  const StopFlag* stop;
  std::string refusal;
};

int OnProgress(void* data, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  const StopFlag* stop = static_cast<Transfer*>(data)->stop;
  return stop != nullptr && stop->requested() ? 1 : 0;
}

int OnDebug(CURL*, curl_infotype type, char* text, size_t size, void* data) {
  if (type == CURLINFO_HEADER_IN) {
    std::string_view line(text, size);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (!line.empty() && (line[0] == '4' || line[0] == '5')) {
      static_cast<Transfer*>(data)->refusal.assign(line);
    }
  }
  return 0;
}

std::string MailDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[64];
  return std::string(text, std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S %z", &local));
}

// Unique per process and message: the time, the process and a counter.
std::string NewMessageId() {
  static std::atomic<unsigned> counter{0};
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) != 0 || !IsMailAddress(std::string("x@") + host)) {
    std::strcpy(host, "localhost");
  }
  return "<ocg." + std::to_string(std::time(nullptr)) + "." + std::to_string(getpid()) + "." +
         std::to_string(++counter) + "@" + host + ">";
}

}  // namespace

bool IsPermanentMailFailure(const Status& failure) {
  return !failure.ok() && failure.number() >= 500 && failure.number() <= 599;
}

Status SmtpMailer::Send(const MailMessage& message) {
  if (message.recipients.empty()) return Status::Error("the message has no recipient", kBadAddress);
  if (!IsMailAddress(message.sender)) {
    return Status::Error("the sender is not an e-mail address: " + message.sender, kBadAddress);
  }
  if (!CurlReady()) return Status::Error("libcurl cannot start", CURLE_FAILED_INIT);
  CurlHandle curl(curl_easy_init(), &curl_easy_cleanup);
  if (curl == nullptr) return Status::Error("libcurl cannot start", CURLE_FAILED_INIT);
  CurlList recipients(nullptr, &curl_slist_free_all);
  for (const std::string& r : message.recipients) {
    if (!IsMailAddress(r)) return Status::Error("not an e-mail address: " + r, kBadAddress);
    curl_slist* head = recipients.release();
    curl_slist* longer = curl_slist_append(head, ("<" + r + ">").c_str());
    recipients.reset(longer != nullptr ? longer : head);
    if (longer == nullptr) return Status::Error("out of memory", CURLE_OUT_OF_MEMORY);
  }

  const std::string text = FormatMailText(message, MailDate(), NewMessageId());
  std::string_view rest = text;
  Transfer transfer{stop_, ""};
  char error[CURL_ERROR_SIZE] = "";
  const std::string from = "<" + message.sender + ">";
  const long timeout = static_cast<long>(timeout_.count());
  CURL* h = curl.get();
  int failed = 0;
  failed |= curl_easy_setopt(h, CURLOPT_URL, url_.c_str());
  failed |= curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
  failed |= curl_easy_setopt(h, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_TRY));
  failed |= curl_easy_setopt(h, CURLOPT_MAIL_FROM, from.c_str());
  failed |= curl_easy_setopt(h, CURLOPT_MAIL_RCPT, recipients.get());
  failed |= curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
  failed |= curl_easy_setopt(h, CURLOPT_READFUNCTION, &ReadMessage);
  failed |= curl_easy_setopt(h, CURLOPT_READDATA, &rest);
  // No signals from libcurl: the program's threads keep theirs blocked.
  failed |= curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  failed |= curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, timeout);
  failed |= curl_easy_setopt(h, CURLOPT_TIMEOUT, timeout);
  failed |= curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
  failed |= curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &OnProgress);
  failed |= curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);
  // The debug callback sees the server's replies; with it set, nothing is
  // printed.
  failed |= curl_easy_setopt(h, CURLOPT_VERBOSE, 1L);
  failed |= curl_easy_setopt(h, CURLOPT_DEBUGFUNCTION, &OnDebug);
  failed |= curl_easy_setopt(h, CURLOPT_DEBUGDATA, &transfer);
  failed |= curl_easy_setopt(h, CURLOPT_ERRORBUFFER, error);
  if (failed != 0) return Status::Error("libcurl refused an option", failed);

  const CURLcode rc = curl_easy_perform(h);
  if (rc == CURLE_OK) return Status();
  long reply = 0;
  if (curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &reply) != CURLE_OK) reply = 0;
  const std::string why = error[0] != '\0' ? error : curl_easy_strerror(rc);
  if (reply >= 400 && reply <= 599) {
    const std::string said = transfer.refusal.empty() ? std::to_string(reply) : transfer.refusal;
    return Status::Error("SMTP " + said + " (" + why + ")", reply);
  }
  return Status::Error(why, rc);
}

std::string UrlWithoutCredentials(const std::string& url) {
  const size_t scheme = url.find("://");
  const size_t start = scheme == std::string::npos ? 0 : scheme + 3;
  const size_t at = url.find('@', start);
  if (at == std::string::npos || at > url.find('/', start)) return url;
  return url.substr(0, start) + url.substr(at + 1);
}

}  // namespace ocg
