#include "odbc/postgres_catalog.h"

#include <string>

namespace ocg {

Status QueryInteger(Driver& db, std::string_view sql, int32_t* out) {
  RowSet rows;
  OCG_RETURN_IF_ERROR(db.Run(sql, &rows, nullptr));
  if (rows.rows.empty() || rows.rows[0].empty()) return Status::Error("no row came back", 0);
  *out = 0;
  if (rows.rows[0][0].is_null()) return Status();
  OCG_ASSIGN_OR_RETURN(*out, rows.rows[0][0].ToInt32());
  return Status();
}

bool IsPostgres(Driver& db) {
  int32_t found = 0;
  return QueryInteger(db,
                      "SELECT COUNT(*) FROM pg_catalog.pg_namespace WHERE nspname = 'pg_catalog'",
                      &found)
             .ok() &&
         found == 1;
}

Status HasTable(Driver& db, std::string_view table, bool* has) {
  int32_t count = 0;
  OCG_RETURN_IF_ERROR(QueryInteger(db,
                                   "SELECT COUNT(*) FROM information_schema.tables WHERE "
                                   "table_schema = current_schema() AND table_name = '" +
                                       std::string(table) + "'",
                                   &count));
  *has = count > 0;
  return Status();
}

}  // namespace ocg
