#pragma once
// The files the compare and patch commands read: opened without ever creating or
// blocking, read whole or in pieces; and the patch format a file name asks for.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "patch/patch_result.h"

namespace tarpon {

// The largest file the patch and compare commands take.
inline constexpr uint64_t kMaxPatchedFileSize = uint64_t{2} << 30;

enum class PatchFormat { Ips, Bps };

// From the name's extension, ".ips" or ".bps" in any case; nothing for any other.
std::optional<PatchFormat> patchFormatOf(const std::string& path);
PatchResult createPatch(PatchFormat format, std::span<const uint8_t> original, std::span<const uint8_t> modified);
PatchResult applyPatch(PatchFormat format, std::span<const uint8_t> patch, std::span<const uint8_t> original);

// A regular file open for reading.
class InputFile {
public:
    // `error` says why when the file cannot be read (missing, not a regular file, over `limit` bytes).
    InputFile(const std::string& path, uint64_t limit);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool ok() const { return error.empty(); }
    uint64_t size() const { return size_; }
    // Fills `into` from where the last read ended, short only at the file's end;
    // false (and `error`) on a read error.
    bool read(std::span<uint8_t> into, size_t& got);
    // The first `count` bytes of the file (all of it when count is larger).
    std::optional<ByteStore> readFirst(uint64_t count);

    std::string error;

private:
    std::string path_;
    int fd_ = -1;
    uint64_t size_ = 0;
};

}  // namespace tarpon
