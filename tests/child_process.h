// child_process.h: a real program run by a test, with its standard output and
// error collected as they come, stopped (SIGKILL at the latest) when the
// object goes.
#ifndef OCG_TESTS_CHILD_PROCESS_H_
#define OCG_TESTS_CHILD_PROCESS_H_

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace ocg::testing {

class ChildProcess {
 public:
  // Runs argv (argv[0] a path) in dir and waits (up to 10 s) until its
  // output matches ready, or it exits; ready_match() is then the pattern's
  // first group.
  ChildProcess(const std::string& dir, std::vector<std::string> argv, const std::string& ready) {
    int out[2];
    if (pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], 1);
      dup2(out[1], 2);
      close(out[0]);
      if (chdir(dir.c_str()) != 0) _exit(127);
      std::vector<char*> args;
      for (std::string& a : argv) args.push_back(a.data());
      args.push_back(nullptr);
      execv(args[0], args.data());
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
    const std::regex pattern(ready);
    for (int i = 0; i < 1000 && !ready_ && Running(); ++i) {
      std::smatch m;
      const std::string text = Output();
      if (std::regex_search(text, m, pattern)) {
        ready_ = true;
        ready_match_ = m.size() > 1 ? m[1].str() : m[0].str();
      }
      if (!ready_) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  virtual ~ChildProcess() {
    if (Running()) Stop(SIGKILL);
    if (reader_.joinable()) reader_.join();
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool ready() const { return ready_; }
  const std::string& ready_match() const { return ready_match_; }

  // Sends sig and waits up to 20 s; the exit status, or -1 when it did not
  // exit on its own.
  int Stop(int sig = SIGTERM) {
    if (pid_ <= 0) return -1;
    kill(pid_, sig);
    return Wait(std::chrono::seconds(20));
  }

  // The exit status once the process ends by itself (-1 if it does not).
  int Wait(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
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
  bool ready_ = false;
  std::string ready_match_;
  int status_ = 0;
  bool exited_ = false;
  mutable std::mutex mu_;
  std::string output_;
  std::thread reader_;
};

}  // namespace ocg::testing

#endif  // OCG_TESTS_CHILD_PROCESS_H_
