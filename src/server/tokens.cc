#include "server/tokens.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "cli/dispatch.h"

namespace ocg {
namespace {

constexpr size_t kMinTokenLength = 16;

bool SameText(std::string_view a, std::string_view b) {
  unsigned char diff = a.size() == b.size() ? 0 : 1;
  for (size_t i = 0; i < a.size(); ++i) {
    diff |= static_cast<unsigned char>(a[i] ^ (i < b.size() ? b[i] : 0));
  }
  return diff == 0;
}

Status LineError(int line, const std::string& what) {
  return Status::Error("tokens file, line " + std::to_string(line) + ": " + what, 22);
}

}  // namespace

Status TokenTable::Load(const std::string& path, TokenTable* out) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    return Status::Error("cannot read the tokens file " + path + ": " + std::strerror(errno), 2);
  }
  if ((st.st_mode & (S_IROTH | S_IWOTH | S_IWGRP)) != 0) {
    return Status::Error(
        "the tokens file " + path + " can be read or changed by other users; chmod 600 it first",
        13);
  }
  std::ifstream in(path);
  if (!in) return Status::Error("cannot read the tokens file " + path, 2);
  std::ostringstream text;
  text << in.rdbuf();
  return Parse(text.str(), out);
}

Status TokenTable::Parse(std::string_view text, TokenTable* out) {
  TokenTable table;
  int line_no = 0;
  while (!text.empty()) {
    ++line_no;
    size_t eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
    line = line.substr(0, line.find('#'));
    std::vector<std::string_view> fields;
    size_t i = 0;
    while (i < line.size()) {
      while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
      size_t start = i;
      while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
      if (i > start) fields.push_back(line.substr(start, i - start));
    }
    if (fields.empty()) continue;
    if (fields.size() != 2) return LineError(line_no, "expected TOKEN USER_ID");
    if (fields[0].size() < kMinTokenLength) {
      return LineError(line_no, "a token must be at least 16 characters long");
    }
    std::optional<int32_t> user = ParseUserId(fields[1]);
    if (!user || *user <= 0) return LineError(line_no, "the user must be a positive whole number");
    for (const auto& [token, ignored] : table.entries_) {
      if (token == fields[0]) return LineError(line_no, "this token is given twice");
    }
    table.entries_.emplace_back(std::string(fields[0]), *user);
  }
  if (table.entries_.empty()) return Status::Error("the tokens file holds no token", 22);
  *out = std::move(table);
  return Status();
}

std::optional<int32_t> TokenTable::UserOf(std::string_view authorization) const {
  constexpr std::string_view kScheme = "Bearer ";
  if (authorization.size() <= kScheme.size() ||
      !std::equal(kScheme.begin(), kScheme.end(), authorization.begin(),
                  [](char a, char b) { return std::tolower(a) == std::tolower(b); })) {
    return std::nullopt;
  }
  std::string_view given = authorization.substr(kScheme.size());
  std::optional<int32_t> found;
  for (const auto& [token, user] : entries_) {
    if (SameText(given, token) && !found) found = user;
  }
  return found;
}

}  // namespace ocg
