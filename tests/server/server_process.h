// server_process.h: a real `ocg serve` process for the tests, on a free
// loopback port, with its standard output collected as it comes.
#ifndef OCG_TESTS_SERVER_SERVER_PROCESS_H_
#define OCG_TESTS_SERVER_SERVER_PROCESS_H_

#include <httplib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "child_process.h"

namespace ocg::testing {

class ServerProcess : public ChildProcess {
 public:
  // Runs `ocg serve --listen 127.0.0.1:0 ARGS` (ARGS may name another
  // --listen) in dir and waits (up to 10 s) until it says where it listens,
  // or exits.
  ServerProcess(const std::string& dir, std::vector<std::string> args)
      : ChildProcess(dir, ServeArguments(std::move(args)),
                     "listening on http://127\\.0\\.0\\.1:([0-9]+)/") {}

  int port() const { return ready() ? std::stoi(ready_match()) : 0; }
  httplib::Client Client() const {
    httplib::Client client("127.0.0.1", port());
    client.set_read_timeout(30);
    return client;
  }

 private:
  static std::vector<std::string> ServeArguments(std::vector<std::string> args) {
    if (std::find(args.begin(), args.end(), "--listen") == args.end()) {
      args.insert(args.begin(), {"--listen", "127.0.0.1:0"});
    }
    args.insert(args.begin(), {OCG_BINARY, "serve"});
    return args;
  }
};

}  // namespace ocg::testing

#endif  // OCG_TESTS_SERVER_SERVER_PROCESS_H_
