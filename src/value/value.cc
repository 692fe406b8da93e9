// value/value.cc: the Value variant and the platform's conversions.
//
// Arrays are shared between copies and copied on the first write through
// mutable_array(), so a copy of a Value never sees later changes made through
// the original and copying a large out-array costs nothing until one side
// writes to it.
#include "value/value.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "value/text.h"

namespace ocg {
namespace {

// The serial range of a DateTime: 0100-01-01 to 9999-12-31 23:59:59.
constexpr double kMinSerial = -657435.0;  // exclusive: -657434.x is still 0100-01-01
constexpr double kMaxSerial = 2958466.0;  // exclusive

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int Order(double a, double b) { return a < b ? -1 : (a > b ? 1 : 0); }

// Reads "digits[.digits][e[+-]digits]" (already normalised to the C form).
std::optional<double> ReadCNumber(const std::string& text) {
  double v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return v;
}

// Consumes "E[+-]digits" at text[*pos] into c_form; leaves *pos alone when the
// characters there do not make an exponent.
bool ReadExponent(std::string_view text, size_t* pos, std::string* c_form) {
  size_t i = *pos;
  if (i >= text.size() || (text[i] != 'e' && text[i] != 'E')) return false;
  ++i;
  std::string exponent = "e";
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) exponent += text[i++];
  if (i >= text.size() || !IsDigit(text[i])) return false;
  while (i < text.size() && IsDigit(text[i])) exponent += text[i++];
  *c_form += exponent;
  *pos = i;
  return true;
}

std::string DateText(const DateTime& d) {
  return FormatDateTime(d, d.HasTime() ? "dd/mm/yyyy hh:mm:ss" : "dd/mm/yyyy");
}

}  // namespace

Value Value::Null() {
  Value v;
  v.kind_ = Kind::kNull;
  return v;
}

Value Value::Int16(int16_t x) {
  Value v;
  v.kind_ = Kind::kInt16;
  v.data_ = x;
  return v;
}

Value Value::Int32(int32_t x) {
  Value v;
  v.kind_ = Kind::kInt32;
  v.data_ = x;
  return v;
}

Value Value::Double(double x) {
  Value v;
  v.kind_ = Kind::kDouble;
  v.data_ = x;
  return v;
}

Value Value::Date(const DateTime& x) {
  Value v;
  v.kind_ = Kind::kDate;
  v.data_ = x;
  return v;
}

Value Value::Text(std::string x) {
  Value v;
  v.kind_ = Kind::kText;
  v.data_ = std::move(x);
  return v;
}

Value Value::Bool(bool x) {
  Value v;
  v.kind_ = Kind::kBool;
  v.data_ = x;
  return v;
}

Value Value::Array(std::vector<Value> items) {
  Value v;
  v.kind_ = Kind::kArray;
  v.data_ = std::make_shared<std::vector<Value>>(std::move(items));
  return v;
}

Value Value::Ref(const Value* target) {
  if (target == nullptr) return Value();
  Value v;
  v.kind_ = Kind::kRef;
  v.data_ = target;
  return v;
}

const Value& Value::Deref() const {
  const Value* v = this;
  while (v->kind_ == Kind::kRef) v = std::get<const Value*>(v->data_);
  return *v;
}

Value::Kind Value::kind() const { return Deref().kind_; }

bool Value::is_number() const {
  const Kind k = kind();
  return k == Kind::kInt16 || k == Kind::kInt32 || k == Kind::kDouble;
}

int16_t Value::int16() const {
  const auto* p = std::get_if<int16_t>(&Deref().data_);
  assert(p != nullptr);
  return p != nullptr ? *p : 0;
}

int32_t Value::int32() const {
  const auto* p = std::get_if<int32_t>(&Deref().data_);
  assert(p != nullptr);
  return p != nullptr ? *p : 0;
}

double Value::dbl() const {
  const auto* p = std::get_if<double>(&Deref().data_);
  assert(p != nullptr);
  return p != nullptr ? *p : 0;
}

const DateTime& Value::date() const {
  static const DateTime kNone;
  const auto* p = std::get_if<DateTime>(&Deref().data_);
  assert(p != nullptr);
  return p != nullptr ? *p : kNone;
}

const std::string& Value::text() const {
  static const std::string kNone;
  const auto* p = std::get_if<std::string>(&Deref().data_);
  assert(p != nullptr);
  return p != nullptr ? *p : kNone;
}

bool Value::boolean() const {
  const auto* p = std::get_if<bool>(&Deref().data_);
  assert(p != nullptr);
  return p != nullptr && *p;
}

const std::vector<Value>& Value::array() const {
  static const std::vector<Value> kNone;
  const auto* p = std::get_if<std::shared_ptr<std::vector<Value>>>(&Deref().data_);
  assert(p != nullptr);
  return p != nullptr && *p != nullptr ? **p : kNone;
}

// A reference is read-only, so writing through one first turns this Value into
// a copy of what it views. Any other non-array becomes an empty array.
std::vector<Value>& Value::mutable_array() {
  if (kind_ == Kind::kRef) *this = Value(Deref());
  if (kind_ != Kind::kArray) {
    kind_ = Kind::kArray;
    data_ = std::make_shared<std::vector<Value>>();
  }
  auto& items = std::get<std::shared_ptr<std::vector<Value>>>(data_);
  if (items == nullptr) {
    items = std::make_shared<std::vector<Value>>();
  } else if (items.use_count() > 1) {
    items = std::make_shared<std::vector<Value>>(*items);
  }
  return *items;
}

bool Value::IsNullOrEmptyText() const {
  const Value& v = Deref();
  return v.kind_ == Kind::kNull || v.kind_ == Kind::kEmpty ||
         (v.kind_ == Kind::kText && v.text().empty());
}

Result<std::string> Value::ToText() const {
  const Value& v = Deref();
  switch (v.kind_) {
    case Kind::kEmpty:
      return std::string();
    case Kind::kNull:
      return Status::InvalidUseOfNull();
    case Kind::kInt16:
      return std::to_string(v.int16());
    case Kind::kInt32:
      return std::to_string(v.int32());
    case Kind::kDouble:
      return FormatNumber(v.dbl());
    case Kind::kDate:
      return DateText(v.date());
    case Kind::kText:
      return v.text();
    case Kind::kBool:
      return std::string(v.boolean() ? "True" : "False");
    case Kind::kRef:
    case Kind::kArray:
      break;
  }
  return Status::TypeMismatch();
}

std::string Value::TextOrEmpty() const {
  Result<std::string> r = ToText();
  return r.ok() ? std::move(r).value() : std::string();
}

Result<double> Value::ToDouble() const {
  const Value& v = Deref();
  switch (v.kind_) {
    case Kind::kEmpty:
      return 0.0;
    case Kind::kNull:
      return Status::InvalidUseOfNull();
    case Kind::kInt16:
      return static_cast<double>(v.int16());
    case Kind::kInt32:
      return static_cast<double>(v.int32());
    case Kind::kDouble:
      return v.dbl();
    case Kind::kDate:
      return ToSerial(v.date());
    case Kind::kBool:
      return v.boolean() ? -1.0 : 0.0;
    case Kind::kText:
      if (std::optional<double> d = ParseLocaleNumber(v.text())) return *d;
      break;
    case Kind::kRef:
    case Kind::kArray:
      break;
  }
  return Status::TypeMismatch();
}

Result<int32_t> Value::ToInt32() const {
  const Value& v = Deref();
  if (v.kind_ == Kind::kInt32) return v.int32();
  Result<double> d = v.ToDouble();
  if (!d.ok()) return d.status();
  const double r = RoundHalfEven(d.value());
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) return Status::Overflow();
  return static_cast<int32_t>(r);
}

Result<int16_t> Value::ToInt16() const {
  const Value& v = Deref();
  if (v.kind_ == Kind::kInt16) return v.int16();
  Result<double> d = v.ToDouble();
  if (!d.ok()) return d.status();
  const double r = RoundHalfEven(d.value());
  if (!(r >= -32768.0 && r <= 32767.0)) return Status::Overflow();
  return static_cast<int16_t>(r);
}

Result<DateTime> Value::ToDate() const {
  const Value& v = Deref();
  switch (v.kind_) {
    case Kind::kNull:
      return Status::InvalidUseOfNull();
    case Kind::kDate:
      return v.date();
    case Kind::kText:
      if (std::optional<DateTime> d = ParseDateTime(v.text())) return *d;
      return Status::TypeMismatch();
    case Kind::kRef:
    case Kind::kArray:
      return Status::TypeMismatch();
    default:
      break;
  }
  Result<double> serial = v.ToDouble();
  if (!serial.ok()) return serial.status();
  if (!(serial.value() > kMinSerial && serial.value() < kMaxSerial)) return Status::Overflow();
  DateTime d = FromSerial(serial.value());
  if (!IsValidDateTime(d)) return Status::Overflow();  // rounded past 9999-12-31
  return d;
}

bool Value::IsNumeric() const {
  const Value& v = Deref();
  switch (v.kind_) {
    case Kind::kEmpty:
    case Kind::kInt16:
    case Kind::kInt32:
    case Kind::kDouble:
    case Kind::kBool:
      return true;
    case Kind::kText:
      return ParseLocaleNumber(v.text()).has_value();
    default:
      return false;
  }
}

bool Value::IsDate() const {
  const Value& v = Deref();
  if (v.kind_ == Kind::kDate) return true;
  return v.kind_ == Kind::kText && ParseDateTime(v.text()).has_value();
}

// Dates and Booleans take part as numbers (serial, -1/0), as the platform does.
// A date against a text that reads as a date compares as moments. Arrays have
// no order: like Null, every test on them is false.
std::optional<int> Value::Compare(const Value& a, const Value& b) {
  const Value& x = a.Deref();
  const Value& y = b.Deref();
  if (x.kind_ == Kind::kNull || y.kind_ == Kind::kNull) return std::nullopt;
  if (x.kind_ == Kind::kArray || y.kind_ == Kind::kArray) return std::nullopt;

  const bool x_text = x.kind_ == Kind::kText || (x.kind_ == Kind::kEmpty && y.kind_ == Kind::kText);
  const bool y_text = y.kind_ == Kind::kText || (y.kind_ == Kind::kEmpty && x.kind_ == Kind::kText);
  if (x_text && y_text) {
    const int c = x.TextOrEmpty().compare(y.TextOrEmpty());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  if (!x_text && !y_text) return Order(x.ToDouble().value(), y.ToDouble().value());

  // One number (or date, Boolean) against one text.
  const Value& number = x_text ? y : x;
  const std::string& text = x_text ? x.text() : y.text();
  const int flip = x_text ? -1 : 1;
  if (number.kind_ == Kind::kDate) {
    if (std::optional<DateTime> d = ParseDateTime(text)) {
      return flip * Order(ToSerial(number.date()), ToSerial(*d));
    }
  }
  if (std::optional<double> d = ParseLocaleNumber(text)) {
    return flip * Order(number.ToDouble().value(), *d);
  }
  return -flip;  // a number sorts before any text that is not one
}

bool Value::Equals(const Value& other) const {
  std::optional<int> c = Compare(*this, other);
  return c.has_value() && *c == 0;
}

bool operator==(const Value& a, const Value& b) {
  const Value& x = a.Deref();
  const Value& y = b.Deref();
  if (x.kind_ != y.kind_) return false;
  if (x.kind_ == Value::Kind::kArray) return x.array() == y.array();
  return x.data_ == y.data_;
}

std::string FormatNumber(double v) {
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v < 0 ? "-Infinity" : "Infinity";
  if (v == 0) return "0";  // also -0

  // 15 significant digits, correctly rounded: "d.dddddddddddddde[+-]x".
  char sci[32];
  const auto [sci_end, ec] =
      std::to_chars(sci, sci + sizeof sci, v, std::chars_format::scientific, 14);
  assert(ec == std::errc());
  const char* p = sci;
  const bool negative = *p == '-';
  if (negative) ++p;
  char digits[16];
  int count = 0;
  for (; *p != 'e'; ++p) {
    if (IsDigit(*p)) digits[count++] = *p;
  }
  while (count > 1 && digits[count - 1] == '0') --count;
  int exponent = 0;
  std::from_chars(p + (p[1] == '+' ? 2 : 1), sci_end, exponent);

  // At most a sign, "0,", 14 zeros and 15 digits; or 15 digits and "E-324".
  char out[40];
  char* o = out;
  auto put = [&o](const char* from, int n) {
    for (int i = 0; i < n; ++i) *o++ = from[i];
  };
  if (negative) *o++ = '-';
  if (exponent >= 15 || exponent < -15) {
    *o++ = digits[0];
    if (count > 1) {
      *o++ = ',';
      put(digits + 1, count - 1);
    }
    *o++ = 'E';
    *o++ = exponent < 0 ? '-' : '+';
    o = std::to_chars(o, out + sizeof out, std::abs(exponent)).ptr;
  } else if (exponent >= 0) {
    const int whole = exponent + 1;
    put(digits, std::min(count, whole));
    for (int i = count; i < whole; ++i) *o++ = '0';
    if (count > whole) {
      *o++ = ',';
      put(digits + whole, count - whole);
    }
  } else {
    *o++ = '0';
    *o++ = ',';
    for (int i = 0; i < -exponent - 1; ++i) *o++ = '0';
    put(digits, count);
  }
  return std::string(out, o);
}

std::string FormatC15(double v) {
  char buf[32];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
  assert(ec == std::errc());
  return std::string(buf, end);
}

std::optional<double> ParseLocaleNumber(std::string_view text) {
  const std::string_view t = TrimBlanks(text);
  size_t i = 0;
  std::string c_form;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
    if (t[i] == '-') c_form += '-';
    ++i;
  }
  bool any_digit = false;
  std::string whole;
  // "." groups thousands anywhere after the first digit: "1.234", even "12.5".
  while (i < t.size() && (IsDigit(t[i]) || (t[i] == '.' && any_digit))) {
    if (t[i] != '.') {
      whole += t[i];
      any_digit = true;
    }
    ++i;
  }
  std::string fraction;
  if (i < t.size() && t[i] == ',') {
    ++i;
    while (i < t.size() && IsDigit(t[i])) fraction += t[i++];
  }
  if (whole.empty() && fraction.empty()) return std::nullopt;
  c_form += whole.empty() ? "0" : whole;
  if (!fraction.empty()) c_form += "." + fraction;
  ReadExponent(t, &i, &c_form);
  if (i != t.size()) return std::nullopt;
  return ReadCNumber(c_form);
}

double LeadingNumber(std::string_view text) {
  const size_t n = text.size();
  size_t i = 0;
  while (i < n && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r')) ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const size_t start = i;
  while (i < n && text[i] == '0') ++i;
  const size_t significant = i;  // the first digit of the whole part that is not 0
  while (i < n && IsDigit(text[i])) ++i;
  const bool whole = i > start;
  const long whole_digits = static_cast<long>(i - significant);
  bool fraction = false;
  if (i < n && text[i] == '.') {
    while (++i < n && IsDigit(text[i])) fraction = true;
  }
  if (!whole && !fraction) return 0;
  // The number as written reads as C reads it: "12.5", ".5", "12." and an
  // exponent that has digits ("1e5", not "1e").
  double v = 0;
  const auto [end, ec] = std::from_chars(text.data() + start, text.data() + n, v);
  if (ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: decide by the magnitude. An
    // exponent beyond a long saturates, and the sum wraps, as they always did.
    long exponent = 0;
    if (i + 1 < n && (text[i] == 'e' || text[i] == 'E')) {
      const char* digits = text.data() + i + 1 + (text[i + 1] == '+');
      if (std::from_chars(digits, end, exponent).ec == std::errc::result_out_of_range) {
        exponent =
            *digits == '-' ? std::numeric_limits<long>::min() : std::numeric_limits<long>::max();
      }
    }
    const long magnitude = static_cast<long>(static_cast<unsigned long>(whole_digits) +
                                             static_cast<unsigned long>(exponent));
    v = magnitude > 0 ? HUGE_VAL : 0.0;
  }
  return negative ? -v : v;
}

double RoundHalfEven(double v) {
  const double floor = std::floor(v);
  const double diff = v - floor;
  if (diff < 0.5) return floor;
  if (diff > 0.5) return floor + 1;
  return std::fmod(floor, 2) == 0 ? floor : floor + 1;
}

}  // namespace ocg
