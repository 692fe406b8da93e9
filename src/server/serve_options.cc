#include "server/serve_options.h"

#include <arpa/inet.h>

#include <charconv>

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

bool IsLoopbackHost(std::string_view host) {
  if (host == "localhost" || host == "::1") return true;
  in_addr v4;
  if (inet_pton(AF_INET, std::string(host).c_str(), &v4) == 1) {
    return (ntohl(v4.s_addr) >> 24) == 127;
  }
  return false;
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
