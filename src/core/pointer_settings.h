#pragma once
// How pointers are stored: kept while the program runs, shared by the pointer commands.
#include <cstdint>

namespace tarpon {

struct PointerSettings {
    int size = 2;            // bytes: 2, 3 or 4
    bool bigEndian = false;
    int64_t add = 0;         // file offset = stored value + add
};

}  // namespace tarpon
