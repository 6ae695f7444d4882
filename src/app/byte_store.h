#pragma once
// The document's storage. Growing it does not zero-fill by itself: loading writes
// every byte anyway, and the callers that must zero new bytes do so explicitly.
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

namespace tarpon {

template <class T>
struct DefaultInitAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = DefaultInitAllocator<U>;
    };
    using std::allocator<T>::allocator;
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
