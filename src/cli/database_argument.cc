#include "cli/database_argument.h"

#include "infra/connection_string.h"

namespace ocg {

Status ParseDatabaseArgument(const std::string& text, DatabaseArgument* out) {
  *out = DatabaseArgument();
  ConnectionKeys keys;
  if (text.find('=') == std::string::npos || !ParseConnectionString(text, &keys).ok()) {
    out->path = text;
    return Status();
  }
  if (keys.count("driver") || keys.count("dsn")) {
    out->odbc = true;
    return Status();
  }
  auto source = keys.find("datasource");
  if (source == keys.end() || source->second.empty()) {
    return Status::Error(
        "takes a file, \"Data Source=PATH\" or an ODBC connection string (Driver=... or DSN=...)",
        0);
  }
  out->path = source->second;
  return Status();
}

}  // namespace ocg
