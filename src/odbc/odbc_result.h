// odbc/odbc_result.h: reading one ODBC result set into a RowSet.
//
// Each column is read by the kind of SQL type the driver reports for it, so
// that the same data reads as the same Value on every engine:
//   * whole-number types: Int32 when the value fits, Double beyond;
//   * floating types: Double;
//   * DECIMAL and NUMERIC, which drivers hand over as text, with "." or ","
//     as the decimal separator: Double, or Int32 when the column has no
//     decimal digits and the value fits;
//   * BIT: Bool;
//   * DATE and TIMESTAMP: date Values (fractions of a second dropped);
//   * everything else (character, wide character, time, binary): Text,
//     UTF-8, read in pieces of any length;
//   * NULL: Null, whatever the type.
#ifndef OCG_ODBC_ODBC_RESULT_H_
#define OCG_ODBC_ODBC_RESULT_H_

#include <optional>
#include <string_view>

#include "base/status.h"
#include "infra/driver.h"
#include "odbc/odbc_handle.h"
#include "value/value.h"

namespace ocg {

// Reads every remaining row of the statement's current result, whose column
// count is columns (> 0), into *out. On failure *out is unspecified.
Status FetchResult(const OdbcHandle& stmt, SQLSMALLINT columns, RowSet* out);

// A number as a driver writes it in text: optional sign, digits, "." or ","
// as the decimal separator (when both appear, the last one is the decimal
// separator and the other groups thousands), an optional exponent, blanks
// around. whole: the column has no decimal digits, so a value that fits is
// an Int32. nullopt when the text is not a number.
std::optional<Value> NumberFromDriverText(std::string_view text, bool whole);

}  // namespace ocg

#endif  // OCG_ODBC_ODBC_RESULT_H_
