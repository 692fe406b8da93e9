// base/allocator.h: how the process's allocator treats memory it frees.
#ifndef OCG_BASE_ALLOCATOR_H_
#define OCG_BASE_ALLOCATOR_H_

namespace ocg {

// Keeps freed memory in the process for the next call instead of handing it
// back to the kernel each time the heap's top frees up. A call that reads a
// large result (ten thousand programmes is a few megabytes of rows) otherwise
// pays for faulting the same pages back in on every call, and its cost per
// row grows with the result. Call once at start-up, before any thread.
void KeepFreedMemoryForReuse();

}  // namespace ocg

#endif  // OCG_BASE_ALLOCATOR_H_
