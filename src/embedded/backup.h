// embedded/backup.h: a copy of a database file taken while other processes
// read and write it.
#ifndef OCG_EMBEDDED_BACKUP_H_
#define OCG_EMBEDDED_BACKUP_H_

#include <cstdint>
#include <string>

#include "base/status.h"

namespace ocg {

struct BackupOutcome {
  int64_t pages = 0;         // pages copied
  int64_t bytes = 0;         // the copy's size
  double copy_seconds = 0;   // the copy itself: the one step readers and writers share
  double check_seconds = 0;  // the copy's integrity check, on the copy alone
};

// Copies the database file at source into a new file at dest, which must not
// exist: an existing dest is never overwritten, even one that appears while
// the copy is made. The copy is one step of SQLite's online backup under one
// read snapshot, so it is the database as some committed transaction left
// it. In WAL mode (every file ocg init-db makes) writers go on meanwhile; in
// a rollback-journal mode they wait for that one step. The copy must pass
// the integrity check before it takes dest's name; a failed copy leaves
// nothing at dest. The copy keeps the source's schema version.
// The copy is taken on a connection of its own: a process holding the
// file's write lock on another connection (ocg upgrade) gets the database as
// that transaction began.
Status BackupDatabaseFile(const std::string& source, const std::string& dest, BackupOutcome* out);

}  // namespace ocg

#endif  // OCG_EMBEDDED_BACKUP_H_
