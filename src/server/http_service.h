// server/http_service.h: the HTTP JSON API and the order screen.
//
//   POST /ocg/{operation}  the call, arguments as `ocg call` takes them; 200
//                          with the answer whenever the operation ran
//   GET  /ocg              the operations and their arguments
//   GET  /openapi.json     the API, OpenAPI 3
//   GET  /health           200 when every configured database answers, 503 not
//   GET  /metrics          Prometheus text
//   GET  /                 the order screen (and /screen.css, /screen.js)
//
// Errors are JSON {"error": text, "status": code}: 400 malformed JSON, a bad
// argument or untrustworthy framing, 401 a missing or unknown token, 403 a
// database the caller may not choose, 404 an unknown path or operation, 405 a
// wrong method, 408 a request too slow to arrive, 413 a body over the limit,
// 431 too many or too large headers, 503 too many connections, 500 only if a
// handler fails unexpectedly (server/http_server says which the front end
// answers itself). With tokens, all
// but the screen and /health need "Authorization: Bearer TOKEN", and the user
// argument of every call is the token's user. One access-log line per request
// goes to the log stream.
//
// One thread calls Run(); any thread may call Stop(), which stops accepting,
// drops the requests not yet whole and answers the others before Run()
// returns, within the front end's stop timeout.
#ifndef OCG_SERVER_HTTP_SERVICE_H_
#define OCG_SERVER_HTTP_SERVICE_H_

#include <iosfwd>
#include <memory>

#include "base/status.h"
#include "server/serve_options.h"
#include "server/tokens.h"

namespace ocg {

class HttpService {
 public:
  // options must have passed CheckServeOptions; tokens is empty when the
  // server takes no tokens. log receives the access log; it must outlive this.
  HttpService(ServeOptions options, TokenTable tokens, std::ostream& log);
  ~HttpService();
  HttpService(const HttpService&) = delete;
  HttpService& operator=(const HttpService&) = delete;

  // Binds the listen address. Fails when it is taken or cannot be bound.
  Status Bind();
  int port() const;  // after Bind: the port bound (useful with port 0)

  // Serves until Stop(); returns once the stop has run its course.
  void Run();
  void Stop();

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace ocg

#endif  // OCG_SERVER_HTTP_SERVICE_H_
