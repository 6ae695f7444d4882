#include "core/byte_store.h"

#include <sys/mman.h>

#include <cstdlib>

#if defined(TARPON_CHECK_INDEXES) && defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace tarpon {

// The block is rounded up to whole huge pages so that the advice covers only memory
// that belongs to it; pages never touched still cost no memory.
void* allocateLarge(size_t bytes) {
    const size_t rounded = (bytes + kHugePageSize - 1) / kHugePageSize * kHugePageSize;
    void* p = nullptr;
    if (rounded < bytes || ::posix_memalign(&p, kHugePageSize, rounded) != 0) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    ::madvise(p, rounded, MADV_HUGEPAGE);  // advice only: without it the block still works
#endif
    return p;
}

void freeLarge(void* p, size_t) noexcept { std::free(p); }

#if defined(TARPON_CHECK_INDEXES) && defined(__SANITIZE_ADDRESS__)
void ByteStore::open() const {
    if (capacity() > 0) ASAN_UNPOISON_MEMORY_REGION(data(), capacity());
}
void ByteStore::poison() const {
    if (capacity() > size()) ASAN_POISON_MEMORY_REGION(data() + size(), capacity() - size());
}
#endif

}  // namespace tarpon
