#include "core/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <utility>

namespace tarpon {
namespace {

std::string systemError(const std::string& what) { return what + ": " + std::strerror(errno); }

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { reset(); }
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }
    void reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

// Reads into buf until it is full or the file ends; -1 on a read error.
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

int openOrCreate(const std::string& path, std::string* error) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        const int created = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (created < 0) {
            *error = systemError("Cannot create \"" + path + "\"");
            return -1;
        }
        ::close(created);
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    }
    if (fd < 0) *error = systemError("Cannot open \"" + path + "\"");
    return fd;
}

// Where a save really goes: through a symbolic link to the file it names.
std::string saveTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        std::string resolved(real);
        std::free(real);
        return resolved;
    }
    char buf[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf - 1);
    if (n <= 0) return path;
    std::string link(buf, static_cast<size_t>(n));
    if (link[0] == '/') return link;
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? link : path.substr(0, slash + 1) + link;
}

// A new, empty file beside target, created with the usual permissions (umask applies).
int createTemporary(const std::string& target, std::string* tempPath) {
    const size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x", rd());
        *tempPath = dir + "." + base + ".tarpon-" + suffix;
        const int fd = ::open(tempPath->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool writeAll(FileIo& io, int fd, const uint8_t* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = io.write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

void syncDirectoryOf(const std::string& target) {
    const size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    Fd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0) ::fsync(fd.get());
}

}  // namespace

int FileIo::fstat(int fd, struct stat* st) { return ::fstat(fd, st); }
ssize_t FileIo::read(int fd, void* buf, size_t size) { return ::read(fd, buf, size); }
ssize_t FileIo::write(int fd, const void* data, size_t size) { return ::write(fd, data, size); }
int FileIo::fsync(int fd) { return ::fsync(fd); }
int FileIo::rename(const char* from, const char* to) { return ::rename(from, to); }

FileIo& systemFileIo() {
    static FileIo io;
    return io;
}

ReadResult readWholeFile(const std::string& path, int64_t limit, size_t spare) {
    return readWholeFile(path, limit, spare, systemFileIo());
}

ReadResult readWholeFile(const std::string& path, int64_t limit, size_t spare, FileIo& io) {
    ReadResult result;
    Fd fd(openOrCreate(path, &result.error));
    if (fd.get() < 0) return result;
    struct stat st {};
    if (io.fstat(fd.get(), &st) != 0) {
        result.error = systemError("Cannot examine \"" + path + "\"");
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        result.error = "\"" + path + "\" is not a regular file.";
        return result;
    }
    if (st.st_size >= limit) {
        result.status = ReadStatus::TooLarge;
        return result;
    }
    // One byte more than the size shows whether the file grew meanwhile.
    size_t capacity = static_cast<size_t>(st.st_size) + 1;
    ByteStore& bytes = result.bytes;
    bytes.reserve(capacity + spare);
    size_t total = 0;
    for (;;) {
        bytes.resize(capacity);
        const ssize_t n = readFully(io, fd.get(), bytes.data() + total, capacity - total);
        if (n < 0) {
            result.error = systemError("Cannot read \"" + path + "\"");
            result.bytes = ByteStore();
            return result;
        }
        total += static_cast<size_t>(n);
        if (total < capacity) break;
        if (static_cast<int64_t>(total) >= limit) {
            result.status = ReadStatus::TooLarge;
            result.bytes = ByteStore();
            return result;
        }
        capacity = static_cast<size_t>(std::min<int64_t>(limit, static_cast<int64_t>(capacity) * 2));
    }
    bytes.resize(total);
    result.status = ReadStatus::Ok;
    return result;
}

bool replaceFile(const std::string& path, const uint8_t* data, size_t size, FileIo& io,
                 std::string* error) {
    std::string ignored;
    std::string& why = error ? *error : ignored;
    if (path.empty()) {
        why = "No file name.";
        return false;
    }
    const std::string target = saveTarget(path);
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        why = "\"" + target + "\" is not a regular file.";
        return false;
    }
    std::string tempPath;
    Fd fd(createTemporary(target, &tempPath));
    if (fd.get() < 0) {
        why = systemError("Cannot create a file beside \"" + target + "\"");
        return false;
    }
    bool ok = true;
    if (exists) {
        ok = ::fchmod(fd.get(), old.st_mode & 07777) == 0;
        // Best effort: only root may give the file to another owner.
        [[maybe_unused]] const int owned = ::fchown(fd.get(), old.st_uid, old.st_gid);
    }
    ok = ok && writeAll(io, fd.get(), data, size) && io.fsync(fd.get()) == 0;
    if (!ok) why = systemError("Cannot write \"" + tempPath + "\"");
    if (ok && ::close(fd.release()) != 0) {
        ok = false;
        why = systemError("Cannot close \"" + tempPath + "\"");
    }
    if (ok && io.rename(tempPath.c_str(), target.c_str()) != 0) {
        ok = false;
        why = systemError("Cannot replace \"" + target + "\"");
    }
    if (!ok) {
        fd.reset();
        ::unlink(tempPath.c_str());
        return false;
    }
    syncDirectoryOf(target);
    return true;
}

}  // namespace tarpon
