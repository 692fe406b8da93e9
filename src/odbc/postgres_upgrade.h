// odbc/postgres_upgrade.h: bringing a PostgreSQL database made by an earlier
// ocg to the current schema version, with the same numbered steps as the
// embedded file (embedded/schema_versions.h) written for PostgreSQL
// (src/odbc/postgresql/upgrade/).
#ifndef OCG_ODBC_POSTGRES_UPGRADE_H_
#define OCG_ODBC_POSTGRES_UPGRADE_H_

#include <string_view>
#include <utility>
#include <vector>

#include "base/status.h"
#include "embedded/schema_versions.h"

namespace ocg {

// (file name, content) of src/odbc/postgresql/upgrade/*.sql, compiled in.
const std::vector<std::pair<std::string_view, std::string_view>>& PostgresUpgradeFiles();

// Runs, in one transaction, the PostgreSQL steps above the database's
// version: the highest VERSAO_ESQUEMA row, or 1 for a database made before
// versions were recorded (which has no such table; the steps leave alone
// what such a database already holds). Each step records its version. A
// database at the current version is left alone; one of a newer version, a
// server that is not PostgreSQL, a database without the component's tables
// or a failed step leave it as it was. No copy is taken: that is the DBA's
// (pg_dump).
Status UpgradePostgresDatabase(std::string_view connection_string, UpgradeOutcome* out);

}  // namespace ocg

#endif  // OCG_ODBC_POSTGRES_UPGRADE_H_
