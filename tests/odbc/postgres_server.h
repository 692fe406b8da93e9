// postgres_server.h: a PostgreSQL server of the tests' own, in a temporary
// directory, on a free port of 127.0.0.1, reached through PostgreSQL's ODBC
// driver.
//
// The server runs as an unprivileged user (the invoking one, or "nobody"
// when the tests run as root, where initdb refuses to run) and is a child of
// the test process: it is stopped when the process ends, and asked to stop
// at once (SIGQUIT) should the process die without stopping it. One server
// serves every test of a process; Shared() starts it on first use.
#ifndef OCG_TESTS_ODBC_POSTGRES_SERVER_H_
#define OCG_TESTS_ODBC_POSTGRES_SERVER_H_

#include <sys/types.h>

#include <string>

namespace ocg::testing {

class PostgresServer {
 public:
  // The process's server, started on the first call. nullptr when it could
  // not be had; *why then says why, and *missing tells whether that is
  // because the PostgreSQL server or its ODBC driver is not installed here
  // (or OCG_TEST_ENGINES=embedded asks to leave PostgreSQL out).
  static PostgresServer* Shared(std::string* why, bool* missing);

  ~PostgresServer();
  PostgresServer(const PostgresServer&) = delete;
  PostgresServer& operator=(const PostgresServer&) = delete;

  // "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=...;Database=...".
  const std::string& connection() const { return connection_; }
  const std::string& dir() const { return dir_; }

  // Fast shutdown (open sessions are cut) and waits for the server to end;
  // Start brings it back on the same data and port and waits until it
  // accepts connections. Both return an empty text on success.
  std::string Stop();  // NOLINT
  std::string Start();

 private:
  PostgresServer() = default;
  std::string Init();

  std::string bin_dir_;
  std::string dir_;
  std::string connection_;
  int port_ = 0;
  pid_t postmaster_ = -1;
  uid_t uid_ = 0;
  gid_t gid_ = 0;
};

// The component's tables, functions and procedures, made by init-db in the
// shared server's own database once per process; the second and later calls
// only return. Empty on success, else why it failed.
std::string LoadPostgresSchema(const PostgresServer& server);

// A database of its own on the shared server, made as "ocg init-db" makes
// one (with the demonstration data when demo), copied from a template built
// once per process. *connection names it. Empty on success, else why not.
std::string CreatePostgresDatabase(const PostgresServer& server, bool demo,
                                   std::string* connection);

// Drops a database CreatePostgresDatabase made, cutting any session still on
// it.
void DropPostgresDatabase(const PostgresServer& server, const std::string& connection);

// The name of the database a connection string names.
std::string DatabaseOf(const std::string& connection);

// Runs sql on the server's own database, outside any test's; empty on
// success, else the statement and why it failed.
std::string RunOnServer(const PostgresServer& server, const std::string& sql);

}  // namespace ocg::testing

#endif  // OCG_TESTS_ODBC_POSTGRES_SERVER_H_
