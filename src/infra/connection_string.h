// infra/connection_string.h: reading and showing connection strings.
//
// The strings are ADO/ODBC style, "key=value;key=value". Keys are matched
// without regard to case or blanks ("Data Source", "DataSource"); a value may
// be quoted with " or ' so that it can hold ";" (a doubled quote inside stands
// for one), or, ODBC style, braced as {value} ("}}" stands for "}"). A key
// given twice takes its last value.
#ifndef OCG_INFRA_CONNECTION_STRING_H_
#define OCG_INFRA_CONNECTION_STRING_H_

#include <map>
#include <string>
#include <string_view>

#include "base/status.h"

namespace ocg {

// Keys in their compared form ("datasource") to their values. The error
// names where the string goes wrong, never a piece of it: a piece may be a
// password.
using ConnectionKeys = std::map<std::string, std::string>;
Status ParseConnectionString(std::string_view text, ConnectionKeys* keys);

// "Data Source" -> "datasource".
std::string ConnectionKeyOf(std::string_view key);

// The string with the value of every password key (Password, PWD) replaced
// by "***", for anything this project prints, logs or traces. When the string
// cannot be parsed, everything from the first password key on is masked.
std::string MaskConnectionString(std::string_view text);

}  // namespace ocg

#endif  // OCG_INFRA_CONNECTION_STRING_H_
