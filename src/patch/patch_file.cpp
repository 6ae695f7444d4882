#include "patch/patch_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "patch/bps.h"
#include "patch/ips.h"

namespace tarpon {

std::optional<PatchFormat> patchFormatOf(const std::string& path) {
    const size_t dot = path.find_last_of("./");
    if (dot == std::string::npos || path[dot] != '.') return std::nullopt;
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == "ips") return PatchFormat::Ips;
    if (ext == "bps") return PatchFormat::Bps;
    return std::nullopt;
}

PatchResult createPatch(PatchFormat format, std::span<const uint8_t> original, std::span<const uint8_t> modified) {
    return format == PatchFormat::Ips ? createIps(original, modified) : createBps(original, modified);
}

PatchResult applyPatch(PatchFormat format, std::span<const uint8_t> patch, std::span<const uint8_t> original) {
    return format == PatchFormat::Ips ? applyIps(patch, original) : applyBps(patch, original);
}

InputFile::InputFile(const std::string& path, uint64_t limit) : path_(path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) {
        error = path + ": " + std::strerror(errno);
        return;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0) error = path + ": " + std::strerror(errno);
    else if (!S_ISREG(st.st_mode)) error = path + ": not a regular file";
    else if (static_cast<uint64_t>(st.st_size) > limit)
        error = path + ": too large (" + std::to_string(st.st_size) + " bytes; at most " + std::to_string(limit) + ")";
    size_ = static_cast<uint64_t>(std::max<off_t>(st.st_size, 0));
}

InputFile::~InputFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool InputFile::read(std::span<uint8_t> into, size_t& got) {
    got = 0;
    while (got < into.size()) {
        const ssize_t n = ::read(fd_, into.data() + got, into.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = path_ + ": " + std::strerror(errno);
            return false;
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    return true;
}

std::optional<ByteStore> InputFile::readFirst(uint64_t count) {
    // As far as the size seen at opening: a file that shrank meanwhile gives fewer bytes.
    ByteStore bytes(static_cast<size_t>(std::min(count, size_)));
    size_t got = 0;
    if (!read(bytes, got)) return std::nullopt;
    bytes.resize(got);
    return bytes;
}

}  // namespace tarpon
