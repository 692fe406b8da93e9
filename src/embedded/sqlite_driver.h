// embedded/sqlite_driver.h: the embedded engine, SQLite behind the Driver.
//
// Every statement passes through the dialect bridge first, so the statements
// of both database kinds run unchanged: Oracle functions (NVL, TO_CHAR,
// TO_DATE, sysdate), SQL Server's GETDATE(), "(+)" outer joins, and stored
// procedure calls (EXEC name args), which run the bundled procedure scripts.
// Date columns (declared DATE) come back as date Values.
#ifndef OCG_EMBEDDED_SQLITE_DRIVER_H_
#define OCG_EMBEDDED_SQLITE_DRIVER_H_

#include <memory>
#include <string>

#include "base/status.h"
#include "infra/driver.h"

namespace ocg {

// Opens the existing database file at path, read-write. A missing file, a
// directory or a file that is not a database fails; nothing is ever created.
// So does a file of another schema version than this program's
// (CheckSchemaVersion), unchanged.
Status OpenSqliteDriver(const std::string& path, std::unique_ptr<Driver>* out);

}  // namespace ocg

#endif  // OCG_EMBEDDED_SQLITE_DRIVER_H_
