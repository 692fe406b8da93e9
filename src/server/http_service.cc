#include "server/http_service.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>

#include "base/log_text.h"
#include "cli/dispatch.h"
#include "infra/connection_string.h"
#include "infra/session.h"
#include "server/access_log.h"
#include "server/api_description.h"
#include "server/http_server.h"
#include "server/metrics.h"
#include "server/screen_files.h"

namespace ocg {
namespace {

using Clock = std::chrono::steady_clock;
using json = nlohmann::ordered_json;

// What the access log and the handlers learn about the request being served.
struct RequestNote {
  std::optional<Clock::time_point> start;
  std::string operation = "-";
  std::string result = "-";
  std::optional<int32_t> user;  // from the token
};

void ReplyJson(HttpResponse& res, int status, const json& body) {
  res.status = status;
  res.content_type = "application/json; charset=utf-8";
  res.body = body.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
}

void ReplyError(HttpResponse& res, int status, std::string_view message) {
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
  if (path.size() > 5 && path.starts_with("/ocg/") && path.find('/', 5) == std::string::npos)
    return {true, "POST"};
  if (path == "/") return {true, "GET, HEAD", false};
  for (const auto& [name, content] : ScreenFiles()) {
    if (path.size() == name.size() + 1 && path.substr(1) == name) return {true, "GET, HEAD", false};
  }
  return {};
}

}  // namespace

class HttpService::Impl {
 public:
  Impl(ServeOptions options, TokenTable tokens, std::ostream& log)
      : options_(std::move(options)),
        tokens_(std::move(tokens)),
        log_(log),
        server_(
            LimitsOf(options_),
            [this](const HttpRequest& req, HttpResponse& res) { Handle(req, res); },
            [this](const HttpRequest& req, int status, std::string_view why, HttpResponse& res) {
              Refused(req, status, why, res);
            }) {
    for (const DatabaseEntry& db : options_.databases) database_names_.push_back(db.name);
  }

  Status Bind() {
    Status st = server_.Bind(options_.host, options_.port);
    if (st.ok()) return st;
    return Status::Error("cannot listen on " + options_.host + ":" + std::to_string(options_.port) +
                             " (in use, or not an address here: " + st.description() + ")",
                         98);
  }
  int port() const { return server_.port(); }
  void Run() {
    server_.Run();
    log_.Flush();
  }
  void Stop() { server_.Stop(); }

 private:
  static HttpLimits LimitsOf(const ServeOptions& options) {
    HttpLimits limits;
    limits.workers = options.workers;
    limits.max_body = options.max_body;
    limits.request_timeout =
        std::chrono::milliseconds(static_cast<int64_t>(options.request_timeout * 1000));
    limits.max_connections = options.max_connections;
    limits.max_connections_per_address = options.max_connections_per_address;
    return limits;
  }

  // A whole request, on a worker. Unknown paths get 404, a known path with
  // the wrong method 405, and a call without a valid token 401.
  void Handle(const HttpRequest& req, HttpResponse& res) {
    RequestNote note;
    note.start = Clock::now();
    try {
      Serve(req, res, note);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "ocg serve: %s %s failed: %s\n", req.method.c_str(), req.path.c_str(),
                   e.what());
      res = HttpResponse();
      ReplyError(res, 500, "internal error");
    }
    Log(req, res.status, note);
  }

  void Serve(const HttpRequest& req, HttpResponse& res, RequestNote& note) {
    const Route route = RouteOf(req.path);
    if (!route.known) return ReplyError(res, 404, "no such path: " + req.path);
    const std::string allow = std::string(", ") + route.allow + ",";
    if (allow.find(", " + req.method + ",") == std::string::npos) {
      res.headers.emplace_back("Allow", route.allow);
      return ReplyError(res, 405,
                        req.method + " is not allowed on " + req.path + "; use " + route.allow);
    }
    if (route.needs_token && !tokens_.empty()) {
      note.user = tokens_.UserOf(req.authorization);
      if (!note.user) {
        res.headers.emplace_back("WWW-Authenticate", "Bearer realm=\"ocg\"");
        return ReplyError(res, 401,
                          req.has_authorization
                              ? "the access token is not valid"
                              : "this server needs an access token: Authorization: Bearer TOKEN");
      }
    }
    if (req.path.starts_with("/ocg/")) return Call(req.path.substr(5), req.body, res, note);
    if (req.path == "/ocg") return ReplyJson(res, 200, OperationsListing());
    if (req.path == "/openapi.json") {
      return ReplyJson(res, 200, OpenApiDocument(database_names_, !tokens_.empty()));
    }
    if (req.path == "/health") return Health(res);
    if (req.path == "/metrics") {
      res.content_type = "text/plain; version=0.0.4; charset=utf-8";
      res.body = metrics_.Prometheus();
      return;
    }
    Screen(req.path.substr(1), res);
  }

  void Call(const std::string& operation, const std::string& body, HttpResponse& res,
            RequestNote& note) {
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

  void Health(HttpResponse& res) {
    json databases = json::object();
    bool all_up = true;
    for (const DatabaseEntry& db : options_.databases) {
      RowSet rows;
      Status st = RunStatement(db.connection, "SELECT 1 FROM INFRA_IDS", &rows);
      if (!st.ok()) {
        std::fprintf(stderr, "ocg serve: database %s does not answer: %s\n", db.name.c_str(),
                     EscapeControlCharacters(st.ToString()).c_str());
      }
      databases[db.name] = st.ok() ? "ok" : "unreachable";
      all_up = all_up && st.ok();
    }
    ReplyJson(res, all_up ? 200 : 503,
              {{"status", all_up ? "ok" : "unavailable"}, {"databases", std::move(databases)}});
  }

  static void Screen(const std::string& file, HttpResponse& res) {
    const std::string name = file.empty() ? "index.html" : file;
    for (const auto& [path, content] : ScreenFiles()) {
      if (path != name) continue;
      res.headers = {{"Content-Security-Policy",
                      "default-src 'self'; style-src 'self'; script-src 'self'; "
                      "frame-ancestors 'none'"},
                     {"X-Content-Type-Options", "nosniff"},
                     {"Cache-Control", "no-cache"}};
      res.content_type = ContentTypeOf(path);
      res.body = std::string(content);
      return;
    }
    ReplyError(res, 404, "no such path: /" + file);
  }

  // A request the front end answered itself: malformed, too large, too slow,
  // or a connection past the limits.
  void Refused(const HttpRequest& req, int status, std::string_view why, HttpResponse& res) {
    ReplyError(res, status, why);
    Log(req, status, RequestNote());
  }

  void Log(const HttpRequest& req, int status, const RequestNote& note) {
    metrics_.RecordResponse(status);
    char ms[32] = "-";
    if (note.start) {
      std::snprintf(ms, sizeof ms, "%.3fms",
                    std::chrono::duration<double, std::milli>(Clock::now() - *note.start).count());
    }
    log_.Write(UtcNow() + " " + LogField(req.method) + " " + LogField(req.path) + " " +
               LogField(note.operation) + " " + note.result + " " + std::to_string(status) + " " +
               ms + "\n");
  }

  const ServeOptions options_;
  const TokenTable tokens_;
  std::vector<std::string> database_names_;
  AccessLog log_;
  Metrics metrics_;
  HttpServer server_;  // last: its workers call into the members above
};

HttpService::HttpService(ServeOptions options, TokenTable tokens, std::ostream& log)
    : impl_(std::make_unique<Impl>(std::move(options), std::move(tokens), log)) {}
HttpService::~HttpService() = default;
Status HttpService::Bind() { return impl_->Bind(); }
int HttpService::port() const { return impl_->port(); }
void HttpService::Run() { impl_->Run(); }
void HttpService::Stop() { impl_->Stop(); }

}  // namespace ocg
