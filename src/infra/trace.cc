#include "infra/trace.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <nlohmann/json.hpp>

namespace ocg {
namespace {

struct TraceSink {
  std::mutex mu;
  int fd = -1;
  bool configured = false;
  // Read without the lock on every statement: once configured, whether a
  // file is open. Written under mu.
  std::atomic<bool> settled{false};
  std::atomic<bool> open{false};

  // Caller holds mu.
  Status Configure() {
    if (configured) return Status();
    configured = true;
    const char* env = std::getenv("OCG_SQL_TRACE");
    if (env == nullptr || *env == '\0') return Status();
    return Reopen(env);
  }
  Status Reopen(const std::string& path) {
    if (fd >= 0) ::close(fd);
    fd = path.empty() ? -1 : ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    open.store(fd >= 0, std::memory_order_relaxed);
    settled.store(true, std::memory_order_release);
    if (fd >= 0 || path.empty()) return Status();
    return Status::Error("cannot open the trace file " + path + ": " + std::strerror(errno), 75);
  }
};

TraceSink& Sink() {
  static TraceSink* sink = new TraceSink();  // never destroyed: usable at exit
  return *sink;
}

}  // namespace

Status SetTraceFile(const std::string& path) {
  TraceSink& sink = Sink();
  std::lock_guard<std::mutex> lock(sink.mu);
  sink.configured = true;
  return sink.Reopen(path);
}

Status ConfigureTraceFromEnvironment() {
  TraceSink& sink = Sink();
  std::lock_guard<std::mutex> lock(sink.mu);
  const char* env = std::getenv("OCG_SQL_TRACE");
  if (env == nullptr || *env == '\0') return sink.Configure();
  sink.configured = true;
  return sink.Reopen(env);
}

bool TraceEnabled() {
  TraceSink& sink = Sink();
  if (sink.settled.load(std::memory_order_acquire)) {
    return sink.open.load(std::memory_order_relaxed);
  }
  std::lock_guard<std::mutex> lock(sink.mu);
  Status st = sink.Configure();
  if (!st.ok()) std::fprintf(stderr, "ocg: %s\n", st.description().c_str());
  sink.open.store(sink.fd >= 0, std::memory_order_relaxed);
  sink.settled.store(true, std::memory_order_release);
  return sink.fd >= 0;
}

void TraceStatement(std::string_view sql, std::string_view engine_sql, long rows, double ms,
                    std::string_view error, bool refused) {
  nlohmann::json line;
  line["sql"] = sql;
  line["engine_sql"] = engine_sql;
  line["rows"] = rows;
  line["ms"] = ms;
  line["error"] = error.empty() ? nlohmann::json(nullptr) : nlohmann::json(error);
  line["refused"] = refused;
  // Statement texts may carry any bytes a caller typed; never let a bad byte
  // lose the line.
  std::string text = line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
  TraceSink& sink = Sink();
  std::lock_guard<std::mutex> lock(sink.mu);
  if (sink.fd < 0) return;
  // One write with O_APPEND keeps lines whole across processes.
  ssize_t ignored = ::write(sink.fd, text.data(), text.size());
  (void)ignored;
}

}  // namespace ocg
