// Freed memory stays in the heap for the next round instead of going back to
// the system and faulting in again, so a timed round does not pay the
// kernel's page clearing for memory an earlier round already touched.
#pragma once

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace rava::bench {

inline void KeepFreedMemory() {
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
}

}  // namespace rava::bench
