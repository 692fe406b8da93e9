// server/http_server.h: the HTTP/1.1 front end of `ocg serve`, on Boost.Beast.
//
// One network thread reads every connection without blocking; a connection
// holds nothing but its socket and buffers until its request is whole
// (headers and body), and only then is the request handed to one of a fixed
// number of workers, which runs the handler. The network thread writes the
// answer. So a slow or silent client costs memory, never a worker.
//
// Bounds, each answered with a JSON error made by the refusal hook:
//   - a whole request must arrive within request_timeout of its first byte
//     (408), an idle keep-alive connection closes after idle_timeout;
//   - open connections, in total and per client address, and the request
//     bodies being read, by their announced size, to 64 of max_body (503
//     past any of these);
//   - framing: a negative, non-numeric or conflicting Content-Length, or one
//     with Transfer-Encoding, or a Transfer-Encoding that is not chunked last
//     (400); headers over max_header_bytes or max_header_fields (431); a body
//     over max_body, whatever its content type (413).
//
// Stop() stops accepting, closes the connections whose request is not yet
// whole, lets the requests already whole be answered, and closes whatever is
// left stop_timeout later. Run() returns then, once the workers are idle.
#ifndef OCG_SERVER_HTTP_SERVER_H_
#define OCG_SERVER_HTTP_SERVER_H_

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/status.h"

namespace ocg {

struct HttpLimits {
  int workers = 8;  // requests handled at once
  size_t max_body = 1 << 20;
  size_t max_header_bytes = 8192;  // request line and headers
  size_t max_header_fields = 100;
  std::chrono::milliseconds request_timeout{10'000};  // first byte to last byte of a request
  std::chrono::milliseconds idle_timeout{2'000};      // a keep-alive connection between requests
  std::chrono::milliseconds write_timeout{10'000};    // one answer
  std::chrono::milliseconds stop_timeout{3'000};      // Stop() to the last connection closed
  int max_connections = 1000;
  int max_connections_per_address = 500;
  int keep_alive_requests = 100;  // then the connection closes
  int backlog = 0;                // of the listening socket; 0: SOMAXCONN
};

// A whole request as the handler sees it. path is the target without its
// query; authorization is empty when the header is absent.
struct HttpRequest {
  std::string method;
  std::string path;
  std::string authorization;
  bool has_authorization = false;
  std::string body;
};

struct HttpResponse {
  int status = 200;
  std::string content_type;
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;  // besides the content type
};

class HttpServer {
 public:
  // Runs on a worker for every whole request; HEAD requests come as they
  // are and lose their body on the way out. An exception is answered 500.
  using Handler = std::function<void(const HttpRequest&, HttpResponse&)>;
  // Runs on the network thread for every request or connection the server
  // answers itself (status 400, 408, 413, 431 or 503, with why in words);
  // request holds what was read of it. Fills the body; must not block.
  using RefusalHook = std::function<void(const HttpRequest& request, int status,
                                         std::string_view why, HttpResponse& response)>;

  HttpServer(HttpLimits limits, Handler handler, RefusalHook refusal);
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Resolves host and listens on its first address. Fails when the name
  // does not resolve or the address is taken or not one of this machine's.
  Status Bind(const std::string& host, int port);
  int port() const;  // after Bind: the port bound (useful with port 0)

  // Serves on the calling thread until Stop() has run its course.
  void Run();
  void Stop();  // any thread, any number of times

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace ocg

#endif  // OCG_SERVER_HTTP_SERVER_H_
