#include "core/file_io_parts.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "core/file_io.h"

namespace tarpon::file_parts {
namespace {

constexpr size_t kChunk = 64 * 1024;

}  // namespace

std::string systemError(const std::string& what, int err) { return what + ": " + std::strerror(err); }
std::string systemError(const std::string& what) { return systemError(what, errno); }
std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::string dirOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
std::string folderOf(const std::string& path) {
    const std::string dir = dirOf(path);
    return dir.empty() ? "." : dir;
}
std::string baseOf(const std::string& path) { return path.substr(dirOf(path).size()); }

bool Fd::close() {
    const int fd = std::exchange(fd_, -1);
    return fd < 0 || io_.close(fd) == 0;
}

void Fd::reset() {
    if (fd_ < 0) return;
    const int saved = errno;
    io_.close(std::exchange(fd_, -1));
    errno = saved;
}

ssize_t readFully(FileIo& io, int fd, uint8_t* buf, size_t size) {
    size_t total = 0;
    while (total < size) {
        const ssize_t n = io.read(fd, buf + total, size - total);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        total += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(total);
}

bool writeAll(FileIo& io, int fd, const uint8_t* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = io.write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) {
            errno = EIO;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool copyAll(FileIo& io, int from, int to, off_t* copied) {
    std::vector<uint8_t> buf(kChunk);
    *copied = 0;
    for (;;) {
        const ssize_t n = readFully(io, from, buf.data(), buf.size());
        if (n < 0 || !writeAll(io, to, buf.data(), static_cast<size_t>(n))) return false;
        *copied += n;
        if (static_cast<size_t>(n) < buf.size()) return true;
    }
}

}  // namespace tarpon::file_parts
