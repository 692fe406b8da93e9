#include "jobs/mail_format.h"

#include <algorithm>

namespace ocg {
namespace {

constexpr std::string_view kCrLf = "\r\n";

std::string Base64(std::string_view bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t n = std::min<size_t>(3, bytes.size() - i);
    uint32_t group = 0;
    for (size_t k = 0; k < 3; ++k) {
      group = group << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
    }
    for (size_t k = 0; k < 4; ++k) {
      out += k <= n ? kDigits[(group >> (18 - 6 * k)) & 0x3f] : '=';
    }
  }
  return out;
}

bool IsPlainHeaderText(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c <= 0x7e; });
}

// The subject field's value: as it is when plain, otherwise encoded words of
// at most 45 bytes each (60 in base64, 72 with their frame, under the 75 of a
// word), cut between characters, one per folded line.
std::string SubjectValue(std::string_view subject) {
  if (IsPlainHeaderText(subject) && subject.size() <= 900) return std::string(subject);
  std::string out;
  while (!subject.empty()) {
    size_t cut = std::min<size_t>(45, subject.size());
    // Never leave a UTF-8 continuation byte (10xxxxxx) at the head of the rest.
    while (cut < subject.size() && cut > 1 && (subject[cut] & 0xc0) == 0x80) --cut;
    if (!out.empty()) out += "\r\n ";
    out += "=?UTF-8?B?" + Base64(subject.substr(0, cut)) + "?=";
    subject.remove_prefix(cut);
  }
  return out;
}

// The body with every line ended by CRLF, in base64 lines of 76.
std::string BodyText(std::string_view body) {
  std::string lines;
  for (char c : body) {
    if (c == '\n' && (lines.empty() || lines.back() != '\r')) lines += '\r';
    lines += c;
  }
  const std::string encoded = Base64(lines);
  std::string out;
  for (size_t i = 0; i < encoded.size(); i += 76) {
    out.append(encoded, i, 76).append(kCrLf);
  }
  return out;
}

}  // namespace

bool IsMailAddress(std::string_view address) {
  const size_t at = address.find('@');
  if (at == 0 || at == std::string_view::npos || at + 1 == address.size() ||
      address.find('@', at + 1) != std::string_view::npos) {
    return false;
  }
  return std::all_of(address.begin(), address.end(), [](char c) {
    return c > 0x20 && c <= 0x7e &&
           std::string_view("<>,;:\"'()[]\\").find(c) == std::string_view::npos;
  });
}

std::string FormatMailText(const MailMessage& message, std::string_view date,
                           std::string_view message_id) {
  std::string to;
  for (const std::string& r : message.recipients) to += (to.empty() ? "" : ", ") + r;
  std::string text;
  auto field = [&text](std::string_view name, std::string_view value) {
    text.append(name).append(": ").append(value).append(kCrLf);
  };
  field("Date", date);
  field("From", message.sender);
  field("To", to);
  field("Subject", SubjectValue(message.subject));
  field("Message-ID", message_id);
  field("MIME-Version", "1.0");
  field("Content-Type", "text/plain; charset=UTF-8");
  field("Content-Transfer-Encoding", "base64");
  for (const auto& [name, value] : message.headers) field(name, value);
  text.append(kCrLf);
  text += BodyText(message.body);
  return text;
}

}  // namespace ocg
