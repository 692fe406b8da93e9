// server/worker_pool.h: the fixed set of threads that run the whole requests.
//
// Submit() queues a task and never waits: the queue holds at most one task
// per open connection, and the HTTP front end bounds those. Each worker keeps
// its own database connections (the session pool is per thread), and closes
// them when it ends. Shutdown() runs everything already queued, then joins
// the workers; the destructor shuts down too. Submit() is safe from any thread.
#ifndef OCG_SERVER_WORKER_POOL_H_
#define OCG_SERVER_WORKER_POOL_H_

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace ocg {

class WorkerPool {
 public:
  explicit WorkerPool(size_t workers);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  void Submit(std::function<void()> task);
  void Shutdown();

 private:
  void Work();

  std::mutex mu_;
  std::condition_variable has_task_;
  std::deque<std::function<void()>> waiting_;
  bool shutting_down_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace ocg

#endif  // OCG_SERVER_WORKER_POOL_H_
