#include "infra/trace.h"

#include <fcntl.h>
#include <unistd.h>

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
    fd = -1;
    if (path.empty()) return Status();
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd >= 0) return Status();
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
  std::lock_guard<std::mutex> lock(sink.mu);
  Status st = sink.Configure();
  if (!st.ok()) std::fprintf(stderr, "ocg: %s\n", st.description().c_str());
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
