// infra/driver.cc: choosing the engine from a connection string.
#include "infra/driver.h"

#include "embedded/sqlite_driver.h"
#include "infra/connection_string.h"
#include "value/text.h"

namespace ocg {

Status OpenDriver(std::string_view connection_string, std::unique_ptr<Driver>* out) {
  out->reset();
  ConnectionKeys keys;
  OCG_RETURN_IF_ERROR(ParseConnectionString(connection_string, &keys));

  if (keys.count("driver") || keys.count("dsn")) {
    return Status::Error("ODBC connections are not available in this build", 0);
  }
  auto provider = keys.find("provider");
  if (provider != keys.end() && !provider->second.empty() &&
      !EqualsIgnoreCase(provider->second, "SQLite") &&
      !EqualsIgnoreCase(provider->second, "SQLite3")) {
    return Status::Error(
        "Provider '" + provider->second + "' is not available in this build; use Provider=SQLite",
        0);
  }
  auto source = keys.find("datasource");
  if (source == keys.end()) {
    return Status::Error("Connection string names no Data Source, Driver or DSN", 0);
  }
  if (source->second.empty()) return Status::Error("Connection string has an empty Data Source", 0);
  return OpenSqliteDriver(source->second, out);
}

}  // namespace ocg
