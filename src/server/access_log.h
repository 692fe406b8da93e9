// server/access_log.h: the access log, one line per request, written in
// batches.
//
// Write() only appends to a buffer; a thread of the log's own writes what has
// gathered at most 100 ms later, in one write. Under load a request then costs
// no system call for its line, and a slow log never holds a worker. Flush()
// writes what is pending at once (the service calls it before it reports
// that it stopped); the destructor flushes too. Safe for concurrent threads.
#ifndef OCG_SERVER_ACCESS_LOG_H_
#define OCG_SERVER_ACCESS_LOG_H_

#include <condition_variable>
#include <iosfwd>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace ocg {

class AccessLog {
 public:
  explicit AccessLog(std::ostream& out);  // out must outlive the log
  ~AccessLog();
  AccessLog(const AccessLog&) = delete;
  AccessLog& operator=(const AccessLog&) = delete;

  void Write(std::string_view line);  // line ends with '\n'
  void Flush();

 private:
  void Run();

  std::ostream& out_;
  std::mutex mu_;        // guards pending_ and stopping_
  std::mutex write_mu_;  // keeps batches in order
  std::condition_variable stop_;
  std::string pending_;
  bool stopping_ = false;
  std::thread writer_;
};

}  // namespace ocg

#endif  // OCG_SERVER_ACCESS_LOG_H_
