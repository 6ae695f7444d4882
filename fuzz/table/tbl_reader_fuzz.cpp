// libFuzzer target for the .tbl reader: any bytes, read in the encoding the first
// byte picks (or the one found), are read without a fault; a table saved unchanged
// gives the same bytes, also after a trip through its one-byte view as the grid
// holds it; a table with one entry changed saves to bytes that read back to it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "table/tbl_file.h"

namespace {

std::optional<tarpon::TextEncoding> pickEncoding(uint8_t b) {
    const int pick = b % (tarpon::kTextEncodings + 1);
    if (pick == tarpon::kTextEncodings) return std::nullopt;
    return static_cast<tarpon::TextEncoding>(pick);
}

// The entries a table holds, as the reader would give them back.
bool sameEntries(const tarpon::Table& a, const tarpon::Table& b) {
    if (a.entries().size() != b.entries().size() || a.endTags() != b.endTags()) return false;
    for (const tarpon::TableEntry& entry : a.entries()) {
        const tarpon::TableEntry* other = b.find(entry.key);
        if (!other || !(*other == entry)) return false;
    }
    return true;
}

// Changes the first entry's text and checks that what is saved reads back to the table.
void changeOneEntry(tarpon::Table table, const tarpon::TableSource& source) {
    if (table.entries().empty()) return;
    tarpon::TableEntry changed = table.entries().front();
    changed.text += "x\n";
    table.set(changed);
    tarpon::TextEncoding used{};
    const std::optional<std::string> saved = tarpon::writeTbl(table, source, nullptr, &used);
    if (!saved) return;  // a text the file cannot hold is refused, never written broken
    tarpon::Table back;
    tarpon::readTbl(*saved, back, nullptr, used);
    if (!back.find(changed.key) || !(*back.find(changed.key) == changed)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::optional<tarpon::TextEncoding> encoding = pickEncoding(data[0]);
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    tarpon::Table table;
    tarpon::TableSource source;
    const tarpon::TblReadResult read = tarpon::readTbl(bytes, table, &source, encoding);
    if (read.skipped < static_cast<int>(read.firstSkips.size()) || read.firstSkips.size() > tarpon::kListedSkips ||
        read.firstDuplicates.size() > tarpon::kListedSkips || table.maxKeyLength() > tarpon::kMaxKeyBytes)
        std::abort();
    if (tarpon::writeTbl(table, source) != bytes) std::abort();
    tarpon::Table viewed = table;
    viewed.takeOneByteView(table.oneByteView(), true);
    if (!sameEntries(viewed, table) || tarpon::writeTbl(viewed, source) != bytes) std::abort();
    changeOneEntry(table, source);
    return 0;
}
