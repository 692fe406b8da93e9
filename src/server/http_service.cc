#include "server/http_service.h"

#include <httplib.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>

#include "cli/dispatch.h"
#include "infra/connection_string.h"
#include "infra/session.h"
#include "server/access_log.h"
#include "server/api_description.h"
#include "server/metrics.h"
#include "server/screen_files.h"
#include "server/worker_pool.h"

namespace ocg {
namespace {

using Clock = std::chrono::steady_clock;
using json = nlohmann::ordered_json;

// What the access log and the handlers learn about the request being served.
// Pre-routing, the handler and the logger of one request run on one worker
// thread, one request after another, so a thread-local note is private to
// its request.
struct RequestNote {
  std::optional<Clock::time_point> start;
  std::string operation = "-";
  std::string result = "-";
  std::optional<int32_t> user;  // from the token
};

RequestNote& Note() {
  thread_local RequestNote note;
  return note;
}

void ReplyJson(httplib::Response& res, int status, const json& body) {
  res.status = status;
  res.set_content(body.dump(-1, ' ', false, json::error_handler_t::replace) + "\n",
                  "application/json; charset=utf-8");
}

void ReplyError(httplib::Response& res, int status, const std::string& message) {
  ReplyJson(res, status, {{"error", message}, {"status", status}});
}

const char* ContentTypeOf(std::string_view file) {
  if (file.ends_with(".css")) return "text/css; charset=utf-8";
  if (file.ends_with(".js")) return "text/javascript; charset=utf-8";
  return "text/html; charset=utf-8";
}

// A field of the access log: one word of printable characters, whatever the
// client put in its path.
std::string LogField(std::string_view text) {
  std::string out;
  for (char c : text.substr(0, 200)) {
    const unsigned char u = static_cast<unsigned char>(c);
    out += u <= ' ' || u == 0x7f ? '?' : c;
  }
  return out.empty() ? "-" : out;
}

std::string UtcNow() {
  auto now = std::chrono::system_clock::now();
  std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm tm;
  gmtime_r(&t, &tm);
  char buf[40];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &tm);
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  char out[48];
  std::snprintf(out, sizeof out, "%s.%03dZ", buf, static_cast<int>(ms));
  return out;
}

// The paths the service answers, with their methods. "/ocg/" names one
// operation; HEAD goes with GET.
struct Route {
  bool known = false;
  const char* allow = "";
  bool needs_token = true;
};

Route RouteOf(const std::string& path) {
  if (path == "/health") return {true, "GET, HEAD", false};
  if (path == "/ocg" || path == "/openapi.json" || path == "/metrics") return {true, "GET, HEAD"};
  if (path.starts_with("/ocg/") && path.find('/', 5) == std::string::npos) return {true, "POST"};
  if (path == "/") return {true, "GET, HEAD", false};
  for (const auto& [name, content] : ScreenFiles()) {
    if (path.size() == name.size() + 1 && path.substr(1) == name) return {true, "GET, HEAD", false};
  }
  return {};
}

// The server stops accepting without dropping what it accepted: shutting the
// listening socket down ends the accept loop, which then lets the worker pool
// run every connection already queued before listen() returns. (stop() would
// also make each queued connection close unread.)
class DrainingServer : public httplib::Server {
 public:
  void StopAccepting() {
    const socket_t sock = svr_sock_;
    if (sock != INVALID_SOCKET) ::shutdown(sock, SHUT_RDWR);
  }
};

}  // namespace

class HttpService::Impl {
 public:
  Impl(ServeOptions options, TokenTable tokens, std::ostream& log)
      : options_(std::move(options)), tokens_(std::move(tokens)), log_(log) {
    for (const DatabaseEntry& db : options_.databases) database_names_.push_back(db.name);
    const size_t workers = static_cast<size_t>(options_.workers);
    server_.new_task_queue = [workers] { return new WorkerPool(workers, workers * 4); };
    server_.set_payload_max_length(options_.max_body);
    server_.set_tcp_nodelay(true);  // headers and body go out in two writes
    server_.set_keep_alive_max_count(100);
    server_.set_keep_alive_timeout(2);
    server_.set_read_timeout(10);
    server_.set_write_timeout(10);
    server_.set_pre_routing_handler(
        [this](const httplib::Request& req, httplib::Response& res) { return Admit(req, res); });
    server_.Post("/ocg/([^/]+)", [this](const httplib::Request& req, httplib::Response& res) {
      Call(req.matches[1].str(), req.body, res);
    });
    server_.Get("/ocg", [](const httplib::Request&, httplib::Response& res) {
      ReplyJson(res, 200, OperationsListing());
    });
    server_.Get("/openapi.json", [this](const httplib::Request&, httplib::Response& res) {
      ReplyJson(res, 200, OpenApiDocument(database_names_, !tokens_.empty()));
    });
    server_.Get("/health",
                [this](const httplib::Request&, httplib::Response& res) { Health(res); });
    server_.Get("/metrics", [this](const httplib::Request&, httplib::Response& res) {
      res.set_content(metrics_.Prometheus(), "text/plain; version=0.0.4; charset=utf-8");
    });
    server_.Get("/(|[A-Za-z0-9_.-]+)", [](const httplib::Request& req, httplib::Response& res) {
      Screen(req.matches[1].str(), res);
    });
    server_.set_error_handler(httplib::Server::HandlerWithResponse(
        [this](const httplib::Request& req, httplib::Response& res) {
          return CompleteError(req, res);
        }));
    server_.set_exception_handler(
        [](const httplib::Request& req, httplib::Response& res, std::exception_ptr ep) {
          std::string what = "unknown exception";
          try {
            std::rethrow_exception(ep);
          } catch (const std::exception& e) {
            what = e.what();
          } catch (...) {
          }
          std::fprintf(stderr, "ocg serve: %s %s failed: %s\n", req.method.c_str(),
                       req.path.c_str(), what.c_str());
          ReplyError(res, 500, "internal error");
        });
    server_.set_logger(
        [this](const httplib::Request& req, const httplib::Response& res) { Log(req, res); });
  }

  Status Bind() {
    if (options_.port == 0) {
      port_ = server_.bind_to_any_port(options_.host);
      if (port_ > 0) return Status();
    } else if (server_.bind_to_port(options_.host, options_.port)) {
      port_ = options_.port;
      return Status();
    }
    return Status::Error("cannot listen on " + options_.host + ":" + std::to_string(options_.port) +
                             " (in use, or not an address here)",
                         98);
  }
  int port() const { return port_; }
  void Run() {
    server_.listen_after_bind();
    log_.Flush();
  }
  void Stop() { server_.StopAccepting(); }

 private:
  // Before the body is read: unknown paths go on to the 404, a known path
  // with the wrong method gets 405, and a call without a valid token 401.
  httplib::Server::HandlerResponse Admit(const httplib::Request& req, httplib::Response& res) {
    RequestNote& note = Note();
    note = RequestNote();
    note.start = Clock::now();
    const Route route = RouteOf(req.path);
    if (!route.known) return httplib::Server::HandlerResponse::Unhandled;
    const std::string allow = std::string(", ") + route.allow + ",";
    if (allow.find(", " + req.method + ",") == std::string::npos) {
      res.set_header("Allow", route.allow);
      ReplyError(res, 405, req.method + " is not allowed on " + req.path + "; use " + route.allow);
      return httplib::Server::HandlerResponse::Handled;
    }
    if (route.needs_token && !tokens_.empty()) {
      note.user = tokens_.UserOf(req.get_header_value("Authorization"));
      if (!note.user) {
        res.set_header("WWW-Authenticate", "Bearer realm=\"ocg\"");
        ReplyError(res, 401,
                   req.has_header("Authorization")
                       ? "the access token is not valid"
                       : "this server needs an access token: Authorization: Bearer TOKEN");
        return httplib::Server::HandlerResponse::Handled;
      }
    }
    // A POST with neither a length nor chunks has no body; the library would
    // wait for the client to close before reading one.
    if (req.method == "POST" && !req.has_header("Content-Length") &&
        !req.has_header("Transfer-Encoding")) {
      Call(req.path.substr(5), "", res);
      return httplib::Server::HandlerResponse::Handled;
    }
    return httplib::Server::HandlerResponse::Unhandled;
  }

  void Call(const std::string& operation, const std::string& body, httplib::Response& res) {
    RequestNote& note = Note();
    note.operation = operation;
    CallPolicy policy;
    policy.defaults.kind = options_.kind;
    policy.defaults.user = options_.user;
    policy.defaults.connection = options_.databases.front().name;
    policy.user = note.user;
    policy.resolve_connection = [this](const Value& given) { return Resolve(given); };

    const Clock::time_point start = Clock::now();
    metrics_.CallStarted();
    CallAnswer answer = CallOperation(operation, body, policy);
    metrics_.CallFinished();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

    switch (answer.outcome) {
      case CallOutcome::kSucceeded:
      case CallOutcome::kFailed:
        note.operation = answer.operation;
        note.result = answer.answer["result"].dump();
        metrics_.RecordCall(answer.operation, answer.outcome == CallOutcome::kFailed, seconds);
        ReplyJson(res, 200, answer.answer);
        return;
      case CallOutcome::kUnknownOperation:
        ReplyError(res, 404, answer.error + " (see GET /ocg)");
        return;
      case CallOutcome::kForbidden:
        ReplyError(res, 403, answer.error);
        return;
      case CallOutcome::kBadInput:
        ReplyError(res, 400, answer.error);
        return;
    }
  }

  // The caller names a database; a connection string only when the server
  // allows it.
  ResolvedConnection Resolve(const Value& given) const {
    auto offered = [this] {
      std::string list;
      for (const std::string& name : database_names_) list += (list.empty() ? "" : ", ") + name;
      return list;
    };
    if (given.is_empty()) {  // an array of arguments leaves it Empty: the default
      const DatabaseEntry& db = options_.databases.front();
      return {CallOutcome::kSucceeded, db.connection, db.name};
    }
    if (given.is_text()) {
      for (const DatabaseEntry& db : options_.databases) {
        if (db.name == given.text()) return {CallOutcome::kSucceeded, db.connection, db.name};
      }
      if (given.text().find('=') != std::string::npos) {
        if (options_.allow_connection_strings) {
          return {CallOutcome::kSucceeded, given.text(), MaskConnectionString(given.text())};
        }
        return {CallOutcome::kForbidden, "",
                "this server does not take connection strings from callers; name one of its "
                "databases: " +
                    offered()};
      }
      return {CallOutcome::kBadInput, "",
              "unknown database '" + given.text() + "'; this server offers: " + offered()};
    }
    return {CallOutcome::kBadInput, "",
            "the database argument names one of this server's databases: " + offered()};
  }

  void Health(httplib::Response& res) {
    json databases = json::object();
    bool all_up = true;
    for (const DatabaseEntry& db : options_.databases) {
      RowSet rows;
      Status st = RunStatement(db.connection, "SELECT 1 FROM INFRA_IDS", &rows);
      if (!st.ok()) {
        std::fprintf(stderr, "ocg serve: database %s does not answer: %s\n", db.name.c_str(),
                     st.ToString().c_str());
      }
      databases[db.name] = st.ok() ? "ok" : "unreachable";
      all_up = all_up && st.ok();
    }
    ReplyJson(res, all_up ? 200 : 503,
              {{"status", all_up ? "ok" : "unavailable"}, {"databases", std::move(databases)}});
  }

  static void Screen(const std::string& file, httplib::Response& res) {
    const std::string name = file.empty() ? "index.html" : file;
    for (const auto& [path, content] : ScreenFiles()) {
      if (path != name) continue;
      res.set_header("Content-Security-Policy",
                     "default-src 'self'; style-src 'self'; script-src 'self'; "
                     "frame-ancestors 'none'");
      res.set_header("X-Content-Type-Options", "nosniff");
      res.set_header("Cache-Control", "no-cache");
      res.set_content(std::string(content), ContentTypeOf(path));
      return;
    }
    ReplyError(res, 404, "no such path: /" + file);
  }

  // Gives the library's own error responses (unknown path, oversized or
  // unreadable request) a JSON body like every other error.
  httplib::Server::HandlerResponse CompleteError(const httplib::Request& req,
                                                 httplib::Response& res) {
    if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
    switch (res.status) {
      case 404:
        ReplyError(res, 404, "no such path: " + req.path);
        break;
      case 413:
        ReplyError(
            res, 413,
            "the request body is larger than " + std::to_string(options_.max_body) + " bytes");
        break;
      default:
        ReplyError(res, res.status, "the request could not be served");
        break;
    }
    return httplib::Server::HandlerResponse::Handled;
  }

  void Log(const httplib::Request& req, const httplib::Response& res) {
    RequestNote& note = Note();
    metrics_.RecordResponse(res.status);
    char ms[32] = "-";
    if (note.start) {
      std::snprintf(ms, sizeof ms, "%.3fms",
                    std::chrono::duration<double, std::milli>(Clock::now() - *note.start).count());
    }
    const std::string line = UtcNow() + " " + LogField(req.method) + " " + LogField(req.path) +
                             " " + LogField(note.operation) + " " + note.result + " " +
                             std::to_string(res.status) + " " + ms + "\n";
    note = RequestNote();
    log_.Write(line);
  }

  const ServeOptions options_;
  const TokenTable tokens_;
  std::vector<std::string> database_names_;
  AccessLog log_;
  Metrics metrics_;
  DrainingServer server_;
  int port_ = 0;
};

HttpService::HttpService(ServeOptions options, TokenTable tokens, std::ostream& log)
    : impl_(std::make_unique<Impl>(std::move(options), std::move(tokens), log)) {}
HttpService::~HttpService() = default;
Status HttpService::Bind() { return impl_->Bind(); }
int HttpService::port() const { return impl_->port(); }
void HttpService::Run() { impl_->Run(); }
void HttpService::Stop() { impl_->Stop(); }

}  // namespace ocg
