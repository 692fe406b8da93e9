// infra/driver.cc: choosing the engine from a connection string, among the
// engines that registered themselves.
#include "infra/driver.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace ocg {
namespace {

// Registration happens during static initialisation, in link order; the list
// is kept sorted by name so that messages do not depend on that order.
std::vector<DriverEngine>& Engines() {
  static std::vector<DriverEngine> engines;
  return engines;
}

}  // namespace

bool RegisterDriverEngine(const DriverEngine& engine) {
  std::vector<DriverEngine>& engines = Engines();
  auto at = std::find_if(engines.begin(), engines.end(), [&](const DriverEngine& e) {
    return std::strcmp(engine.name, e.name) < 0;
  });
  engines.insert(at, engine);
  return true;
}

Status OpenDriver(std::string_view connection_string, std::unique_ptr<Driver>* out) {
  out->reset();
  ConnectionKeys keys;
  OCG_RETURN_IF_ERROR(ParseConnectionString(connection_string, &keys));
  std::string wanted;
  const std::vector<DriverEngine>& engines = Engines();
  for (const DriverEngine& engine : engines) {
    if (engine.serves(keys)) return engine.open(connection_string, keys, out);
    if (!wanted.empty()) wanted += ", ";
    wanted += engine.keys;
  }
  if (engines.empty()) return Status::Error("No database engine is built into this program", 0);
  return Status::Error("Connection string names no " + wanted, 0);
}

}  // namespace ocg
