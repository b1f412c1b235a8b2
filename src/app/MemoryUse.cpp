#include "app/MemoryUse.h"

#include <cstdlib> // defines __GLIBC__ on GNU systems

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void mapBigBlocksFromTheSystem() {
#if defined(__GLIBC__)
    // A fixed threshold also ends the library's raising of it.
    mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
#endif
}
