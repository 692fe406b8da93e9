#include "server/serve_options.h"

#include <arpa/inet.h>
#include <netdb.h>

#include <charconv>
#include <memory>

#include "cli/dispatch.h"

namespace ocg {

Status ParseListenAddress(std::string_view text, std::string* host, int* port) {
  size_t colon = text.rfind(':');
  if (colon == std::string_view::npos) {
    return Status::Error("--listen takes HOST:PORT, e.g. 127.0.0.1:8080", 22);
  }
  std::string_view h = text.substr(0, colon);
  std::string_view p = text.substr(colon + 1);
  if (h.size() >= 2 && h.front() == '[' && h.back() == ']') h = h.substr(1, h.size() - 2);
  int value = -1;
  auto [end, ec] = std::from_chars(p.data(), p.data() + p.size(), value);
  if (p.empty() || ec != std::errc() || end != p.data() + p.size() || value < 0 || value > 65535) {
    return Status::Error("--listen: the port must be a number from 0 to 65535", 22);
  }
  *host = h.empty() ? "127.0.0.1" : std::string(h);
  *port = value;
  return Status();
}

Status ParseDatabaseEntry(std::string_view text, DatabaseEntry* out) {
  size_t eq = text.find('=');
  if (eq == std::string_view::npos || eq == 0 || eq + 1 == text.size()) {
    return Status::Error("--db takes NAME=CONNECTION_STRING, e.g. demo=\"Data Source=demo.db\"",
                         22);
  }
  std::string_view name = text.substr(0, eq);
  for (char c : name) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '_' || c == '-';
    if (!ok) {
      return Status::Error("--db: a database name is letters, digits, '_' and '-' only", 22);
    }
  }
  out->name = std::string(name);
  out->connection = std::string(text.substr(eq + 1));
  return Status();
}

bool IsLoopbackHost(const std::string& host) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0) return false;
  const std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> owner(found, &freeaddrinfo);
  for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
    if (a->ai_family == AF_INET) {
      const in_addr v4 = reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr;
      if ((ntohl(v4.s_addr) >> 24) != 127) return false;
    } else if (a->ai_family == AF_INET6) {
      const in6_addr& v6 = reinterpret_cast<const sockaddr_in6*>(a->ai_addr)->sin6_addr;
      if (!IN6_IS_ADDR_LOOPBACK(&v6)) return false;
    } else {
      return false;
    }
  }
  return true;
}

Status CheckServeOptions(ServeOptions* options) {
  if (options->databases.empty()) {
    options->databases.push_back(
        {std::string(kDefaultDatabaseName), std::string(kDefaultDatabaseConnection)});
  }
  for (size_t i = 0; i < options->databases.size(); ++i) {
    for (size_t j = 0; j < i; ++j) {
      if (options->databases[i].name == options->databases[j].name) {
        return Status::Error("--db: the name '" + options->databases[i].name + "' is given twice",
                             22);
      }
    }
  }
  if (options->workers < 1 || options->workers > 256) {
    return Status::Error("--workers must be from 1 to 256", 22);
  }
  if (!options->user.empty() && !ParseUserId(options->user)) {
    return Status::Error("--user takes a user identifier, a whole number", 22);
  }
  if (options->max_body < 1024) return Status::Error("--max-body must be at least 1024", 22);
  if (!(options->request_timeout >= 0.1 && options->request_timeout <= 3600)) {
    return Status::Error("--request-timeout must be from 0.1 to 3600 seconds", 22);
  }
  if (options->max_connections < 1 || options->max_connections_per_address < 1) {
    return Status::Error("--max-connections and --max-connections-per-address must be at least 1",
                         22);
  }
  if (!IsLoopbackHost(options->host) && options->tokens_file.empty() && !options->allow_remote) {
    return Status::Error(
        "refusing to listen on " + options->host +
            " without access tokens: anyone who reaches it could call every operation as any "
            "user. Give --tokens FILE, or --allow-remote if a proxy in front checks callers",
        22);
  }
  return Status();
}

}  // namespace ocg
