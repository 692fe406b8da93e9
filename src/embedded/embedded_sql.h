// embedded/embedded_sql.h: the SQL files compiled into the binary.
#ifndef OCG_EMBEDDED_EMBEDDED_SQL_H_
#define OCG_EMBEDDED_EMBEDDED_SQL_H_

#include <string_view>
#include <utility>
#include <vector>

namespace ocg {

// (file name, content) for schema.sql, demo.sql and every procedure script.
const std::vector<std::pair<std::string_view, std::string_view>>& EmbeddedSqlFiles();

}  // namespace ocg

#endif  // OCG_EMBEDDED_EMBEDDED_SQL_H_
