#include "jobs/stop_flag.h"

namespace ocg {

void StopFlag::Request() {
  {
    // Set under the lock, so that a waiter between its test and its wait
    // cannot miss the wake-up.
    std::lock_guard<std::mutex> lock(mu_);
    requested_ = true;
  }
  cv_.notify_all();
}

bool StopFlag::WaitFor(std::chrono::milliseconds span) const {
  std::unique_lock<std::mutex> lock(mu_);
  return cv_.wait_for(lock, span, [this] { return requested_.load(); });
}

}  // namespace ocg
