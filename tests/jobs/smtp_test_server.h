// smtp_test_server.h: a real SMTP server for the job runner's tests
// (tests/jobs/smtp_server.py), the messages it accepted, and the two ways a
// server can be missing: nobody listening, and a listener that never answers.
#ifndef OCG_TESTS_JOBS_SMTP_TEST_SERVER_H_
#define OCG_TESTS_JOBS_SMTP_TEST_SERVER_H_

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "child_process.h"

namespace ocg::testing {

class SmtpTestServer : public ChildProcess {
 public:
  // Starts the server in dir; it records into dir/mail.jsonl.
  explicit SmtpTestServer(const std::string& dir)
      : ChildProcess(
            dir,
            {"/usr/bin/python3", OCG_SOURCE_DIR "/tests/jobs/smtp_server.py", dir + "/mail.jsonl"},
            "listening on port ([0-9]+)"),
        file_(dir + "/mail.jsonl") {}

  std::string url() const { return "smtp://127.0.0.1:" + ready_match(); }

  // Every message accepted so far, in order.
  std::vector<nlohmann::json> Messages() const {
    std::vector<nlohmann::json> out;
    std::ifstream in(file_);
    for (std::string line; std::getline(in, line);) out.push_back(nlohmann::json::parse(line));
    return out;
  }

 private:
  std::string file_;
};

// A socket bound to a free port of 127.0.0.1: listening (connections are
// made, then nothing is ever said) or not (connections are refused).
class LoopbackSocket {
 public:
  explicit LoopbackSocket(bool listening) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (bind(fd_, reinterpret_cast<sockaddr*>(&addr), len) != 0 ||
        getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0 ||
        (listening && listen(fd_, 8) != 0)) {
      return;
    }
    port_ = ntohs(addr.sin_port);
  }
  ~LoopbackSocket() { close(fd_); }
  LoopbackSocket(const LoopbackSocket&) = delete;
  LoopbackSocket& operator=(const LoopbackSocket&) = delete;

  std::string url() const { return "smtp://127.0.0.1:" + std::to_string(port_); }

 private:
  int fd_;
  int port_ = 0;
};

}  // namespace ocg::testing

#endif  // OCG_TESTS_JOBS_SMTP_TEST_SERVER_H_
