// value/date_time.cc: civil-date arithmetic, the serial form, reading and
// formatting of moments.
//
// Day counts use the proleptic Gregorian calendar throughout, so a serial
// before 1582 is still a plain day count. Negative serials follow the
// automation convention: the integer part counts days back from 1899-12-30 and
// the fraction is always the time of day forward from that day's midnight
// (-1.25 is 1899-12-29 06:00).
#include "value/date_time.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <mutex>
#include <span>

#include "value/text.h"

namespace ocg {
namespace {

constexpr int kSecondsPerDay = 86400;

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

// Days since 1970-01-01 of a civil date (H. Hinnant's algorithm); valid for
// any year, which keeps the serial arithmetic free of special cases.
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int* y, int* m, int* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *y = static_cast<int>(yoe + era * 400 + (*m <= 2));
}

const int64_t kSerialEpoch = DaysFromCivil(1899, 12, 30);

// A cursor over the text being read; each step either consumes what it
// expects or leaves the position where it was.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  bool AtEnd() const { return pos_ == text_.size(); }
  char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }

  bool Take(char c) {
    if (Peek() != c) return false;
    ++pos_;
    return true;
  }

  // min_digits to max_digits decimal digits; *count gets how many were read.
  bool Number(int min_digits, int max_digits, int* out, int* count = nullptr) {
    int n = 0;
    int value = 0;
    while (n < max_digits && Peek() >= '0' && Peek() <= '9') {
      value = value * 10 + (Peek() - '0');
      ++pos_;
      ++n;
    }
    if (n < min_digits) {
      pos_ -= n;
      return false;
    }
    // More digits than the field allows is not a shorter field.
    if (Peek() >= '0' && Peek() <= '9') return false;
    *out = value;
    if (count != nullptr) *count = n;
    return true;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

// Day-first dates may carry a short year; the front ends mean 1930-2029.
int WidenYear(int year, int digits) {
  if (digits > 2) return year;
  return year < 30 ? 2000 + year : 1900 + year;
}

bool ReadDate(Reader& r, DateTime* out) {
  int first = 0;
  int first_digits = 0;
  if (!r.Number(1, 4, &first, &first_digits)) return false;
  const char sep = r.Peek();
  if (sep != '/' && sep != '-') return false;
  r.Take(sep);
  if (first_digits == 4) {
    out->year = first;
    return r.Number(1, 2, &out->month) && r.Take(sep) && r.Number(1, 2, &out->day);
  }
  if (first_digits > 2 || sep != '/') return false;
  out->day = first;
  int year_digits = 0;
  if (!r.Number(1, 2, &out->month) || !r.Take('/') || !r.Number(1, 4, &out->year, &year_digits)) {
    return false;
  }
  out->year = WidenYear(out->year, year_digits);
  return true;
}

bool ReadTime(Reader& r, DateTime* out) {
  if (!r.Number(1, 2, &out->hour) || !r.Take(':') || !r.Number(1, 2, &out->minute)) {
    return false;
  }
  if (r.Take(':')) return r.Number(1, 2, &out->second);
  return true;
}

enum class Token {
  kLiteral,
  kYear4,
  kYear2,
  kMonthOrMinute2,  // mm: decided by its neighbours
  kMonthOrMinute1,  // m
  kMonth2,
  kMonth1,
  kDay2,
  kDay1,
  kHour2,
  kHour1,
  kMinute2,
  kMinute1,
  kSecond2,
};

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

// The pattern token at pattern[i], and *length its length (a literal is one
// character). Longest first, so "hh24" is not read as "hh" and a literal
// "24"; found by the first letter, as this runs for every date formatted.
Token TokenAt(std::string_view pattern, size_t i, size_t* length) {
  struct Candidate {
    std::string_view name;
    Token token;
  };
  static constexpr Candidate kY[] = {{"yyyy", Token::kYear4}, {"yy", Token::kYear2}};
  static constexpr Candidate kM[] = {
      {"mi", Token::kMinute2}, {"mm", Token::kMonthOrMinute2}, {"m", Token::kMonthOrMinute1}};
  static constexpr Candidate kD[] = {{"dd", Token::kDay2}, {"d", Token::kDay1}};
  static constexpr Candidate kH[] = {
      {"hh24", Token::kHour2}, {"hh", Token::kHour2}, {"h", Token::kHour1}};
  static constexpr Candidate kN[] = {{"nn", Token::kMinute2}};
  static constexpr Candidate kS[] = {{"ss", Token::kSecond2}};
  std::span<const Candidate> candidates;
  switch (pattern[i] | 0x20) {
    case 'y':
      candidates = kY;
      break;
    case 'm':
      candidates = kM;
      break;
    case 'd':
      candidates = kD;
      break;
    case 'h':
      candidates = kH;
      break;
    case 'n':
      candidates = kN;
      break;
    case 's':
      candidates = kS;
      break;
    default:
      break;
  }
  const std::string_view rest = pattern.substr(i);
  for (const Candidate& c : candidates) {
    if (StartsWithIgnoreCase(rest, c.name)) {
      *length = c.name.size();
      return c.token;
    }
  }
  *length = 1;
  return Token::kLiteral;
}

bool IsHour(Token t) { return t == Token::kHour1 || t == Token::kHour2; }

// "mm" after an hour ("hh:mm") or before seconds ("mm:ss") is the minute;
// literals in between do not count. before: the token before it, already
// resolved; the pattern after it is read from i.
Token ResolveMonthOrMinute(Token t, Token before, std::string_view pattern, size_t i) {
  Token after = Token::kLiteral;
  for (size_t length = 0; i < pattern.size() && after == Token::kLiteral; i += length) {
    after = TokenAt(pattern, i, &length);
  }
  const bool minute = IsHour(before) || after == Token::kSecond2;
  const bool two = t == Token::kMonthOrMinute2;
  return minute ? (two ? Token::kMinute2 : Token::kMinute1)
                : (two ? Token::kMonth2 : Token::kMonth1);
}

// value in decimal, zero-padded to width as "%0*d" pads.
void AppendNumber(std::string& out, int value, int width) {
  char digits[16];
  const bool negative = value < 0;
  const unsigned magnitude = negative ? 0u - static_cast<unsigned>(value) : value;
  const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, magnitude);
  const int count = static_cast<int>(end - digits);
  if (negative) out += '-';
  if (width - negative > count) out.append(width - negative - count, '0');
  out.append(digits, count);
}

}  // namespace

bool IsValidDateTime(const DateTime& d) {
  return d.year >= 100 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
         d.day <= DaysInMonth(d.year, d.month) && d.hour >= 0 && d.hour <= 23 && d.minute >= 0 &&
         d.minute <= 59 && d.second >= 0 && d.second <= 59;
}

double ToSerial(const DateTime& d) {
  const double days = static_cast<double>(DaysFromCivil(d.year, d.month, d.day) - kSerialEpoch);
  const double time = (d.hour * 3600 + d.minute * 60 + d.second) / double{kSecondsPerDay};
  return days >= 0 ? days + time : days - time;
}

DateTime FromSerial(double serial) {
  DateTime d;
  if (!std::isfinite(serial)) return d;
  const double whole = std::trunc(serial);
  int64_t days = static_cast<int64_t>(whole);
  int64_t seconds = std::llround(std::fabs(serial - whole) * kSecondsPerDay);
  if (seconds >= kSecondsPerDay) {  // 23:59:59.6 rounds into the next day
    seconds -= kSecondsPerDay;
    ++days;
  }
  CivilFromDays(days + kSerialEpoch, &d.year, &d.month, &d.day);
  d.hour = static_cast<int>(seconds / 3600);
  d.minute = static_cast<int>(seconds / 60 % 60);
  d.second = static_cast<int>(seconds % 60);
  return d;
}

DateTime AddSeconds(const DateTime& d, int64_t seconds) {
  const int64_t total = DaysFromCivil(d.year, d.month, d.day) * kSecondsPerDay + d.hour * 3600 +
                        d.minute * 60 + d.second + seconds;
  int64_t days = total / kSecondsPerDay;
  int64_t rest = total % kSecondsPerDay;
  if (rest < 0) {  // division truncates toward zero; a day starts at its midnight
    rest += kSecondsPerDay;
    --days;
  }
  DateTime out;
  CivilFromDays(days, &out.year, &out.month, &out.day);
  out.hour = static_cast<int>(rest / 3600);
  out.minute = static_cast<int>(rest / 60 % 60);
  out.second = static_cast<int>(rest % 60);
  return out;
}

std::optional<DateTime> ParseDateTime(std::string_view text) {
  std::string_view t = TrimBlanks(text);
  Reader r(t);
  DateTime d;
  if (!ReadDate(r, &d)) return std::nullopt;
  if (!r.AtEnd()) {
    if (r.Take('T')) {
    } else if (r.Take(' ')) {
      while (r.Take(' ')) {
      }
    } else {
      return std::nullopt;
    }
    if (!ReadTime(r, &d) || !r.AtEnd()) return std::nullopt;
  }
  if (!IsValidDateTime(d)) return std::nullopt;
  return d;
}

std::string FormatDateTime(const DateTime& d, std::string_view pattern) {
  std::string out;
  out.reserve(pattern.size() + 4);
  Token before = Token::kLiteral;  // the last token that was not a literal
  for (size_t i = 0, length = 0; i < pattern.size(); i += length) {
    Token token = TokenAt(pattern, i, &length);
    if (token == Token::kMonthOrMinute1 || token == Token::kMonthOrMinute2) {
      token = ResolveMonthOrMinute(token, before, pattern, i + length);
    }
    switch (token) {
      case Token::kLiteral:
        out += pattern[i];
        break;
      case Token::kYear4:
        AppendNumber(out, d.year, 4);
        break;
      case Token::kYear2:
        AppendNumber(out, d.year % 100, 2);
        break;
      case Token::kMonth2:
        AppendNumber(out, d.month, 2);
        break;
      case Token::kMonth1:
        AppendNumber(out, d.month, 1);
        break;
      case Token::kDay2:
        AppendNumber(out, d.day, 2);
        break;
      case Token::kDay1:
        AppendNumber(out, d.day, 1);
        break;
      case Token::kHour2:
        AppendNumber(out, d.hour, 2);
        break;
      case Token::kHour1:
        AppendNumber(out, d.hour, 1);
        break;
      case Token::kMinute2:
        AppendNumber(out, d.minute, 2);
        break;
      case Token::kMinute1:
        AppendNumber(out, d.minute, 1);
        break;
      case Token::kSecond2:
        AppendNumber(out, d.second, 2);
        break;
      case Token::kMonthOrMinute1:
      case Token::kMonthOrMinute2:
        break;  // resolved above
    }
    if (token != Token::kLiteral) before = token;
  }
  return out;
}

std::string CanonicalDateTime(const DateTime& d) {
  std::string out;
  out.reserve(19);
  AppendNumber(out, d.year, 4);
  out += '-';
  AppendNumber(out, d.month, 2);
  out += '-';
  AppendNumber(out, d.day, 2);
  out += ' ';
  AppendNumber(out, d.hour, 2);
  out += ':';
  AppendNumber(out, d.minute, 2);
  out += ':';
  AppendNumber(out, d.second, 2);
  return out;
}

namespace {

std::mutex clock_mutex;
std::optional<DateTime> fixed_clock;  // guarded by clock_mutex

}  // namespace

void SetClockForTesting(std::optional<DateTime> moment) {
  std::lock_guard<std::mutex> lock(clock_mutex);
  fixed_clock = moment;
}

DateTime Now() {
  {
    std::lock_guard<std::mutex> lock(clock_mutex);
    if (fixed_clock) return *fixed_clock;
  }
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  DateTime d;
  d.year = local.tm_year + 1900;
  d.month = local.tm_mon + 1;
  d.day = local.tm_mday;
  d.hour = local.tm_hour;
  d.minute = local.tm_min;
  d.second = local.tm_sec;
  return d;
}

}  // namespace ocg
