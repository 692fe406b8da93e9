// server_process.h: a real `ocg serve` process for the tests, on a free
// loopback port, with its standard output collected as it comes.
#ifndef OCG_TESTS_SERVER_SERVER_PROCESS_H_
#define OCG_TESTS_SERVER_SERVER_PROCESS_H_

#include <fcntl.h>
#include <httplib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace ocg::testing {

class ServerProcess {
 public:
  // Runs `ocg serve --listen 127.0.0.1:0 ARGS` (ARGS may name another
  // --listen) in dir and waits (up to 10 s)
  // until it says where it listens, or exits.
  ServerProcess(const std::string& dir, std::vector<std::string> args) {
    int out[2];
    if (pipe(out) != 0) return;
    if (std::find(args.begin(), args.end(), "--listen") == args.end()) {
      args.insert(args.begin(), {"--listen", "127.0.0.1:0"});
    }
    args.insert(args.begin(), {OCG_BINARY, "serve"});
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], 1);
      dup2(out[1], 2);
      close(out[0]);
      if (chdir(dir.c_str()) != 0) _exit(127);
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(out[1]);
    reader_ = std::thread([this, fd = out[0]] {
      char buf[4096];
      ssize_t n;
      while ((n = read(fd, buf, sizeof buf)) > 0) {
        std::lock_guard<std::mutex> lock(mu_);
        output_.append(buf, static_cast<size_t>(n));
      }
      close(fd);
    });
    const std::regex listening("listening on http://127\\.0\\.0\\.1:([0-9]+)/");
    for (int i = 0; i < 1000 && port_ == 0 && Running(); ++i) {
      std::smatch m;
      const std::string text = Output();
      if (std::regex_search(text, m, listening)) port_ = std::stoi(m[1]);
      if (port_ == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  ~ServerProcess() {
    if (Running()) Stop(SIGKILL);
    if (reader_.joinable()) reader_.join();
  }

  int port() const { return port_; }
  httplib::Client Client() const {
    httplib::Client client("127.0.0.1", port_);
    client.set_read_timeout(30);
    return client;
  }

  // Sends sig and waits up to 20 s; the exit status, or -1 when it did not
  // exit on its own.
  int Stop(int sig = SIGTERM) {
    if (pid_ <= 0) return -1;
    kill(pid_, sig);
    return Wait(std::chrono::seconds(20));
  }

  // The exit status once the process ends by itself (-1 if it does not).
  int Wait(std::chrono::seconds limit = std::chrono::seconds(10)) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
      if (Running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        continue;
      }
      if (reader_.joinable()) reader_.join();
      return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, &status_, 0);
    exited_ = true;
    return -1;
  }

  std::string Output() const {
    std::lock_guard<std::mutex> lock(mu_);
    return output_;
  }

 private:
  bool Running() {
    if (exited_ || pid_ <= 0) return false;
    if (waitpid(pid_, &status_, WNOHANG) == pid_) exited_ = true;
    return !exited_;
  }

  pid_t pid_ = -1;
  int port_ = 0;
  int status_ = 0;
  bool exited_ = false;
  mutable std::mutex mu_;
  std::string output_;
  std::thread reader_;
};

}  // namespace ocg::testing

#endif  // OCG_TESTS_SERVER_SERVER_PROCESS_H_
