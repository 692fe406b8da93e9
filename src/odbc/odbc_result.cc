#include "odbc/odbc_result.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "value/date_time.h"
#include "value/text.h"

namespace ocg {
namespace {

// How a column is read, decided once per result from its SQL type.
enum class Reading { kWhole, kFloat, kDecimalText, kBit, kTimestamp, kText, kWideText, kBinary };

struct Column {
  Reading reading;
  bool whole;  // DECIMAL/NUMERIC without decimal digits
};

Reading ReadingOf(SQLSMALLINT type) {
  switch (type) {
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
      return Reading::kWhole;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return Reading::kFloat;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
      return Reading::kDecimalText;
    case SQL_BIT:
      return Reading::kBit;
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIMESTAMP:
    case SQL_DATE:
    case SQL_TIMESTAMP:
      return Reading::kTimestamp;
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
      return Reading::kWideText;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
      return Reading::kBinary;
    default:
      return Reading::kText;
  }
}

Value WholeNumber(int64_t v) {
  if (v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max()) {
    return Value::Int32(static_cast<int32_t>(v));
  }
  return Value::Double(static_cast<double>(v));
}

// UTF-16 as the driver manager's SQLWCHAR holds it; a lone surrogate becomes
// U+FFFD.
std::string Utf8FromUtf16(const std::vector<SQLWCHAR>& units) {
  std::string out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    uint32_t u = units[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      u = 0x10000 + ((u - 0xD800) << 10) + (units[++i] - 0xDC00);
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      u = 0xFFFD;
    }
    AppendUtf8(out, u);
  }
  return out;
}

// Reads a variable-length cell in pieces, as the driver hands them over:
// each call fills the buffer (less the terminator, for character data) and
// says 01004 while more remains. c_type is SQL_C_CHAR, SQL_C_WCHAR or
// SQL_C_BINARY. *is_null is set for NULL.
template <typename Unit>
Status ReadPieces(const OdbcHandle& stmt, SQLUSMALLINT col, SQLSMALLINT c_type,
                  std::vector<Unit>* out, bool* is_null) {
  constexpr size_t kPieceUnits = 4096;
  const size_t terminator = c_type == SQL_C_BINARY ? 0 : 1;
  Unit buffer[kPieceUnits];
  for (;;) {
    SQLLEN indicator = 0;
    SQLRETURN rc = SQLGetData(stmt.get(), col, c_type, buffer, sizeof buffer, &indicator);
    if (rc == SQL_NO_DATA) return Status();
    if (!SQL_SUCCEEDED(rc)) return OdbcError(stmt, "The ODBC driver could not read a column");
    if (indicator == SQL_NULL_DATA) {
      *is_null = true;
      return Status();
    }
    // A full piece when more remains (the length is the total left, or
    // unknown); otherwise the indicator is the length of this last piece.
    const size_t capacity = kPieceUnits - terminator;
    const bool more =
        rc == SQL_SUCCESS_WITH_INFO &&
        (indicator == SQL_NO_TOTAL || static_cast<size_t>(indicator) / sizeof(Unit) > capacity);
    const size_t units = more ? capacity : static_cast<size_t>(indicator) / sizeof(Unit);
    out->insert(out->end(), buffer, buffer + std::min(units, capacity));
    if (!more) return Status();
  }
}

Status ReadText(const OdbcHandle& stmt, SQLUSMALLINT col, Reading reading, Value* out) {
  bool is_null = false;
  if (reading == Reading::kWideText) {
    std::vector<SQLWCHAR> units;
    OCG_RETURN_IF_ERROR(ReadPieces(stmt, col, SQL_C_WCHAR, &units, &is_null));
    *out = is_null ? Value::Null() : Value::Text(Utf8FromUtf16(units));
    return Status();
  }
  std::vector<char> bytes;
  OCG_RETURN_IF_ERROR(ReadPieces(stmt, col, reading == Reading::kBinary ? SQL_C_BINARY : SQL_C_CHAR,
                                 &bytes, &is_null));
  *out = is_null ? Value::Null() : Value::Text(std::string(bytes.begin(), bytes.end()));
  return Status();
}

// Reads a fixed-size cell of C type c_type into *buffer; false for NULL.
template <typename T>
Status ReadFixed(const OdbcHandle& stmt, SQLUSMALLINT col, SQLSMALLINT c_type, T* buffer,
                 bool* present) {
  SQLLEN indicator = 0;
  SQLRETURN rc = SQLGetData(stmt.get(), col, c_type, buffer, sizeof(T), &indicator);
  if (!SQL_SUCCEEDED(rc)) return OdbcError(stmt, "The ODBC driver could not read a column");
  *present = indicator != SQL_NULL_DATA;
  return Status();
}

Status ReadCell(const OdbcHandle& stmt, SQLUSMALLINT col, const Column& column, Value* out) {
  bool present = false;
  switch (column.reading) {
    case Reading::kWhole: {
      SQLBIGINT v = 0;
      OCG_RETURN_IF_ERROR(ReadFixed(stmt, col, SQL_C_SBIGINT, &v, &present));
      *out = present ? WholeNumber(v) : Value::Null();
      return Status();
    }
    case Reading::kFloat: {
      SQLDOUBLE v = 0;
      OCG_RETURN_IF_ERROR(ReadFixed(stmt, col, SQL_C_DOUBLE, &v, &present));
      *out = present ? Value::Double(v) : Value::Null();
      return Status();
    }
    case Reading::kBit: {
      SQLCHAR v = 0;
      OCG_RETURN_IF_ERROR(ReadFixed(stmt, col, SQL_C_BIT, &v, &present));
      *out = present ? Value::Bool(v != 0) : Value::Null();
      return Status();
    }
    case Reading::kTimestamp: {
      SQL_TIMESTAMP_STRUCT ts{};
      OCG_RETURN_IF_ERROR(ReadFixed(stmt, col, SQL_C_TYPE_TIMESTAMP, &ts, &present));
      if (!present) {
        *out = Value::Null();
        return Status();
      }
      const DateTime d{ts.year, ts.month, ts.day, ts.hour, ts.minute, ts.second};
      if (!IsValidDateTime(d)) {
        return Status::Error("The database returned a date outside the years 100 to 9999", 6);
      }
      *out = Value::Date(d);
      return Status();
    }
    case Reading::kDecimalText: {
      Value text;
      OCG_RETURN_IF_ERROR(ReadText(stmt, col, Reading::kText, &text));
      if (text.is_null()) {
        *out = text;
        return Status();
      }
      std::optional<Value> number = NumberFromDriverText(text.text(), column.whole);
      if (!number) {
        return Status::Error("The database returned " + text.text() + " for a number column", 13);
      }
      *out = *number;
      return Status();
    }
    default:
      return ReadText(stmt, col, column.reading, out);
  }
}

}  // namespace

std::optional<Value> NumberFromDriverText(std::string_view text, bool whole) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  const size_t exponent = text.find_first_of("eE");
  const size_t decimal = text.substr(0, exponent).find_last_of(".,");
  std::string plain;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (i == decimal) {
      plain += '.';
    } else if (c == '.' || c == ',') {
      // Only the other separator may group thousands before the decimal one.
      if (decimal == std::string_view::npos || i > decimal || c == text[decimal]) {
        return std::nullopt;
      }
    } else {
      plain += c;
    }
  }
  if (plain.empty()) return std::nullopt;
  char* end = nullptr;
  const double v = std::strtod(plain.c_str(), &end);
  if (end != plain.c_str() + plain.size() || !std::isfinite(v)) return std::nullopt;
  if (whole && std::nearbyint(v) == v && v >= std::numeric_limits<int32_t>::min() &&
      v <= std::numeric_limits<int32_t>::max()) {
    return Value::Int32(static_cast<int32_t>(v));
  }
  return Value::Double(v);
}

Status FetchResult(const OdbcHandle& stmt, SQLSMALLINT columns, RowSet* out) {
  *out = RowSet();
  out->has_columns = true;
  std::vector<Column> kinds;
  std::vector<std::string> names;
  for (SQLUSMALLINT c = 1; c <= columns; ++c) {
    SQLCHAR name[256] = {0};
    SQLSMALLINT name_length = 0, type = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    SQLRETURN rc = SQLDescribeCol(stmt.get(), c, name, sizeof name, &name_length, &type, &size,
                                  &digits, &nullable);
    if (!SQL_SUCCEEDED(rc)) return OdbcError(stmt, "The ODBC driver could not describe a column");
    names.emplace_back(reinterpret_cast<const char*>(name));
    kinds.push_back({ReadingOf(type), digits == 0});
  }
  out->columns = ColumnNames(std::move(names));
  for (;;) {
    SQLRETURN rc = SQLFetch(stmt.get());
    if (rc == SQL_NO_DATA) return Status();
    if (!SQL_SUCCEEDED(rc)) return OdbcError(stmt, "The ODBC driver could not fetch a row");
    std::vector<Value> row(kinds.size());
    for (SQLUSMALLINT c = 0; c < kinds.size(); ++c) {
      OCG_RETURN_IF_ERROR(ReadCell(stmt, c + 1, kinds[c], &row[c]));
    }
    out->rows.push_back(std::move(row));
  }
}

}  // namespace ocg
