// odbc/odbc_driver.h: the production engine, any database behind an ODBC
// driver (unixODBC), as a Driver.
//
// A connection string that names a Driver or a DSN is handed to the driver
// manager unchanged, and so is every statement: no dialect is bridged, so
// the database itself must understand what the operations send (its stored
// procedures included). Statements that run several statements, or
// procedures that report row counts first, give the first result that has
// columns; the later ones are still run to their end, so the procedure does
// all its work, and an error in any of them fails the statement.
//
// Transactions: autocommit between operations; Begin switches it off for
// the operation and Commit/Rollback end the transaction and switch it back
// on. A writer's Begin first updates the one row of INFRA_IDS onto itself:
// that row lock makes writers queue, so a read followed by an update
// (identifier counters, tonnage) cannot interleave with another writer's, in
// this process or another.
//
// A connection whose link is lost is not reused (Reusable() false). When the
// link turns out lost on the first statement after a transaction ended (a
// pooled connection the server dropped while it was idle), the connection
// is opened again and the statement sent once more: nothing of a
// transaction can be lost then.
#ifndef OCG_ODBC_ODBC_DRIVER_H_
#define OCG_ODBC_ODBC_DRIVER_H_

#include <memory>
#include <string_view>

#include "base/status.h"
#include "infra/driver.h"

namespace ocg {

// Connects with connection_string through the driver manager, without
// prompting. A failure carries the driver's diagnostics.
Status OpenOdbcDriver(std::string_view connection_string, std::unique_ptr<Driver>* out);

}  // namespace ocg

#endif  // OCG_ODBC_ODBC_DRIVER_H_
