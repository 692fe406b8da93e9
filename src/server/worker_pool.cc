#include "server/worker_pool.h"

#include <utility>

namespace ocg {

WorkerPool::WorkerPool(size_t workers, size_t max_waiting) : max_waiting_(max_waiting) {
  threads_.reserve(workers);
  for (size_t i = 0; i < workers; ++i) threads_.emplace_back([this] { Work(); });
}

WorkerPool::~WorkerPool() { shutdown(); }

void WorkerPool::enqueue(std::function<void()> task) {
  std::unique_lock<std::mutex> lock(mu_);
  has_room_.wait(lock, [this] { return waiting_.size() < max_waiting_ || shutting_down_; });
  waiting_.push_back(std::move(task));
  has_task_.notify_one();
}

void WorkerPool::shutdown() {
  {
    std::lock_guard<std::mutex> lock(mu_);
    shutting_down_ = true;
  }
  has_task_.notify_all();
  has_room_.notify_all();
  for (std::thread& t : threads_) {
    if (t.joinable()) t.join();
  }
}

void WorkerPool::Work() {
  for (;;) {
    std::function<void()> task;
    {
      std::unique_lock<std::mutex> lock(mu_);
      has_task_.wait(lock, [this] { return !waiting_.empty() || shutting_down_; });
      if (waiting_.empty()) return;  // shutting down with nothing left
      task = std::move(waiting_.front());
      waiting_.pop_front();
    }
    has_room_.notify_one();
    task();
  }
}

}  // namespace ocg
