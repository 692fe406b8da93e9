// embedded/new_file.cc: temporary names, and the rename that never replaces.
#include "embedded/new_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ocg {
namespace {

Status AccessError(const std::string& path) {
  return Status::Error("Cannot create database file " + path + ": " + std::strerror(errno),
                       kPathAccessError);
}

Status AlreadyExists(const std::string& path) {
  return Status::Error("Database file already exists: " + path, kFileAlreadyExists);
}

}  // namespace

Status RefuseExisting(const std::string& path) {
  struct stat existing;
  return ::lstat(path.c_str(), &existing) == 0 ? AlreadyExists(path) : Status();
}

Status MakeTempBeside(const std::string& path, std::string* temp) {
  *temp = path + ".partial-XXXXXX";
  int fd = ::mkstemp(temp->data());
  if (fd < 0) return AccessError(path);
  ::fchmod(fd, 0644);
  ::close(fd);
  return Status();
}

Status PublishNewFile(const std::string& temp, const std::string& path) {
  // fsync first, so that the name never points at a file whose content is
  // still only in the page cache.
  int fd = ::open(temp.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
  int rc = ::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE);
  if (rc != 0 && errno == EINVAL) {  // a file system without it: link, then drop the name
    rc = ::link(temp.c_str(), path.c_str());
    if (rc == 0) ::unlink(temp.c_str());
  }
  if (rc == 0) return Status();
  return errno == EEXIST ? AlreadyExists(path) : AccessError(path);
}

void RemoveDatabaseFiles(const std::string& path) {
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    ::unlink((path + suffix).c_str());
  }
}

}  // namespace ocg
