// server/worker_pool.h: the bounded pool that serves the HTTP connections.
//
// A fixed number of worker threads take accepted connections from a queue of
// bounded length. When the queue is full, Enqueue waits: the accepting thread
// stops accepting and further clients wait in the kernel's backlog, so a burst
// costs memory nowhere. Each worker keeps its own database connections (the
// session pool is per thread), and closes them when it ends. Shutdown runs
// everything already queued, then joins the workers.
#ifndef OCG_SERVER_WORKER_POOL_H_
#define OCG_SERVER_WORKER_POOL_H_

#include <httplib.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace ocg {

class WorkerPool : public httplib::TaskQueue {
 public:
  WorkerPool(size_t workers, size_t max_waiting);
  ~WorkerPool() override;

  void enqueue(std::function<void()> task) override;
  void shutdown() override;

 private:
  void Work();

  const size_t max_waiting_;
  std::mutex mu_;
  std::condition_variable has_task_;
  std::condition_variable has_room_;
  std::deque<std::function<void()>> waiting_;
  bool shutting_down_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace ocg

#endif  // OCG_SERVER_WORKER_POOL_H_
