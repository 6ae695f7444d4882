// libFuzzer target for tables of bit keys: any bytes up to the first NUL are read as
// a table (refused or read without a fault); the bytes after it are data, dumped
// through the table as strings, and the dumped text, its lines joined as an insert
// joins them, must spell back to the same bits.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/bit_table.h"
#include "script/bit_dump.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t split = std::min(input.find('\0'), input.size());
    std::string problem;
    const std::optional<tarpon::BitTable> table = tarpon::BitTable::read(input.substr(0, split), problem);
    if (!table) {
        if (problem.empty()) std::abort();
        return 0;
    }
    const std::span<const uint8_t> doc(data + std::min(split + 1, size), size - std::min(split + 1, size));
    if (doc.empty() || doc.size() > 512) return 0;
    const tarpon::BitString s = tarpon::readBitStrings(*table, doc, 0, static_cast<int64_t>(doc.size()), 0);
    std::string joined = s.text;  // as an insert joins a script's lines
    std::erase(joined, '\n');
    std::vector<tarpon::BitPiece> pieces;
    if (!table->spell(joined, pieces)) std::abort();
    tarpon::BitPacker packer;
    for (const tarpon::BitPiece& p : pieces) packer.put(table->bitsOf(p));
    if (packer.bitCount() != s.end) std::abort();
    for (uint64_t bit = 0; bit < s.end; ++bit)
        if (tarpon::bitAt(packer.bytes(), bit) != tarpon::bitAt(doc, bit)) std::abort();
    return 0;
}
