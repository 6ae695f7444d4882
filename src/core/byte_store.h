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

#if defined(TARPON_CHECK_INDEXES) && defined(__SANITIZE_ADDRESS__)
// The sanitizer build's store: its indexes are checked by the standard library's
// assertions (_GLIBCXX_ASSERTIONS), and the room reserved beyond the bytes in use
// is poisoned, so that AddressSanitizer reports a read or write through data()
// past the last byte as it reports one past a block. Every member that changes
// the size or the block opens the whole block first and poisons the rest after.
class ByteStore : public std::vector<uint8_t, DefaultInitAllocator<uint8_t>> {
    using Base = std::vector<uint8_t, DefaultInitAllocator<uint8_t>>;

public:
    using Base::Base;
    ByteStore() = default;
    ByteStore(const ByteStore& other) : Base(other) {}
    ByteStore(ByteStore&& other) noexcept : Base((other.open(), std::move(other))) { poison(); }
    ~ByteStore() { open(); }
    ByteStore& operator=(const ByteStore& other) { return change([&] { Base::operator=(other); }); }
    ByteStore& operator=(ByteStore&& other) noexcept {
        other.open();
        return change([&] { Base::operator=(std::move(other)); });
    }
    template <class... A> void assign(A&&... a) { change([&] { Base::assign(std::forward<A>(a)...); }); }
    template <class... A> void resize(A&&... a) { change([&] { Base::resize(std::forward<A>(a)...); }); }
    template <class... A> void push_back(A&&... a) { change([&] { Base::push_back(std::forward<A>(a)...); }); }
    template <class... A> auto insert(A&&... a) {
        open();
        auto it = Base::insert(std::forward<A>(a)...);
        poison();
        return it;
    }
    template <class... A> auto erase(A&&... a) {
        open();
        auto it = Base::erase(std::forward<A>(a)...);
        poison();
        return it;
    }
    void reserve(size_t n) { change([&] { Base::reserve(n); }); }
    void shrink_to_fit() { change([&] { Base::shrink_to_fit(); }); }
    void clear() { change([&] { Base::clear(); }); }

private:
    template <class F> ByteStore& change(F f) {
        open();
        f();
        poison();
        return *this;
    }
    void open() const;
    void poison() const;
};
#else
using ByteStore = std::vector<uint8_t, DefaultInitAllocator<uint8_t>>;
#endif

}  // namespace tarpon
