#include "base/status.h"

namespace ocg {

std::string Status::ToString() const {
  if (ok()) return "OK";
  return description_ + " (" + std::to_string(number_) + ")";
}

}  // namespace ocg
