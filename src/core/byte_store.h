#pragma once
// The document's storage. Growing it does not zero-fill by itself: loading writes
// every byte anyway, and the callers that must zero new bytes do so explicitly.
// Large blocks are asked for in huge pages: the first touch of each 4 KiB page costs
// a fault, which on virtual machines makes reading a whole document into fresh
// memory, and the first move of it, many times slower than the copy itself.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

namespace tarpon {

// Blocks of at least this many bytes are aligned to it and marked for huge pages.
inline constexpr size_t kHugePageSize = size_t{2} << 20;

void* allocateLarge(size_t bytes);
void freeLarge(void* p, size_t bytes) noexcept;

template <class T>
struct DefaultInitAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = DefaultInitAllocator<U>;
    };
    using std::allocator<T>::allocator;
    T* allocate(size_t n) {
        if (n >= kHugePageSize / sizeof(T)) return static_cast<T*>(allocateLarge(n * sizeof(T)));
        return std::allocator<T>::allocate(n);
    }
    void deallocate(T* p, size_t n) noexcept {
        if (n >= kHugePageSize / sizeof(T)) freeLarge(p, n * sizeof(T));
        else std::allocator<T>::deallocate(p, n);
    }
    template <class U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

using ByteStore = std::vector<uint8_t, DefaultInitAllocator<uint8_t>>;

}  // namespace tarpon
