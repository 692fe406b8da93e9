// embedded/sql_functions.cc: the Oracle and SQL Server functions on SQLite.
//
// Dates live in the database as "yyyy-mm-dd hh:mm:ss" text. The functions
// read any date literal the statements write and hand back that stored form,
// so that comparisons in SQL are plain text comparisons. Errors use Oracle's
// own ORA- texts, which is what the statements' authors would look for.
#include "embedded/sql_functions.h"

#include <cctype>
#include <optional>
#include <string>
#include <string_view>

#include "value/date_time.h"
#include "value/text.h"

namespace ocg {
namespace {

std::string_view TextOf(sqlite3_value* v) {
  const unsigned char* p = sqlite3_value_text(v);
  if (p == nullptr) return {};
  return std::string_view(reinterpret_cast<const char*>(p),
                          static_cast<size_t>(sqlite3_value_bytes(v)));
}

void ResultText(sqlite3_context* ctx, const std::string& text) {
  sqlite3_result_text(ctx, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// A stored date, another date literal, or a number read as a serial date.
std::optional<DateTime> DateOf(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: {
      // Serials of the years 100 to 9999; anything beyond is no date.
      double serial = sqlite3_value_double(v);
      if (!(serial >= -657434.0 && serial < 2958466.0)) return std::nullopt;
      return FromSerial(serial);
    }
    case SQLITE_TEXT:
      return ParseDateTime(TextOf(v));
    default:
      return std::nullopt;
  }
}

// NVL(a, b): b when a is NULL. Any types, kept as they are.
void Nvl(sqlite3_context* ctx, int, sqlite3_value** argv) {
  sqlite3_result_value(ctx, sqlite3_value_type(argv[0]) == SQLITE_NULL ? argv[1] : argv[0]);
}

// TO_CHAR(x) is x as text; TO_CHAR(date, pattern) the date formatted. A value
// that is no date comes back as its text, as the statements only format dates.
void ToChar(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  if (argc == 1) return ResultText(ctx, std::string(TextOf(argv[0])));
  if (sqlite3_value_type(argv[1]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  std::optional<DateTime> d = DateOf(argv[0]);
  if (!d) return ResultText(ctx, std::string(TextOf(argv[0])));
  ResultText(ctx, FormatDateTime(*d, TextOf(argv[1])));
}

// Reads the digits of one date field: at most max_digits, after any blanks.
// Returns -1 when there is no digit.
int ReadField(std::string_view text, size_t* pos, int max_digits) {
  while (*pos < text.size() && text[*pos] == ' ') ++*pos;
  int value = 0;
  int digits = 0;
  while (*pos < text.size() && digits < max_digits &&
         std::isdigit(static_cast<unsigned char>(text[*pos]))) {
    value = value * 10 + (text[*pos] - '0');
    ++*pos;
    ++digits;
  }
  return digits == 0 ? -1 : value;
}

bool StartsWithIgnoreCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
  }
  return true;
}

// Reads text by an Oracle date pattern (YYYY, YY, RRRR, RR, MM, DD, HH24,
// HH12, HH, MI, SS; any letter case). As Oracle does, a punctuation mark or
// blank of the pattern matches any run of punctuation in the text, and the
// text may stop before the time fields, which are then 0. On failure *error
// holds the ORA- message.
std::optional<DateTime> ParseByPattern(std::string_view text, std::string_view pattern,
                                       std::string* error) {
  struct Element {
    std::string_view name;
    int digits;
  };
  static constexpr Element kElements[] = {{"YYYY", 4}, {"RRRR", 4}, {"HH24", 2}, {"HH12", 2},
                                          {"YY", 2},   {"RR", 2},   {"MM", 2},   {"DD", 2},
                                          {"HH", 2},   {"MI", 2},   {"SS", 2}};
  int year = -1, month = -1, day = -1, hour = 0, minute = 0, second = 0;
  size_t t = 0;
  size_t p = 0;
  while (p < pattern.size()) {
    if (!std::isalnum(static_cast<unsigned char>(pattern[p]))) {
      ++p;
      while (t < text.size() && !std::isalnum(static_cast<unsigned char>(text[t]))) ++t;
      continue;
    }
    const Element* element = nullptr;
    for (const Element& e : kElements) {
      if (StartsWithIgnoreCase(pattern.substr(p), e.name)) {
        element = &e;
        break;
      }
    }
    if (element == nullptr) {
      *error = "ORA-01821: date format not recognized";
      return std::nullopt;
    }
    p += element->name.size();
    if (t >= text.size() && year >= 0 && month >= 0 && day >= 0) break;
    int v = ReadField(text, &t, element->digits);
    if (v < 0) {
      *error = t >= text.size()
                   ? "ORA-01840: input value not long enough for date format"
                   : "ORA-01858: a non-numeric character was found where a numeric was expected";
      return std::nullopt;
    }
    std::string_view name = element->name;
    if (name == "YYYY" || name == "RRRR") {
      year = v;
    } else if (name == "YY") {
      year = 2000 + v;
    } else if (name == "RR") {
      year = v < 50 ? 2000 + v : 1900 + v;
    } else if (name == "MM") {
      month = v;
    } else if (name == "DD") {
      day = v;
    } else if (name == "MI") {
      minute = v;
    } else if (name == "SS") {
      second = v;
    } else {
      hour = v;
    }
  }
  while (t < text.size() && text[t] == ' ') ++t;
  if (t < text.size()) {
    *error = "ORA-01830: date format picture ends before converting entire input string";
    return std::nullopt;
  }
  if (year < 0 || month < 0 || day < 0) {
    *error = "ORA-01840: input value not long enough for date format";
    return std::nullopt;
  }
  if (month < 1 || month > 12) {
    *error = "ORA-01843: not a valid month";
    return std::nullopt;
  }
  if (hour > 23) {
    *error = "ORA-01850: hour must be between 0 and 23";
    return std::nullopt;
  }
  if (minute > 59) {
    *error = "ORA-01851: minutes must be between 0 and 59";
    return std::nullopt;
  }
  if (second > 59) {
    *error = "ORA-01852: seconds must be between 0 and 59";
    return std::nullopt;
  }
  DateTime d{year, month, day, hour, minute, second};
  if (!IsValidDateTime(d)) {
    *error = year < 100 ? "ORA-01841: (full) year must be between 100 and 9999"
                        : "ORA-01847: day of month must be between 1 and last day of month";
    return std::nullopt;
  }
  return d;
}

// TO_DATE(text [, pattern]): the stored form of the moment. Oracle's empty
// text is NULL, so '' gives NULL too.
void ToDate(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  std::string_view text = TextOf(argv[0]);
  if (text.empty()) return sqlite3_result_null(ctx);
  std::optional<DateTime> d;
  std::string error = "ORA-01843: not a valid month";
  if (argc == 1) {
    d = ParseDateTime(text);
  } else {
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    d = ParseByPattern(text, TextOf(argv[1]), &error);
  }
  if (!d) {
    error += " ('" + std::string(text) + "')";
    return sqlite3_result_error(ctx, error.c_str(), static_cast<int>(error.size()));
  }
  ResultText(ctx, CanonicalDateTime(*d));
}

// GETDATE() and ocg_sysdate(): the local clock.
void Clock(sqlite3_context* ctx, int, sqlite3_value**) {
  ResultText(ctx, CanonicalDateTime(Now()));
}

// ocg_date(x): a date literal in the stored form. A text that no accepted
// form reads, or that names a day the calendar does not have, is an error,
// so a date column written through the schema's triggers never holds one.
// Other values (NULL, serial numbers) are unchanged.
void StoredDate(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_TEXT) {
    if (std::optional<DateTime> d = ParseDateTime(TextOf(argv[0]))) {
      return ResultText(ctx, CanonicalDateTime(*d));
    }
    std::string text(TextOf(argv[0]).substr(0, 40));
    const std::string message =
        "ORA-01861: literal does not match format string: '" + text + "' is not a date";
    return sqlite3_result_error(ctx, message.c_str(), -1);
  }
  sqlite3_result_value(ctx, argv[0]);
}

// UPPER(x): texts upper-cased with their accented letters ("ção" -> "ÇÃO"),
// as a server's UPPER does; SQLite's own folds ASCII only. NULL stays NULL,
// other values unchanged.
void Upper(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) != SQLITE_TEXT) return sqlite3_result_value(ctx, argv[0]);
  ResultText(ctx, ToUpperText(TextOf(argv[0])));
}

// ocg_context(key): a field of the call context the driver was given; never
// deterministic, since the same statement runs under many operations.
void Context(sqlite3_context* ctx, int, sqlite3_value** argv) {
  const auto* context = static_cast<const CallContext*>(sqlite3_user_data(ctx));
  const std::string_view key = TextOf(argv[0]);
  const std::string* field = key == "operation" ? &context->operation
                             : key == "order"   ? &context->order
                                                : nullptr;
  if (field == nullptr || field->empty()) return sqlite3_result_null(ctx);
  ResultText(ctx, *field);
}

}  // namespace

Status RegisterContextFunction(sqlite3* db, const CallContext* context) {
  int rc = sqlite3_create_function_v2(db, "ocg_context", 1, SQLITE_UTF8 | SQLITE_INNOCUOUS,
                                      const_cast<CallContext*>(context), Context, nullptr, nullptr,
                                      nullptr);
  if (rc != SQLITE_OK) {
    return Status::Error(
        std::string("Could not register SQL function ocg_context: ") + sqlite3_errmsg(db), rc);
  }
  return Status();
}

Status RegisterSqlFunctions(sqlite3* db) {
  using Fn = void (*)(sqlite3_context*, int, sqlite3_value**);
  struct Function {
    const char* name;
    int args;
    bool deterministic;
    Fn fn;
  };
  // All are innocuous (no side effects), so views and triggers may use them.
  static constexpr Function kFunctions[] = {
      {"nvl", 2, true, Nvl},        {"to_char", 1, true, ToChar},
      {"to_char", 2, true, ToChar}, {"to_date", 1, true, ToDate},
      {"to_date", 2, true, ToDate}, {"ocg_date", 1, true, StoredDate},
      {"getdate", 0, false, Clock}, {"ocg_sysdate", 0, false, Clock},
      {"upper", 1, true, Upper},
  };
  for (const Function& f : kFunctions) {
    int flags = SQLITE_UTF8 | SQLITE_INNOCUOUS | (f.deterministic ? SQLITE_DETERMINISTIC : 0);
    int rc = sqlite3_create_function_v2(db, f.name, f.args, flags, nullptr, f.fn, nullptr, nullptr,
                                        nullptr);
    if (rc != SQLITE_OK) {
      return Status::Error(
          std::string("Could not register SQL function ") + f.name + ": " + sqlite3_errmsg(db), rc);
    }
  }
  return Status();
}

}  // namespace ocg
