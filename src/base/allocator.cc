#include "base/allocator.h"

#include <malloc.h>

namespace ocg {

void KeepFreedMemoryForReuse() {
  // glibc trims the heap top once 128 KiB are free there; 256 MiB keeps the
  // working set of any one call. Large blocks still come from mmap and go back
  // when freed.
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
}

}  // namespace ocg
