// odbc/postgres_setup.h: creating the component's database on a PostgreSQL
// server.
#ifndef OCG_ODBC_POSTGRES_SETUP_H_
#define OCG_ODBC_POSTGRES_SETUP_H_

#include <string_view>
#include <utility>
#include <vector>

#include "base/status.h"

namespace ocg {

// (file name, content) of src/odbc/postgresql/*.sql, compiled in.
const std::vector<std::pair<std::string_view, std::string_view>>& PostgresSqlFiles();

// Creates in the empty PostgreSQL database that connection_string names
// (through ODBC) every table and view, the functions the statements rely on
// and the stored procedures, and with demo the demonstration data set of the
// embedded database, and records the current schema version
// (odbc/postgres_upgrade.h); all in one transaction. A server that is not PostgreSQL
// is refused, and so is a database that already holds the component's
// tables: then nothing is changed.
Status CreatePostgresDatabase(std::string_view connection_string, bool demo);

}  // namespace ocg

#endif  // OCG_ODBC_POSTGRES_SETUP_H_
