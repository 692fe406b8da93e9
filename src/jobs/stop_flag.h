// jobs/stop_flag.h: a request to stop, shared by the thread that watches the
// signals (never a signal handler) and the job runner.
//
// Any thread may request, read and wait; a request cannot be withdrawn.
#ifndef OCG_JOBS_STOP_FLAG_H_
#define OCG_JOBS_STOP_FLAG_H_

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace ocg {

class StopFlag {
 public:
  // Sets the flag and wakes every WaitFor.
  void Request();
  bool requested() const { return requested_.load(); }
  // Waits for span or until a stop is requested; true when one was.
  bool WaitFor(std::chrono::milliseconds span) const;

 private:
  std::atomic<bool> requested_{false};
  mutable std::mutex mu_;
  mutable std::condition_variable cv_;
};

}  // namespace ocg

#endif  // OCG_JOBS_STOP_FLAG_H_
