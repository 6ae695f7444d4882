#pragma once
// What making or applying a patch gives: the bytes, or why there are none.
#include <cstdint>
#include <string>
#include <vector>

#include "core/byte_store.h"

namespace tarpon {

struct PatchResult {
    ByteStore bytes;     // the patch made, or the file a patch gave
    std::string error;   // for the user; empty when it worked
    bool ok() const { return error.empty(); }
};

}  // namespace tarpon
