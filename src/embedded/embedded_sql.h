// embedded/embedded_sql.h: the SQL files compiled into the binary.
#ifndef OCG_EMBEDDED_EMBEDDED_SQL_H_
#define OCG_EMBEDDED_EMBEDDED_SQL_H_

#include <string_view>
#include <utility>
#include <vector>

namespace ocg {

// (file name, content) for schema.sql, demo.sql and every procedure script.
const std::vector<std::pair<std::string_view, std::string_view>>& EmbeddedSqlFiles();

// The text of the file called name among files; empty when the build left it
// out.
inline std::string_view FileNamed(
    const std::vector<std::pair<std::string_view, std::string_view>>& files,
    std::string_view name) {
  for (const auto& [file, text] : files) {
    if (file == name) return text;
  }
  return {};
}

}  // namespace ocg

#endif  // OCG_EMBEDDED_EMBEDDED_SQL_H_
