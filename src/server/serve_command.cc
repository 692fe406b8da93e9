#include "server/serve_command.h"

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <ctime>
#include <ostream>
#include <thread>

#include "base/log_text.h"
#include "infra/session.h"
#include "server/http_service.h"

namespace ocg {

int RunServe(ServeOptions options, std::ostream& out, std::ostream& err) {
  Status st = CheckServeOptions(&options);
  TokenTable tokens;
  if (st.ok() && !options.tokens_file.empty()) st = TokenTable::Load(options.tokens_file, &tokens);
  if (!st.ok()) {
    err << "ocg serve: " << st.description() << "\n";
    return 2;
  }

  // The signals are taken by one thread with sigwait, never by a handler
  // interrupting a call: blocked here, before any other thread exists, they
  // stay blocked in every worker.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  sigaddset(&stop_signals, SIGPIPE);  // a client that hangs up is not a reason to exit
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

  const std::string url_host =
      options.host.find(':') != std::string::npos ? "[" + options.host + "]" : options.host;
  std::string databases;
  for (const DatabaseEntry& db : options.databases) {
    databases += (databases.empty() ? "" : ", ") + db.name;
    RowSet rows;
    Status reach = RunStatement(db.connection, "SELECT 1 FROM INFRA_IDS", &rows);
    if (!reach.ok()) {
      err << "ocg serve: warning: database " << db.name
          << " does not answer yet: " << EscapeControlCharacters(reach.description()) << "\n";
    }
  }
  CloseThreadConnections();

  HttpService service(options, std::move(tokens), out);
  st = service.Bind();
  if (!st.ok()) {
    err << "ocg serve: " << st.description() << "\n";
    return 2;
  }
  out << "ocg serve: listening on http://" << url_host << ":" << service.port()
      << "/ (databases: " << databases << "; " << options.workers << " workers"
      << (options.tokens_file.empty() ? "" : "; access tokens required") << ")" << std::endl;

  std::atomic<bool> done{false};
  std::thread signals([&] {
    const timespec poll{0, 200 * 1000 * 1000};
    while (!done) {
      int sig = sigtimedwait(&stop_signals, nullptr, &poll);
      if (sig == SIGINT || sig == SIGTERM) {
        out << "ocg serve: stopping: finishing the calls in flight" << std::endl;
        service.Stop();
        return;
      }
    }
  });
  service.Run();
  done = true;
  signals.join();
  out << "ocg serve: stopped" << std::endl;
  return 0;
}

}  // namespace ocg
