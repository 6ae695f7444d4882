#pragma once
// Pointers: a file offset stored as a number of 1 to 4 bytes in either byte order,
// with a number added to the stored value to give the offset (negative too). The one
// codec of pointers: Find Pointers, Follow Pointer, the script dump and the insert.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tarpon {

// How pointers are stored: kept while the program runs, shared by the pointer commands.
struct PointerSettings {
    int size = 2;            // bytes: 1 to 4
    bool bigEndian = false;
    int64_t add = 0;         // file offset = stored value + add
};

// The low `size` bytes of `value` into out[0, size), in the byte order.
inline void putPointerValue(uint64_t value, int size, bool bigEndian, uint8_t* out) {
    for (int k = 0; k < size; ++k) out[bigEndian ? size - 1 - k : k] = static_cast<uint8_t>(value >> (8 * k));
}

// The number bytes[0, size) hold, in the byte order; `bytes` holds at least size bytes.
inline uint64_t pointerValue(std::span<const uint8_t> bytes, int size, bool bigEndian) {
    uint64_t value = 0;
    for (int k = 0; k < size; ++k) value = value << 8 | bytes[static_cast<size_t>(bigEndian ? k : size - 1 - k)];
    return value;
}

// The bytes that point at `offset`, or nothing when the value (offset - add) does
// not fit in `size` bytes.
inline std::optional<std::vector<uint8_t>> encodePointer(int64_t offset, const PointerSettings& p) {
    const int64_t value = offset - p.add;
    if (p.size < 1 || p.size > 4 || value < 0 || value >= (int64_t{1} << (8 * p.size))) return std::nullopt;
    std::vector<uint8_t> bytes(static_cast<size_t>(p.size));
    putPointerValue(static_cast<uint64_t>(value), p.size, p.bigEndian, bytes.data());
    return bytes;
}

// The offset the pointer at bytes[0, size) points at.
inline int64_t decodePointer(std::span<const uint8_t> bytes, const PointerSettings& p) {
    return static_cast<int64_t>(pointerValue(bytes, p.size, p.bigEndian)) + p.add;
}

}  // namespace tarpon
