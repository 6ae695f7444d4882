#include "script/atlas_pointers.h"

#include <array>
#include <cctype>
#include <string>
#include <utility>

namespace tarpon {
namespace {

uint32_t gameBoy(uint32_t a) {
    const uint32_t bank = a / 0x4000;
    return bank * 0x10000 + (bank == 0 ? a : 0x4000 + a % 0x4000);
}

uint32_t reversed(uint32_t v, int bytes) {
    uint32_t out = 0;
    for (int k = 0; k < bytes; ++k) out = out << 8 | ((v >> (8 * k)) & 0xFF);
    return out;
}

uint32_t mapped(AddressMap map, uint32_t a) {
    switch (map) {
    case AddressMap::LoRom00: return ((a >> 15) << 16) | 0x8000 | (a & 0x7FFF);
    case AddressMap::LoRom80: return (((a >> 15) << 16) | 0x8000 | (a & 0x7FFF)) + 0x800000;
    case AddressMap::HiRom: return a + 0xC00000;
    case AddressMap::Gb: return gameBoy(a);
    case AddressMap::Gb4xxx: return (a / 0x4000) * 0x10000 + 0x4000 + a % 0x4000;
    default: return a;
    }
}

}  // namespace

std::optional<AddressMap> addressMapNamed(std::string_view name) {
    static const std::array<std::pair<std::string_view, AddressMap>, 10> names{{
        {"LINEAR", AddressMap::Linear}, {"LOROM00", AddressMap::LoRom00}, {"LOROM80", AddressMap::LoRom80},
        {"HIROM", AddressMap::HiRom}, {"GB", AddressMap::Gb}, {"GB4XXX", AddressMap::Gb4xxx},
        {"MSB16", AddressMap::Msb16}, {"MSB24", AddressMap::Msb24}, {"MSB32", AddressMap::Msb32},
        {"POINTER_RELATIVE", AddressMap::PointerRelative},
    }};
    std::string upper;
    for (const char c : name) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const auto& [n, map] : names)
        if (n == upper) return map;
    return std::nullopt;
}

uint32_t pointerValue(const PointerKind& kind, int64_t target, int64_t place) {
    const auto a = static_cast<uint32_t>(target - kind.header);
    const auto off = static_cast<uint32_t>(kind.offsetting);
    uint32_t v = 0;
    switch (kind.map) {
    case AddressMap::PointerRelative: v = static_cast<uint32_t>(target - place) - off; break;
    case AddressMap::Msb16: v = reversed(a - off, 2); break;
    case AddressMap::Msb24: v = reversed(a - off, 3); break;
    case AddressMap::Msb32: v = reversed(a - off, 4); break;
    default: v = mapped(kind.map, a) - off;
    }
    return kind.bits >= 32 ? v : v & ((uint32_t{1} << kind.bits) - 1);
}

std::vector<uint8_t> valueBytes(uint32_t value, int bytes, bool bigEndian) {
    std::vector<uint8_t> out(static_cast<size_t>(bytes));
    for (int k = 0; k < bytes; ++k)
        out[static_cast<size_t>(bigEndian ? bytes - 1 - k : k)] = static_cast<uint8_t>(value >> (8 * k));
    return out;
}

}  // namespace tarpon
