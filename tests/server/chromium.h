// chromium.h: a headless Chromium for the browser tests, driven over the
// DevTools protocol (--remote-debugging-pipe: JSON messages ending in NUL on
// fds 3 and 4). The browser is killed when the object goes. One thread.
#ifndef OCG_TESTS_SERVER_CHROMIUM_H_
#define OCG_TESTS_SERVER_CHROMIUM_H_

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <nlohmann/json.hpp>
#include <string>

namespace ocg::testing {

class Chromium {
 public:
  static constexpr const char* kPath = "/usr/bin/chromium";

  // Starts the browser with its profile in profile_dir; Send() answers null
  // when it could not start.
  explicit Chromium(const std::string& profile_dir) {
    int to[2], from[2];
    if (pipe(to) != 0 || pipe(from) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(to[0], 3);
      dup2(from[1], 4);
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, 1);
      dup2(null, 2);
      const std::string profile = "--user-data-dir=" + profile_dir;
      execl(kPath, kPath, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
            "--no-first-run", "--disable-background-networking", "--disable-component-update",
            "--disable-sync", "--remote-debugging-pipe", "--window-size=1200,1000", profile.c_str(),
            static_cast<char*>(nullptr));
      _exit(127);
    }
    close(to[0]);
    close(from[1]);
    in_ = to[1];
    out_ = from[0];
  }
  ~Chromium() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (in_ >= 0) close(in_);
    if (out_ >= 0) close(out_);
  }
  Chromium(const Chromium&) = delete;
  Chromium& operator=(const Chromium&) = delete;

  // Sends one command and returns its result (events in between are
  // skipped); a null json when the browser answers with an error or hangs up.
  nlohmann::json Send(const std::string& method, nlohmann::json params,
                      const std::string& session = "") {
    nlohmann::json message = {
        {"id", ++last_id_}, {"method", method}, {"params", std::move(params)}};
    if (!session.empty()) message["sessionId"] = session;
    const std::string text = message.dump() + '\0';
    if (in_ < 0 || write(in_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
      return {};
    }
    for (;;) {
      size_t end;
      while ((end = buffer_.find('\0')) == std::string::npos) {
        char chunk[65536];
        ssize_t n = read(out_, chunk, sizeof chunk);
        if (n <= 0) return {};
        buffer_.append(chunk, static_cast<size_t>(n));
      }
      nlohmann::json reply = nlohmann::json::parse(buffer_.substr(0, end), nullptr, false);
      buffer_.erase(0, end + 1);
      if (reply.is_object() && reply.value("id", 0) == last_id_) {
        return reply.contains("result") ? reply["result"] : nlohmann::json();
      }
    }
  }

 private:
  pid_t pid_ = -1;
  int in_ = -1;
  int out_ = -1;
  int last_id_ = 0;
  std::string buffer_;
};

}  // namespace ocg::testing

#endif  // OCG_TESTS_SERVER_CHROMIUM_H_
