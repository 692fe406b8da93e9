// embedded/schema_shape.h: a database's schema as comparable lines.
//
// Two files have the same schema when they have the same tables (with their
// options), the same columns in the same order (name, declared type, NOT
// NULL, default, key), the same indexes (unique or not, key columns with
// their order and collation, the condition of a partial one), and the same
// views and triggers (their statements, blanks aside). A table's CREATE text
// is not compared: ALTER TABLE ADD COLUMN writes the column into it
// differently from a new file's, to the same effect. SQLite's own tables
// (sqlite_stat1 from ANALYZE) are left out. Nor are CHECK constraints or a
// column's own collation compared: the schema declares none.
#ifndef OCG_EMBEDDED_SCHEMA_SHAPE_H_
#define OCG_EMBEDDED_SCHEMA_SHAPE_H_

#include <sqlite3.h>

#include <cstddef>
#include <string>
#include <vector>

#include "base/status.h"

namespace ocg {

// One line per table, column, index, view and trigger of db's main
// database, in a fixed order.
Status DescribeSchema(sqlite3* db, std::vector<std::string>* lines);

// "" when the two are the same; else the first few lines each lacks, as
// "missing: ...; not expected: ...". *count, when given, gets how many
// lines differ.
std::string SchemaDifference(const std::vector<std::string>& have,
                             const std::vector<std::string>& want, size_t* count = nullptr);

}  // namespace ocg

#endif  // OCG_EMBEDDED_SCHEMA_SHAPE_H_
