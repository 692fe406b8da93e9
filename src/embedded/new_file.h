// embedded/new_file.h: a database file made under a temporary name beside its
// path and moved into place only when whole, never over an existing file.
//
// Two makers racing for one path cannot both succeed, and a maker killed
// midway leaves at most a "PATH.partial-XXXXXX" file, never a half-made file
// at PATH. ocg init-db, ocg backup and the backup ocg upgrade takes all make
// their files this way.
#ifndef OCG_EMBEDDED_NEW_FILE_H_
#define OCG_EMBEDDED_NEW_FILE_H_

#include <cstdint>
#include <string>

#include "base/status.h"

namespace ocg {

// The automation error number for "File already exists".
inline constexpr int64_t kFileAlreadyExists = 58;
// The automation error number for "Path/File access error".
inline constexpr int64_t kPathAccessError = 75;

// Fails with kFileAlreadyExists when anything (a file, a link, a directory)
// is at path.
Status RefuseExisting(const std::string& path);

// Creates an empty file "PATH.partial-XXXXXX" (mode 0644) and names it in
// *temp.
Status MakeTempBeside(const std::string& path, std::string* temp);

// Flushes temp to disk and gives it the name path, unless path exists by
// then (kFileAlreadyExists; temp is left for the caller to remove).
Status PublishNewFile(const std::string& temp, const std::string& path);

// Removes a database file and its side files (-wal, -shm, -journal).
void RemoveDatabaseFiles(const std::string& path);

}  // namespace ocg

#endif  // OCG_EMBEDDED_NEW_FILE_H_
