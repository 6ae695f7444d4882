// libFuzzer target for the .tbl reader: any bytes are read without a fault; what
// is read can be saved, and a saved table reads back to the same entries with no
// line skipped.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "table/tbl_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    tarpon::CharTable table;
    const tarpon::TblReadResult read = tarpon::readTbl(text, table);
    if (read.entries < 0 || read.entries > 256 || read.skipped < static_cast<int>(read.firstSkips.size()) ||
        read.firstSkips.size() > tarpon::kListedSkips)
        std::abort();
    if (tarpon::unwritableEntry(table) >= 0) std::abort();
    int filled = 0;
    for (const std::string& entry : table) filled += entry.empty() ? 0 : 1;
    tarpon::CharTable back;
    const tarpon::TblReadResult again = tarpon::readTbl(tarpon::writeTbl(table), back);
    if (back != table || again.skipped != 0 || again.entries != filled) std::abort();
    return 0;
}
