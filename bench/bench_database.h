// bench_database.h: a fresh demo database for a benchmark program, in /tmp
// (or the directory given), removed (with its -wal and -shm files) when the
// program ends.
#ifndef OCG_BENCH_BENCH_DATABASE_H_
#define OCG_BENCH_BENCH_DATABASE_H_

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "embedded/database.h"

namespace ocg {

class BenchDatabase {
 public:
  explicit BenchDatabase(std::string_view name, std::string_view dir = "/tmp")
      : path_(std::string(dir) + "/ocg-" + std::string(name) + "-" + std::to_string(getpid()) +
              ".db") {
    Remove();
    if (!CreateDatabase(path_, /*demo=*/true).ok()) std::abort();
  }
  ~BenchDatabase() { Remove(); }
  const std::string& path() const { return path_; }

 private:
  void Remove() const {
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path_ + suffix);
  }
  std::string path_;
};

}  // namespace ocg

#endif  // OCG_BENCH_BENCH_DATABASE_H_
