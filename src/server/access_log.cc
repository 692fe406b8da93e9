#include "server/access_log.h"

#include <chrono>
#include <ostream>

namespace ocg {

AccessLog::AccessLog(std::ostream& out) : out_(out), writer_([this] { Run(); }) {}

AccessLog::~AccessLog() {
  {
    std::lock_guard<std::mutex> lock(mu_);
    stopping_ = true;
  }
  stop_.notify_one();
  writer_.join();
  Flush();
}

void AccessLog::Write(std::string_view line) {
  std::lock_guard<std::mutex> lock(mu_);
  pending_.append(line);
}

void AccessLog::Flush() {
  std::lock_guard<std::mutex> order(write_mu_);
  std::string batch;
  {
    std::lock_guard<std::mutex> lock(mu_);
    batch.swap(pending_);
  }
  if (batch.empty()) return;
  out_ << batch << std::flush;
}

void AccessLog::Run() {
  std::unique_lock<std::mutex> lock(mu_);
  while (!stopping_) {
    stop_.wait_for(lock, std::chrono::milliseconds(100));
    lock.unlock();
    Flush();
    lock.lock();
  }
}

}  // namespace ocg
