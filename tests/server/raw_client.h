// raw_client.h: a blocking loopback TCP client for the tests, for what an
// HTTP library would never send: broken framing, a request a byte at a time,
// many connections from one chosen source address.
#ifndef OCG_TESTS_SERVER_RAW_CLIENT_H_
#define OCG_TESTS_SERVER_RAW_CLIENT_H_

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <string_view>

namespace ocg::testing {

class RawClient {
 public:
  // Connects to 127.0.0.1:port from the loopback address `from`, giving up
  // after 2 s (a full listen backlog drops the handshake and retries it). A
  // receive_buffer in bytes makes a client that reads nothing fill up soon.
  explicit RawClient(int port, const char* from = "127.0.0.1", int receive_buffer = 0) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    if (receive_buffer > 0) {
      setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receive_buffer, sizeof receive_buffer);
    }
    const timeval connect_limit{2, 0};
    setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &connect_limit, sizeof connect_limit);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, from, &local.sin_addr);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, "127.0.0.1", &server.sin_addr);
    if (bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        connect(fd_, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0) {
      close(fd_);
      fd_ = -1;
    }
  }
  ~RawClient() {
    if (fd_ >= 0) close(fd_);
  }
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;

  bool Send(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t n = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
  }

  // What arrives until the server closes, or until `limit` passes without a
  // byte; closed() then tells which.
  std::string Read(std::chrono::milliseconds limit) {
    const timeval tv{static_cast<time_t>(limit.count() / 1000),
                     static_cast<suseconds_t>(limit.count() % 1000 * 1000)};
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    std::string got;
    char buf[4096];
    for (;;) {
      const ssize_t n = recv(fd_, buf, sizeof buf, 0);
      if (n <= 0) {
        closed_ = n == 0 || errno == ECONNRESET;
        return got;
      }
      got.append(buf, static_cast<size_t>(n));
    }
  }
  bool closed() const { return closed_; }

  // The status of the first answer, 0 when none came within `limit`.
  int Status(std::chrono::milliseconds limit) {
    const std::string got = Read(limit);
    return got.starts_with("HTTP/1.1 ") && got.size() >= 12 ? std::stoi(got.substr(9, 3)) : 0;
  }

 private:
  int fd_ = -1;
  bool closed_ = false;
};

}  // namespace ocg::testing

#endif  // OCG_TESTS_SERVER_RAW_CLIENT_H_
