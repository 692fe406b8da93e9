// embedded/database.h: creating an embedded database file.
#ifndef OCG_EMBEDDED_DATABASE_H_
#define OCG_EMBEDDED_DATABASE_H_

#include <string>

#include "base/status.h"

namespace ocg {

// Creates the database at path with every table and view of the schema and
// the single INFRA_IDS row; with demo, fills it with the demonstration data
// set. Fails when path already exists.
Status CreateDatabase(const std::string& path, bool demo);

}  // namespace ocg

#endif  // OCG_EMBEDDED_DATABASE_H_
