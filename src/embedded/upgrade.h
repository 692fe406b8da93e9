// embedded/upgrade.h: bringing a database file of an earlier schema version
// to the current one (embedded/schema_versions.h).
#ifndef OCG_EMBEDDED_UPGRADE_H_
#define OCG_EMBEDDED_UPGRADE_H_

#include <string>
#include <vector>

#include "base/status.h"
#include "embedded/schema_versions.h"

namespace ocg {

// Brings the file at path from its version to the last of steps (1 to N,
// EmbeddedSchemaSteps() outside tests), in one transaction taken with the
// write lock, after copying the file as it was to "PATH.vK-YYYYMMDD-HHMMSS.bak"
// beside it. Every row is kept. Before committing, the file's schema must be
// the one a new file has (schema.sql); otherwise nothing is kept.
//
// A file at version N is left alone (no copy). A file of a newer version,
// one that ocg did not make (version 0), a failed step or a failed check
// leave the file as it was, at its version, and return the error; the copy
// is then removed, unless the rollback itself failed.
//
// Files made before versions were counted all say version 1 whatever their
// schema; such a file is taken to be at the version whose schema it has
// (steps 1 to k), and refused when it has none of them.
Status UpgradeDatabaseFile(const std::string& path, const std::vector<SchemaStep>& steps,
                           UpgradeOutcome* out);

}  // namespace ocg

#endif  // OCG_EMBEDDED_UPGRADE_H_
