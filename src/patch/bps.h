#pragma once
// BPS patches: "BPS1", the sizes of both files and of the metadata (as variable-length
// numbers), the metadata, commands that build the modified file from the original
// (SourceRead: the original's bytes at the same place; TargetRead: new bytes in the
// patch; SourceCopy and TargetCopy: bytes from elsewhere in the original or in what
// was already built), then the CRC32 of the original, of the modified file and of the
// patch before this last checksum.
#include <span>

#include "patch/patch_result.h"

namespace tarpon {

// The patch that turns `original` into `modified`. It finds data that moved, and
// bytes that repeat what came before.
PatchResult createBps(std::span<const uint8_t> original, std::span<const uint8_t> modified);
// `original` with the patch applied. A damaged patch, or an original other than the
// one the patch was made for (the message names both checksums), is refused.
PatchResult applyBps(std::span<const uint8_t> patch, std::span<const uint8_t> original);

// zlib's CRC32 of the bytes, in pieces a 32-bit length can hold.
uint32_t crc32Of(std::span<const uint8_t> bytes);

}  // namespace tarpon
