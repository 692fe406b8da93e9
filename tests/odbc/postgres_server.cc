#include "postgres_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <thread>
#include <vector>

#include "infra/driver.h"
#include "odbc/postgres_setup.h"

namespace ocg::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kOdbcDriver = "PostgreSQL Unicode";
constexpr const char* kOdbcDriverLibrary = "psqlodbcw.so";

// The newest installed server's bin directory, or "".
std::string FindBinDir() {
  std::string best;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", ec)) {
    const std::string bin = entry.path().string() + "/bin";
    if (fs::exists(bin + "/initdb") && fs::exists(bin + "/postgres") && bin > best) best = bin;
  }
  return best;
}

bool OdbcDriverInstalled() {
  return fs::exists(std::string("/usr/lib/x86_64-linux-gnu/odbc/") + kOdbcDriverLibrary);
}

int FreePort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  int port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0) {
    port = ntohs(addr.sin_port);
  }
  close(fd);
  return port;
}

// Starts argv[0] as uid/gid with its output in log; with die_with_parent the
// child is sent SIGQUIT when this process ends. Returns the child's pid, or
// -1.
pid_t Spawn(const std::vector<std::string>& args, const std::string& log, uid_t uid, gid_t gid,
            bool die_with_parent) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const bool switch_user = getuid() == 0;
  const pid_t parent = getpid();
  pid_t pid = fork();
  if (pid != 0) return pid;
  int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (out >= 0) {
    dup2(out, 1);
    dup2(out, 2);
  }
  int in = open("/dev/null", O_RDONLY);
  if (in >= 0) dup2(in, 0);
  if (switch_user && (setgid(gid) != 0 || setuid(uid) != 0)) _exit(126);
  if (die_with_parent) {
    prctl(PR_SET_PDEATHSIG, SIGQUIT);
    if (getppid() != parent) _exit(125);
  }
  execv(argv[0], argv.data());
  _exit(127);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

PostgresServer* PostgresServer::Shared(std::string* why, bool* missing) {
  // OCG_TEST_ENGINES=embedded leaves PostgreSQL out, as if it were not
  // installed: the planted-fault runner's quick mode (tests/faults/).
  if (const char* only = std::getenv("OCG_TEST_ENGINES"); only && std::string(only) == "embedded") {
    *missing = true;
    *why = "OCG_TEST_ENGINES=embedded";
    return nullptr;
  }
  static std::string failure;
  static std::unique_ptr<PostgresServer> server = [] {
    std::unique_ptr<PostgresServer> s(new PostgresServer());
    failure = s->Init();
    if (failure.empty()) failure = s->Start();
    return s;
  }();
  *missing = server->bin_dir_.empty() || !OdbcDriverInstalled();
  if (*missing) {
    *why = server->bin_dir_.empty()
               ? "the PostgreSQL server (initdb, postgres) is not installed: apt-get install "
                 "postgresql"
               : "PostgreSQL's ODBC driver is not installed: apt-get install odbc-postgresql";
    return nullptr;
  }
  *why = failure;
  return failure.empty() ? server.get() : nullptr;
}

std::string PostgresServer::Init() {
  bin_dir_ = FindBinDir();
  if (bin_dir_.empty() || !OdbcDriverInstalled()) return "not installed";
  char pattern[] = "/tmp/ocg-postgres-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return "no temporary directory";
  dir_ = pattern;
  uid_ = getuid();
  gid_ = getgid();
  if (uid_ == 0) {
    const passwd* nobody = getpwnam("nobody");
    if (nobody == nullptr) return "running as root and there is no user nobody to run PostgreSQL";
    uid_ = nobody->pw_uid;
    gid_ = nobody->pw_gid;
    if (chown(dir_.c_str(), uid_, gid_) != 0) return "cannot hand " + dir_ + " to nobody";
  }
  port_ = FreePort();
  if (port_ == 0) return "no free port on 127.0.0.1";
  const std::string log = dir_ + "/initdb.log";
  pid_t pid = Spawn({bin_dir_ + "/initdb", "-D", dir_ + "/data", "-A", "trust", "-U", "ocg", "-E",
                     "UTF8", "--locale=C.UTF-8", "--no-sync"},
                    log, uid_, gid_, /*die_with_parent=*/false);
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    return "initdb failed: " + ReadFile(log);
  }
  connection_ = std::string("Driver={") + kOdbcDriver +
                "};Server=127.0.0.1;Port=" + std::to_string(port_) +
                ";Database=postgres;Uid=ocg;Pwd=;";
  return "";
}

std::string PostgresServer::Start() {
  if (postmaster_ > 0) return "";
  const std::string log = dir_ + "/server.log";
  postmaster_ = Spawn({bin_dir_ + "/postgres", "-D", dir_ + "/data", "-p", std::to_string(port_),
                       "-k", dir_, "-c", "listen_addresses=127.0.0.1", "-c", "fsync=off", "-c",
                       "synchronous_commit=off", "-c", "full_page_writes=off"},
                      log, uid_, gid_, /*die_with_parent=*/true);
  if (postmaster_ < 0) return "cannot start postgres";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  std::string last;
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (waitpid(postmaster_, &status, WNOHANG) == postmaster_) {
      postmaster_ = -1;
      return "postgres exited at start: " + ReadFile(log);
    }
    std::unique_ptr<Driver> probe;
    Status st = OpenDriver(connection_, &probe);
    if (st.ok()) return "";
    last = st.ToString();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return "postgres did not accept connections within 30 s: " + last + "\n" + ReadFile(log);
}

std::string PostgresServer::Stop() {
  if (postmaster_ <= 0) return "";
  kill(postmaster_, SIGINT);  // fast shutdown
  int status = 0;
  pid_t done = waitpid(postmaster_, &status, 0);
  postmaster_ = -1;
  return done > 0 ? "" : "postgres could not be waited for";
}

PostgresServer::~PostgresServer() {
  Stop();  // nothing to tell anyone in a destructor
  if (!dir_.empty()) {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
}

namespace {

// The server's connection string with another database.
std::string WithDatabase(const std::string& connection, const std::string& database) {
  const size_t at = connection.find(";Database=");
  const size_t end = connection.find(';', at + 1);
  return connection.substr(0, at) + ";Database=" + database + connection.substr(end);
}

}  // namespace

std::string RunOnServer(const PostgresServer& server, const std::string& sql) {
  std::unique_ptr<Driver> db;
  Status st = OpenDriver(server.connection(), &db);
  if (st.ok()) st = db->Run(sql, nullptr, nullptr);
  return st.ok() ? "" : sql + ": " + st.ToString();
}

std::string DatabaseOf(const std::string& connection) {
  const size_t at = connection.find(";Database=") + 10;
  return connection.substr(at, connection.find(';', at) - at);
}

std::string CreatePostgresDatabase(const PostgresServer& server, bool demo,
                                   std::string* connection) {
  static int created = 0;
  static std::string templates[2];  // "" until built; index demo
  std::string& source = templates[demo ? 1 : 0];
  if (source.empty()) {
    const std::string name = demo ? "ocg_template_demo" : "ocg_template_empty";
    std::string why = RunOnServer(server, "CREATE DATABASE " + name);
    if (!why.empty()) return why;
    Status st = ocg::CreatePostgresDatabase(WithDatabase(server.connection(), name), demo);
    if (!st.ok()) return "init-db failed: " + st.ToString();
    source = name;
  }
  const std::string name = "ocg_test_" + std::to_string(getpid()) + "_" + std::to_string(++created);
  std::string why = RunOnServer(server, "CREATE DATABASE " + name + " TEMPLATE " + source);
  if (!why.empty()) return why;
  *connection = WithDatabase(server.connection(), name);
  return "";
}

void DropPostgresDatabase(const PostgresServer& server, const std::string& connection) {
  RunOnServer(server, "DROP DATABASE IF EXISTS " + DatabaseOf(connection) + " WITH (FORCE)");
}

std::string LoadPostgresSchema(const PostgresServer& server) {
  static const std::string result = [&server]() -> std::string {
    Status st = ocg::CreatePostgresDatabase(server.connection(), /*demo=*/false);
    return st.ok() ? "" : "init-db failed: " + st.ToString();
  }();
  return result;
}

}  // namespace ocg::testing
