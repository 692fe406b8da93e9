// cli/database_argument.h: what a command's DATABASE argument names.
//
// ocg init-db, ocg upgrade and ocg backup take an embedded file as a bare
// path or as "Data Source=PATH", and the first two also a server database's
// ODBC connection string (Driver=... or DSN=...). A connection string is
// never taken for a file name.
#ifndef OCG_CLI_DATABASE_ARGUMENT_H_
#define OCG_CLI_DATABASE_ARGUMENT_H_

#include <string>

#include "base/status.h"

namespace ocg {

struct DatabaseArgument {
  bool odbc = false;  // text is an ODBC connection string
  std::string path;   // the embedded file, when not odbc
};

// Fails for a connection string that names neither a file nor an ODBC
// driver or DSN; the message, after the command's name, says what it takes.
Status ParseDatabaseArgument(const std::string& text, DatabaseArgument* out);

}  // namespace ocg

#endif  // OCG_CLI_DATABASE_ARGUMENT_H_
