#include "server/http_server.h"

#include <sys/resource.h>

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http.hpp>
#include <cstdio>
#include <exception>
#include <map>
#include <optional>
#include <set>

#include "server/worker_pool.h"

namespace ocg {
namespace {

namespace asio = boost::asio;
namespace http = boost::beast::http;
using boost::system::error_code;
using tcp = asio::ip::tcp;

// After a closing answer the client may still be sending (the rest of a body
// over the limit, say); reading it for this long before closing lets the
// answer arrive instead of a reset.
constexpr std::chrono::milliseconds kLingerTimeout{1000};
// Connections past the limits are answered 503 while at most this many such
// answers are under way; beyond that they are closed unanswered.
constexpr int kMaxRefusing = 64;
// Bodies being read are held whole in memory: at most this many bodies of
// the largest size at once, counted by what their headers announce.
constexpr uint64_t kBodiesInMemory = 64;

std::string_view View(boost::beast::string_view s) { return {s.data(), s.size()}; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The path of a request target: the query cut off, %XX escapes decoded
// (a malformed escape stays as it is).
std::string PathOf(std::string_view target) {
  target = target.substr(0, target.find('?'));
  std::string out;
  out.reserve(target.size());
  for (size_t i = 0; i < target.size(); ++i) {
    if (target[i] == '%' && i + 2 < target.size() && HexDigit(target[i + 1]) >= 0 &&
        HexDigit(target[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(target[i + 1]) * 16 + HexDigit(target[i + 2]));
      i += 2;
    } else {
      out += target[i];
    }
  }
  return out;
}

// Whether a read failed on the request's own form (rather than on the
// connection): those get 400.
bool IsMalformed(const error_code& ec) {
  static const error_code kAnyHttpError = http::error::bad_method;
  return ec.category() == kAnyHttpError.category() && ec != http::error::end_of_stream &&
         ec != http::error::partial_message;
}

}  // namespace

class HttpServer::Impl {
 public:
  Impl(HttpLimits limits, Handler handler, RefusalHook refusal)
      : limits_(limits),
        handler_(std::move(handler)),
        refusal_(std::move(refusal)),
        pool_(static_cast<size_t>(limits.workers)) {}

  Status Bind(const std::string& host, int port);
  int port() const {
    error_code ec;
    return acceptor_.local_endpoint(ec).port();
  }
  void Run();
  void Stop();

 private:
  class Connection;

  void Accept();
  void Admit(tcp::socket socket);
  void Closed(const std::shared_ptr<Connection>& connection);
  void RunHandler(const HttpRequest& request, HttpResponse& response) const;

  // Declared first, destroyed last: every socket and timer below uses it.
  asio::io_context io_{1};
  const HttpLimits limits_;
  const Handler handler_;
  const RefusalHook refusal_;
  tcp::acceptor acceptor_{io_};
  asio::steady_timer accept_retry_{io_};
  asio::steady_timer stop_timer_{io_};
  // The rest belongs to the network thread.
  std::set<std::shared_ptr<Connection>> open_;
  std::map<asio::ip::address, int> per_address_;  // admitted connections by peer
  int admitted_ = 0;
  int refusing_ = 0;
  uint64_t body_bytes_ = 0;  // announced by the bodies being read
  bool stopping_ = false;
  WorkerPool pool_;  // destroyed first: its tasks reach into the members above
};

// One client connection, driven by the network thread. It waits for a
// request (idle deadline), reads it whole (request deadline), hands it to a
// worker, writes the answer (write deadline), and starts over while the
// connection is kept alive.
class HttpServer::Impl::Connection : public std::enable_shared_from_this<Connection> {
 public:
  Connection(Impl& server, tcp::socket socket, asio::ip::address peer, bool admitted)
      : server_(server),
        socket_(std::move(socket)),
        peer_(peer),
        admitted_(admitted),
        deadline_(server.io_) {}

  const asio::ip::address& peer() const { return peer_; }
  bool admitted() const { return admitted_; }

  void Start() { WaitForRequest(); }
  // Answers a connection past the limits and closes it.
  void Refuse(std::string_view why) { AnswerError(503, why); }

  // Stopping: a request not yet whole is dropped; one being served is
  // answered, and then the connection closes.
  void OnStop() {
    keep_alive_ = false;
    if (state_ == State::kIdle || state_ == State::kReading) Close();
  }

  void Close() {
    if (state_ == State::kClosed) return;
    state_ = State::kClosed;
    ReleaseBody();
    error_code ignored;
    socket_.shutdown(tcp::socket::shutdown_both, ignored);
    socket_.close(ignored);
    deadline_.cancel();
    server_.Closed(shared_from_this());
  }

 private:
  enum class State { kIdle, kReading, kWorking, kWriting, kLingering, kClosed };

  // Closes the connection (or, while reading, cuts the read short) when the
  // time runs out; a later Arm() or Disarm() supersedes it.
  void Arm(std::chrono::milliseconds timeout) {
    deadline_.expires_after(timeout);
    deadline_.async_wait([self = shared_from_this(), armed = ++armed_](error_code ec) {
      if (ec || armed != self->armed_) return;
      if (self->state_ == State::kReading) {
        self->timed_out_ = true;
        error_code ignored;
        self->socket_.cancel(ignored);
      } else {
        self->Close();
      }
    });
  }
  void Disarm() {
    ++armed_;
    deadline_.cancel();
  }

  void WaitForRequest() {
    if (server_.stopping_) return Close();
    state_ = State::kIdle;
    if (buffer_.size() > 0) return ReadHeader();  // pipelined
    Arm(server_.limits_.idle_timeout);
    socket_.async_wait(tcp::socket::wait_read, [self = shared_from_this()](error_code ec) {
      if (self->state_ != State::kIdle) return;
      if (ec) return self->Close();
      self->ReadHeader();
    });
  }

  void ReadHeader() {
    state_ = State::kReading;
    Arm(server_.limits_.request_timeout);
    parser_.emplace();
    parser_->header_limit(static_cast<std::uint32_t>(server_.limits_.max_header_bytes));
    parser_->body_limit(server_.limits_.max_body);
    request_ = HttpRequest();
    http::async_read_header(socket_, buffer_, *parser_,
                            [self = shared_from_this()](error_code ec, size_t) {
                              if (self->state_ != State::kReading) return;
                              if (ec) return self->ReadFailed(ec);
                              self->OnHeader();
                            });
  }

  // What the request line said, for the handler or the refusal's log line.
  void NoteRequestLine() {
    const auto& message = parser_->get();
    request_.method = std::string(View(message.method_string()));
    request_.path = PathOf(View(message.target()));
  }

  void OnHeader() {
    const auto& message = parser_->get();
    NoteRequestLine();
    if (static_cast<size_t>(std::distance(message.begin(), message.end())) >
        server_.limits_.max_header_fields) {
      return AnswerError(431, "a request has at most " +
                                  std::to_string(server_.limits_.max_header_fields) +
                                  " header fields");
    }
    // The parser refuses the two framings together only in one order, and
    // takes a body that is not chunked last as none at all.
    if (message.count(http::field::transfer_encoding) > 0 &&
        (message.count(http::field::content_length) > 0 || !parser_->chunked())) {
      return AnswerError(
          400, "Transfer-Encoding must end in chunked and never come with Content-Length");
    }
    if (parser_->is_done()) return Dispatch();
    // A chunked body may grow to the limit.
    const uint64_t body = parser_->content_length().value_or(server_.limits_.max_body);
    if (server_.body_bytes_ + body > kBodiesInMemory * server_.limits_.max_body) {
      return AnswerError(503, "the server is reading too many request bodies; try again shortly");
    }
    body_reserved_ = body;
    server_.body_bytes_ += body;
    if (boost::beast::iequals(message[http::field::expect], "100-continue")) {
      static constexpr std::string_view kContinue = "HTTP/1.1 100 Continue\r\n\r\n";
      asio::async_write(socket_, asio::buffer(kContinue.data(), kContinue.size()),
                        [self = shared_from_this()](error_code ec, size_t) {
                          if (self->state_ != State::kReading) return;
                          if (ec) return self->ReadFailed(ec);
                          self->ReadBody();
                        });
      return;
    }
    ReadBody();
  }

  void ReleaseBody() {
    server_.body_bytes_ -= body_reserved_;
    body_reserved_ = 0;
  }

  void ReadBody() {
    http::async_read(socket_, buffer_, *parser_,
                     [self = shared_from_this()](error_code ec, size_t) {
                       if (self->state_ != State::kReading) return;
                       if (ec) return self->ReadFailed(ec);
                       self->Dispatch();
                     });
  }

  void ReadFailed(const error_code& ec) {
    const HttpLimits& limits = server_.limits_;
    if (request_.method.empty()) NoteRequestLine();
    if (timed_out_) {
      return AnswerError(408, "the request did not arrive whole within " +
                                  std::to_string(limits.request_timeout.count()) + " ms");
    }
    if (ec == http::error::header_limit) {
      return AnswerError(431, "the request headers are larger than " +
                                  std::to_string(limits.max_header_bytes) + " bytes");
    }
    if (ec == http::error::body_limit) {
      return AnswerError(
          413, "the request body is larger than " + std::to_string(limits.max_body) + " bytes");
    }
    if (IsMalformed(ec)) return AnswerError(400, "malformed request: " + ec.message());
    Close();  // the client went away
  }

  // The request is whole: a worker runs it, and the answer comes back here.
  void Dispatch() {
    state_ = State::kWorking;
    ReleaseBody();
    Disarm();
    auto& message = parser_->get();
    keep_alive_ = keep_alive_ && message.keep_alive() &&
                  ++served_ < server_.limits_.keep_alive_requests && !server_.stopping_;
    const auto authorization = message.find(http::field::authorization);
    if (authorization != message.end()) {
      request_.has_authorization = true;
      request_.authorization = std::string(View(authorization->value()));
    }
    request_.body = std::move(message.body());
    parser_.reset();
    server_.pool_.Submit([self = shared_from_this()]() mutable {
      auto response = std::make_shared<HttpResponse>();
      self->server_.RunHandler(self->request_, *response);
      // The connection's last owner is released on the network thread.
      asio::io_context& io = self->server_.io_;
      asio::post(io, [self = std::move(self), response] {
        self->Answer(std::move(*response), self->server_.limits_.write_timeout);
      });
    });
  }

  void AnswerError(int status, std::string_view why) {
    keep_alive_ = false;
    HttpResponse response;
    response.status = status;
    server_.refusal_(request_, status, why, response);
    Answer(std::move(response), kLingerTimeout);
  }

  // A short timeout for error answers: whoever gets one is closed anyway.
  void Answer(HttpResponse answer, std::chrono::milliseconds timeout) {
    if (state_ == State::kClosed) return;  // closed by the stop timeout meanwhile
    if (server_.stopping_) keep_alive_ = false;
    state_ = State::kWriting;
    Arm(timeout);
    response_ = {};
    response_.version(11);
    response_.result(static_cast<unsigned>(answer.status));
    if (!answer.content_type.empty()) response_.set(http::field::content_type, answer.content_type);
    for (auto& [name, value] : answer.headers) response_.set(name, value);
    response_.body() = std::move(answer.body);
    response_.keep_alive(keep_alive_);
    response_.prepare_payload();
    if (request_.method == "HEAD") response_.body().clear();  // Content-Length stays
    http::async_write(socket_, response_, [self = shared_from_this()](error_code ec, size_t) {
      if (self->state_ != State::kWriting) return;
      if (ec) return self->Close();
      if (self->keep_alive_) return self->WaitForRequest();
      self->Linger();
    });
  }

  void Linger() {
    state_ = State::kLingering;
    error_code ignored;
    socket_.shutdown(tcp::socket::shutdown_send, ignored);
    Arm(kLingerTimeout);
    Drain();
  }
  void Drain() {
    socket_.async_read_some(asio::buffer(drain_),
                            [self = shared_from_this()](error_code ec, size_t) {
                              if (self->state_ != State::kLingering) return;
                              if (ec) return self->Close();
                              self->Drain();
                            });
  }

  Impl& server_;
  tcp::socket socket_;
  const asio::ip::address peer_;
  const bool admitted_;
  asio::steady_timer deadline_;
  uint64_t armed_ = 0;  // which Arm() the deadline belongs to
  bool timed_out_ = false;
  State state_ = State::kIdle;
  bool keep_alive_ = true;
  int served_ = 0;
  uint64_t body_reserved_ = 0;  // of the server's body_bytes_
  boost::beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::string_body>> parser_;
  HttpRequest request_;  // a worker reads it while the state is kWorking
  http::response<http::string_body> response_;
  char drain_[1024];
};

Status HttpServer::Impl::Bind(const std::string& host, int port) {
  error_code ec;
  tcp::resolver resolver(io_);
  const auto endpoints = resolver.resolve(
      host, std::to_string(port), tcp::resolver::passive | tcp::resolver::numeric_service, ec);
  if (ec || endpoints.empty()) {
    return Status::Error("cannot resolve " + host + ": " + ec.message(), 98);
  }
  const tcp::endpoint endpoint = *endpoints.begin();
  const int backlog =
      limits_.backlog > 0 ? limits_.backlog : asio::socket_base::max_listen_connections;
  if (acceptor_.open(endpoint.protocol(), ec) ||
      acceptor_.set_option(tcp::acceptor::reuse_address(true), ec) ||
      acceptor_.bind(endpoint, ec) || acceptor_.listen(backlog, ec)) {
    error_code ignored;
    acceptor_.close(ignored);
    return Status::Error(ec.message(), 98);
  }
  // Each connection is a descriptor: make room for the limit if the hard
  // limit allows it.
  rlimit files;
  const rlim_t wanted = static_cast<rlim_t>(limits_.max_connections) + kMaxRefusing + 64;
  if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < wanted) {
    files.rlim_cur = std::min(wanted, files.rlim_max);
    setrlimit(RLIMIT_NOFILE, &files);
  }
  Accept();
  return Status();
}

void HttpServer::Impl::Accept() {
  acceptor_.async_accept([this](error_code ec, tcp::socket socket) {
    if (stopping_ || ec == asio::error::operation_aborted) return;
    if (ec) {  // out of descriptors or memory: try again shortly rather than spin
      accept_retry_.expires_after(std::chrono::milliseconds(100));
      accept_retry_.async_wait([this](error_code e) {
        if (!e && !stopping_) Accept();
      });
      return;
    }
    Admit(std::move(socket));
    Accept();
  });
}

void HttpServer::Impl::Admit(tcp::socket socket) {
  error_code ec;
  const asio::ip::address peer = socket.remote_endpoint(ec).address();
  if (ec) return;                              // gone already
  socket.set_option(tcp::no_delay(true), ec);  // headers and body may go out in two writes
  std::string refusal;
  if (admitted_ >= limits_.max_connections) {
    refusal = "the server has " + std::to_string(admitted_) + " connections open; try again later";
  } else if (auto it = per_address_.find(peer);
             it != per_address_.end() && it->second >= limits_.max_connections_per_address) {
    refusal = "this address has " + std::to_string(it->second) +
              " connections open; close one or try again later";
  }
  if (!refusal.empty() && refusing_ >= kMaxRefusing) return;
  auto connection = std::make_shared<Connection>(*this, std::move(socket), peer, refusal.empty());
  open_.insert(connection);
  if (refusal.empty()) {
    ++admitted_;
    ++per_address_[peer];
    connection->Start();
  } else {
    ++refusing_;
    connection->Refuse(refusal);
  }
}

void HttpServer::Impl::Closed(const std::shared_ptr<Connection>& connection) {
  if (connection->admitted()) {
    --admitted_;
    auto it = per_address_.find(connection->peer());
    if (--it->second == 0) per_address_.erase(it);
  } else {
    --refusing_;
  }
  open_.erase(connection);
  if (stopping_ && open_.empty()) stop_timer_.cancel();
}

void HttpServer::Impl::RunHandler(const HttpRequest& request, HttpResponse& response) const {
  try {
    handler_(request, response);
  } catch (const std::exception& e) {  // the handler's own net failed; this is the last one
    std::fprintf(stderr, "ocg serve: %s %s failed: %s\n", request.method.c_str(),
                 request.path.c_str(), e.what());
    response = {500, "application/json", "{\"error\": \"internal error\", \"status\": 500}\n", {}};
  } catch (...) {
    response = {500, "application/json", "{\"error\": \"internal error\", \"status\": 500}\n", {}};
  }
}

void HttpServer::Impl::Run() {
  io_.run();
  // Past the stop timeout a worker may still be running a request whose
  // connection is closed: wait for it, and let its answer find the
  // connection closed.
  pool_.Shutdown();
  io_.restart();
  io_.poll();
}

void HttpServer::Impl::Stop() {
  asio::post(io_, [this] {
    if (stopping_) return;
    stopping_ = true;
    error_code ignored;
    acceptor_.close(ignored);
    accept_retry_.cancel();
    for (const auto& connection : std::set<std::shared_ptr<Connection>>(open_)) {
      connection->OnStop();
    }
    if (open_.empty()) return;
    stop_timer_.expires_after(limits_.stop_timeout);
    stop_timer_.async_wait([this](error_code ec) {
      if (ec) return;
      for (const auto& connection : std::set<std::shared_ptr<Connection>>(open_)) {
        connection->Close();
      }
    });
  });
}

HttpServer::HttpServer(HttpLimits limits, Handler handler, RefusalHook refusal)
    : impl_(std::make_unique<Impl>(limits, std::move(handler), std::move(refusal))) {}
HttpServer::~HttpServer() = default;
Status HttpServer::Bind(const std::string& host, int port) { return impl_->Bind(host, port); }
int HttpServer::port() const { return impl_->port(); }
void HttpServer::Run() { impl_->Run(); }
void HttpServer::Stop() { impl_->Stop(); }

}  // namespace ocg
