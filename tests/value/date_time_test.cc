#include "value/date_time.h"

#include <gtest/gtest.h>

namespace ocg {
namespace {

TEST(DateTimeTest, ParseDateTime) {
  struct Case {
    const char* name;
    const char* in;
    DateTime want;
  };
  const Case cases[] = {
      {"day first, blanks around", "  13/10/2001  ", {2001, 10, 13}},
      {"day first unpadded", "6/1/2026", {2026, 1, 6}},
      {"year first, minutes only", "2026/12/06 09:05", {2026, 12, 6, 9, 5, 0}},
      {"stored form", "2026-12-06 09:05:07", {2026, 12, 6, 9, 5, 7}},
      {"iso T", "2026-12-06T23:59:59", {2026, 12, 6, 23, 59, 59}},
      {"leap day", "29/02/2024", {2024, 2, 29}},
      {"a century's leap day every 400 years", "29/02/2000", {2000, 2, 29}},
      {"short year recent", "01/01/29", {2029, 1, 1}},
      {"short year old", "01/01/30", {1930, 1, 1}},
  };
  for (const Case& c : cases) {
    std::optional<DateTime> got = ParseDateTime(c.in);
    ASSERT_TRUE(got.has_value()) << c.name;
    EXPECT_EQ(c.want, *got) << c.name;
  }
  for (const char* in : {"31/02/2026", "29/02/2026", "29/02/1900", "2100-02-29", "2026-13-01",
                         "00/01/2026", "01/00/2026", "06-12-2026", "2026/12/06 24:00",
                         "2026/12/06 10:60", "06/12/2026x", "12/2026", "06/12/02026"}) {
    EXPECT_FALSE(ParseDateTime(in).has_value()) << in;
  }
}

TEST(DateTimeTest, FormatDateTime) {
  const DateTime d{2026, 3, 6, 9, 5, 7};
  const char* const cases[][3] = {
      // name, pattern, want
      {"statement date", "yyyy/mm/dd hh:mm", "2026/03/06 09:05"},
      {"upper case, MM after HH", "DD/MM/YYYY HH:MM:SS", "06/03/2026 09:05:07"},
      {"oracle tokens", "yyyy/mm/dd hh24:mi:ss", "2026/03/06 09:05:07"},
      {"mm before seconds", "mm:ss", "05:07"},
      {"unpadded", "d/m/yy h", "6/3/26 9"},
      {"literals copied", "[yyyy] nn", "[2026] 05"},
      {"m after an hour", "h.m", "9.5"},
      {"mm twice, no hour", "mm-mm", "03-03"},
  };
  for (const auto& c : cases) EXPECT_EQ(c[2], FormatDateTime(d, c[1])) << c[0];
  struct Edge {
    const char* name;
    DateTime d;
    const char* pattern;
    const char* want;
    const char* canonical;
  };
  const Edge edges[] = {
      {"midnight",
       {2026, 12, 6, 0, 0, 0},
       "dd/mm/yyyy hh:mm:ss",
       "06/12/2026 00:00:00",
       "2026-12-06 00:00:00"},
      {"first year", {100, 1, 1, 0, 0, 0}, "yyyy yy", "0100 00", "0100-01-01 00:00:00"},
      {"last moment",
       {9999, 12, 31, 23, 59, 59},
       "d/m/yy h:nn",
       "31/12/99 23:59",
       "9999-12-31 23:59:59"},
  };
  for (const Edge& e : edges) {
    EXPECT_EQ(e.want, FormatDateTime(e.d, e.pattern)) << e.name;
    EXPECT_EQ(e.canonical, CanonicalDateTime(e.d)) << e.name;
  }
}

TEST(DateTimeTest, Serial) {
  struct Case {
    const char* name;
    DateTime date;
    double serial;
  };
  const Case cases[] = {
      {"epoch", {1899, 12, 30}, 0},
      {"past 1900's february", {1900, 3, 1}, 61},
      {"noon", {2000, 1, 1, 12, 0, 0}, 36526.5},
      {"before the epoch keeps time forward", {1899, 12, 29, 6, 0, 0}, -1.25},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(c.serial, ToSerial(c.date)) << c.name;
    EXPECT_EQ(c.date, FromSerial(c.serial)) << c.name;
  }
  // Rounding to the second may carry into the next day.
  EXPECT_EQ((DateTime{2000, 1, 2}), FromSerial(36527 - 0.1 / 86400));
}

}  // namespace
}  // namespace ocg
