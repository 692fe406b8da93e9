// value/date_time.h: calendar moments, their reading and their formatting.
//
// A DateTime is a civil date and time with whole seconds, years 100 to 9999.
// The serial form is the automation date: days since 1899-12-30, the time of
// day as the fraction. Dates are read the way the Brazilian front ends type
// them (dd/mm/yyyy), the way the statements write them (yyyy/mm/dd) and the way
// the embedded database stores them (yyyy-mm-dd hh:mm:ss).
#ifndef OCG_VALUE_DATE_TIME_H_
#define OCG_VALUE_DATE_TIME_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ocg {

struct DateTime {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;

  bool HasTime() const { return hour != 0 || minute != 0 || second != 0; }
  friend bool operator==(const DateTime&, const DateTime&) = default;
};

// True when every field is in range (31/02 is not; 29/02 only in leap years).
bool IsValidDateTime(const DateTime& d);

// Days since 1899-12-30 with the time as the fraction, and back (rounded to the
// nearest second).
double ToSerial(const DateTime& d);
DateTime FromSerial(double serial);

// d moved by seconds (either way), exactly.
DateTime AddSeconds(const DateTime& d, int64_t seconds);

// Reads a moment. Accepted, after trimming blanks: "d/m/yyyy", "yyyy/m/d" and
// "yyyy-m-d", each optionally followed by a blank (or "T") and "h:mm" or
// "h:mm:ss". A one- or two-digit year in the day-first form is taken as
// 1930-2029. Returns nullopt for anything else or for an impossible date.
std::optional<DateTime> ParseDateTime(std::string_view text);

// Formats by a pattern of the tokens yyyy, yy, mm, m, dd, d, hh, h, nn, ss and
// hh24/mi (Oracle), case-insensitive. "mm" means minutes when it follows an
// hour token or precedes "ss", months otherwise. Anything else is copied.
// Examples: "DD/MM/YYYY" -> 06/12/2026; "yyyy/mm/dd hh:mm" -> 2026/12/06 09:05.
std::string FormatDateTime(const DateTime& d, std::string_view pattern);

// The embedded database's stored form, "yyyy-mm-dd hh:mm:ss": fixed width, so
// text order is time order.
std::string CanonicalDateTime(const DateTime& d);

// The local wall clock, or the moment a test fixed with SetClockForTesting.
// The component's "now" and the embedded engine's sysdate and GETDATE() both
// read it, so a fixed clock moves them together.
DateTime Now();

// Fixes Now() at moment (any thread may read it); nullopt restores the wall
// clock. For tests of rules that depend on the time of day.
void SetClockForTesting(std::optional<DateTime> moment);

}  // namespace ocg

#endif  // OCG_VALUE_DATE_TIME_H_
