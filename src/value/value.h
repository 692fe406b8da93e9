// value/value.h: one cell or argument, with the conversions the operations rely on.
//
// A Value holds one of: Empty (never assigned), Null (SQL NULL), a 16- or
// 32-bit integer, a double, a date, a text, a Boolean, a reference to another
// Value (read through it, as a record-set field is) or a one-dimensional array
// of Values indexed from 0. Empty and Null are distinct states.
//
// Conversions follow the conventions of the Brazilian desktop platform the
// front ends run on: "," is the decimal separator and "." groups thousands
// ("1.234,5" is 1234.5), whole-number conversions round half to even
// (2.5 -> 2, 3.5 -> 4), dates read and print as dd/mm/yyyy.
//
// A Value is a plain value type: copy it freely; one thread at a time per
// instance.
#ifndef OCG_VALUE_VALUE_H_
#define OCG_VALUE_VALUE_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/status.h"
#include "value/date_time.h"

namespace ocg {

class Value {
 public:
  enum class Kind { kEmpty, kNull, kInt16, kInt32, kDouble, kDate, kText, kBool, kRef, kArray };

  Value() = default;  // Empty
  static Value Null();
  static Value Int16(int16_t v);
  static Value Int32(int32_t v);
  static Value Double(double v);
  static Value Date(const DateTime& v);
  static Value Text(std::string v);
  static Value Bool(bool v);
  static Value Array(std::vector<Value> items);
  // A live view of *target, which must outlive the reference.
  static Value Ref(const Value* target);

  // The kind after following references.
  Kind kind() const;
  bool is_empty() const { return kind() == Kind::kEmpty; }
  bool is_null() const { return kind() == Kind::kNull; }
  bool is_text() const { return kind() == Kind::kText; }
  bool is_array() const { return kind() == Kind::kArray; }
  // Int16, Int32 or Double.
  bool is_number() const;

  // Direct access; each requires the matching kind.
  int16_t int16() const;
  int32_t int32() const;
  double dbl() const;
  const DateTime& date() const;
  const std::string& text() const;
  bool boolean() const;
  const std::vector<Value>& array() const;
  std::vector<Value>& mutable_array();

  // True for Null and for the empty text: the "empty" of the formatting
  // routines. Empty counts too (it reads as the empty text).
  bool IsNullOrEmptyText() const;

  // Text form. Empty gives ""; numbers use "," ("12,5", "-3", "1E+20");
  // dates "dd/mm/yyyy", with " hh:mm:ss" when the time is not midnight;
  // Booleans "True"/"False". Null and arrays fail (94 / 13).
  Result<std::string> ToText() const;
  // The same, with "" for anything that has no text form.
  std::string TextOrEmpty() const;

  // Number. Empty gives 0; Booleans -1/0; dates their serial; texts by the
  // Brazilian reading (blanks trimmed, optional sign, "." grouping, "," decimal).
  // Null fails (94); other texts and arrays fail (13).
  Result<double> ToDouble() const;
  // Whole numbers, rounding half to even; out of range fails (6).
  Result<int32_t> ToInt32() const;
  Result<int16_t> ToInt16() const;
  // Date: dates as they are, texts by ParseDateTime, numbers as serials.
  Result<DateTime> ToDate() const;

  // The platform's numeric test: true for Empty, numbers, Booleans and texts
  // that ToDouble reads; false for Null, dates and anything else.
  bool IsNumeric() const;
  // The platform's date test: true for dates and texts that ParseDateTime reads.
  bool IsDate() const;

  // Comparison of two Values. Either side Null gives nullopt (so every equality
  // and order test is false). Numbers compare as numbers, texts as texts
  // (case-sensitive, byte order), a number against a numeric text as numbers,
  // a number against any other text is smaller; Empty is 0 against a number and
  // "" against a text. Returns <0, 0, >0.
  static std::optional<int> Compare(const Value& a, const Value& b);
  // Compare(...) == 0, false when either side is Null.
  bool Equals(const Value& other) const;

  // Value identity for tests and the CLI: same kind and same content.
  friend bool operator==(const Value& a, const Value& b);

 private:
  using Payload = std::variant<std::monostate, int16_t, int32_t, double, DateTime, std::string,
                               bool, const Value*, std::shared_ptr<std::vector<Value>>>;
  const Value& Deref() const;

  Kind kind_ = Kind::kEmpty;
  Payload data_;
};

// Number text in the platform's form: up to 15 significant digits, "," as the
// decimal separator, no grouping, exponent form outside 1E-15..1E+15.
std::string FormatNumber(double v);

// The number as C's "%.15g" writes it ("0.1", "-3", "1e+20"): the form an
// SQL literal or a procedure's text argument takes.
std::string FormatC15(double v);

// Reads a Brazilian number text: blanks trimmed, optional sign, digits that
// "." may group, "," as the decimal separator. nullopt when it is not one.
std::optional<double> ParseLocaleNumber(std::string_view text);

// The leading-number parse: leading blanks skipped, optional sign, digits with
// "." as the only decimal point (and an optional exponent); reading stops at
// the first character that does not fit; no number at all reads 0.
double LeadingNumber(std::string_view text);

// Rounds half to even: 2.5 -> 2, 3.5 -> 4, -2.5 -> -2.
double RoundHalfEven(double v);

}  // namespace ocg

#endif  // OCG_VALUE_VALUE_H_
