#pragma once
// IPS patches: "PATCH", records of a 3-byte offset and a 2-byte length followed by
// that many bytes (or, with length 0, a 2-byte count and one byte repeated), "EOF",
// and, when the patched file is shorter, its size in 3 bytes. Offsets are 24-bit,
// so the files may be at most 16 MiB.
#include <span>

#include "patch/patch_result.h"

namespace tarpon {

inline constexpr uint64_t kMaxIpsFileSize = uint64_t{1} << 24;
// A record may not start here: its offset would read as "EOF".
inline constexpr uint64_t kIpsEofOffset = 0x454F46;

// The patch that turns `original` into `modified`; refused when either is larger than 16 MiB.
PatchResult createIps(std::span<const uint8_t> original, std::span<const uint8_t> modified);
// `original` with the patch applied; a damaged patch is refused.
PatchResult applyIps(std::span<const uint8_t> patch, std::span<const uint8_t> original);

}  // namespace tarpon
