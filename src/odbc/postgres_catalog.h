// odbc/postgres_catalog.h: what ocg init-db and ocg upgrade ask a PostgreSQL
// database before they change it, through the ODBC engine.
#ifndef OCG_ODBC_POSTGRES_CATALOG_H_
#define OCG_ODBC_POSTGRES_CATALOG_H_

#include <cstdint>
#include <string_view>

#include "base/status.h"
#include "infra/driver.h"

namespace ocg {

// The first column of the first row of sql as a whole number; 0 when null.
Status QueryInteger(Driver& db, std::string_view sql, int32_t* out);

// Whether the server behind db is PostgreSQL (it has the pg_catalog schema).
bool IsPostgres(Driver& db);

// Whether the current schema holds a table of that (lower-case) name.
Status HasTable(Driver& db, std::string_view table, bool* has);

}  // namespace ocg

#endif  // OCG_ODBC_POSTGRES_CATALOG_H_
