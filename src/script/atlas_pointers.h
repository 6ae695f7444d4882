#pragma once
// Pointer values as insertion scripts compute them: the file offset pointed to,
// less the header, mapped to the machine's address space, less a custom pointer's
// offsetting, cut to the pointer's size. All arithmetic wraps at 32 bits.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tarpon {

enum class AddressMap {
    Linear,           // the address is the offset less the header
    LoRom00,          // SNES LoROM, banks from $00: 32 KiB per bank at $8000
    LoRom80,          // the same from bank $80
    HiRom,            // SNES HiROM: + $C00000
    Gb,               // Game Boy: bank 0 at $0000, every later bank at $4000-$7FFF
    Gb4xxx,           // Game Boy, every bank at $4000-$7FFF
    Msb16,            // the linear address, its bytes reversed (a fork's big-endian pointers)
    Msb24,
    Msb32,
    PointerRelative,  // the distance from the pointer's own place (abcde)
};

// "LINEAR", "LOROM00", … "POINTER_RELATIVE" in any case.
std::optional<AddressMap> addressMapNamed(std::string_view name);

// How a pointer's value is made: its map, the offsetting subtracted, its size in
// bits (8, 16, 24 or 32) and the header subtracted from the offset first.
struct PointerKind {
    AddressMap map = AddressMap::Linear;
    int64_t offsetting = 0;
    int bits = 32;
    int64_t header = 0;
};

// The value of a pointer of `kind` at file offset `place` to file offset `target`.
uint32_t pointerValue(const PointerKind& kind, int64_t target, int64_t place);

// `bytes` bytes of `value`, lowest first, or highest first with `bigEndian`.
std::vector<uint8_t> valueBytes(uint32_t value, int bytes, bool bigEndian);

}  // namespace tarpon
