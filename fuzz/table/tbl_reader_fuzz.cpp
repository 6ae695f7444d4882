// libFuzzer target for the .tbl reader: any bytes are read without a fault, and
// what is read survives writing and reading back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "table/tbl_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    tarpon::CharTable table;
    tarpon::readTbl(text, table);
    tarpon::CharTable back;
    tarpon::readTbl(tarpon::writeTbl(table), back);
    if (back != table) std::abort();
    return 0;
}
