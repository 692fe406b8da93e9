#include "infra/trace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <nlohmann/json.hpp>

namespace ocg {
namespace {

struct TraceSink {
  std::mutex mu;
  std::string path;
  int fd = -1;
  bool configured = false;

  // Caller holds mu.
  void Configure() {
    if (configured) return;
    configured = true;
    const char* env = std::getenv("OCG_SQL_TRACE");
    if (env != nullptr && *env != '\0') Reopen(env);
  }
  void Reopen(const std::string& new_path) {
    if (fd >= 0) ::close(fd);
    fd = -1;
    path = new_path;
    if (!path.empty()) fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  }
};

TraceSink& Sink() {
  static TraceSink* sink = new TraceSink();  // never destroyed: usable at exit
  return *sink;
}

}  // namespace

void SetTraceFile(const std::string& path) {
  TraceSink& sink = Sink();
  std::lock_guard<std::mutex> lock(sink.mu);
  sink.configured = true;
  sink.Reopen(path);
}

bool TraceEnabled() {
  TraceSink& sink = Sink();
  std::lock_guard<std::mutex> lock(sink.mu);
  sink.Configure();
  return sink.fd >= 0;
}

void TraceStatement(std::string_view sql, std::string_view engine_sql, long rows, double ms,
                    std::string_view error) {
  nlohmann::json line;
  line["sql"] = sql;
  line["engine_sql"] = engine_sql;
  line["rows"] = rows;
  line["ms"] = ms;
  line["error"] = error.empty() ? nlohmann::json(nullptr) : nlohmann::json(error);
  // Statement texts may carry any bytes a caller typed; never let a bad byte
  // lose the line.
  std::string text = line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
  TraceSink& sink = Sink();
  std::lock_guard<std::mutex> lock(sink.mu);
  sink.Configure();
  if (sink.fd < 0) return;
  // One write with O_APPEND keeps lines whole across processes.
  ssize_t ignored = ::write(sink.fd, text.data(), text.size());
  (void)ignored;
}

}  // namespace ocg
