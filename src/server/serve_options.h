// server/serve_options.h: how `ocg serve` is configured, and the checks that
// keep its defaults safe.
//
//   ocg serve [--listen HOST:PORT] [--db NAME=CONNECTION_STRING ...]
//             [--kind ORACLE|SQLSERVER] [--user ID] [--tokens FILE] [--workers N]
//             [--max-body BYTES] [--request-timeout SECONDS] [--max-connections N]
//             [--max-connections-per-address N] [--allow-remote]
//             [--allow-connection-strings]
//
// Callers name a database by the NAME of a --db entry (the first is the
// default); they never hand the server a connection string or a path unless
// it was started with --allow-connection-strings. A call that names no user
// runs as --user (with --tokens, every call runs as its token's user). Without --tokens the server
// listens on loopback addresses only, unless --allow-remote says otherwise.
#ifndef OCG_SERVER_SERVE_OPTIONS_H_
#define OCG_SERVER_SERVE_OPTIONS_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"

namespace ocg {

struct DatabaseEntry {
  std::string name;        // what callers say
  std::string connection;  // what the component receives
};

struct ServeOptions {
  std::string host = "127.0.0.1";
  int port = 8080;  // 0 picks a free port
  std::vector<DatabaseEntry> databases;
  std::string kind = "ORACLE";  // for calls that leave the kind out
  std::string user;             // for calls that leave the user out; empty: none
  std::string tokens_file;      // empty: no tokens
  int workers = 8;              // calls served at once
  size_t max_body = 1 << 20;    // bytes of a request body
  double request_timeout = 10;  // seconds from a request's first byte to its last
  int max_connections = 1000;
  int max_connections_per_address = 500;
  bool allow_remote = false;
  bool allow_connection_strings = false;
};

// The database used when no --db is given: the demo file in the working
// directory, as the quick start creates it.
inline constexpr std::string_view kDefaultDatabaseName = "demo";
inline constexpr std::string_view kDefaultDatabaseConnection = "Data Source=demo.db";

// "HOST:PORT", "[V6ADDR]:PORT" or ":PORT" (loopback).
Status ParseListenAddress(std::string_view text, std::string* host, int* port);

// "NAME=CONNECTION_STRING"; the name is letters, digits, '_' and '-'.
Status ParseDatabaseEntry(std::string_view text, DatabaseEntry* out);

// True when host resolves, and only to loopback addresses (127.0.0.0/8, ::1).
bool IsLoopbackHost(const std::string& host);

// Fills the default database when none is given and refuses what is unsafe
// or meaningless: a remote listen address without tokens (unless
// allow_remote), duplicate database names, workers outside 1..256, a user
// that is not a whole number, a request timeout outside 0.1..3600 s,
// connection limits below 1.
Status CheckServeOptions(ServeOptions* options);

}  // namespace ocg

#endif  // OCG_SERVER_SERVE_OPTIONS_H_
