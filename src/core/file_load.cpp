// Loading: a whole regular file, never blocking and never reading past the limit.
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <utility>

#include "core/file_io.h"
#include "core/file_io_parts.h"

namespace tarpon {
namespace {

using namespace file_parts;

// The symbolic link at path names no file: the message says where it points.
std::string danglingLinkError(FileIo& io, const std::string& path) {
    char buf[PATH_MAX];
    const ssize_t n = io.readlink(path.c_str(), buf, sizeof buf);
    const std::string to = n > 0 ? " to " + quoted(std::string(buf, static_cast<size_t>(n))) : "";
    return "Cannot open " + quoted(path) + ": it is a symbolic link" + to + ", which names no file.";
}

int openOrCreate(FileIo& io, const std::string& path, std::string* error, bool* created) {
    const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int fd = io.open(path.c_str(), flags, 0);
    if (fd >= 0) return fd;
    if (errno != ENOENT) {
        *error = systemError("Cannot open " + quoted(path));
        return -1;
    }
    fd = io.open(path.c_str(), flags | O_CREAT | O_EXCL, 0666);
    if (fd >= 0) {
        *created = true;
        return fd;
    }
    if (errno != EEXIST) {
        *error = systemError("Cannot create " + quoted(path));
        return -1;
    }
    // O_EXCL does not follow a symbolic link: the name is a link to nothing.
    struct stat st {};
    if (io.lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        *error = danglingLinkError(io, path);
        return -1;
    }
    // Another program made the file meanwhile.
    fd = io.open(path.c_str(), flags, 0);
    if (fd < 0) *error = systemError("Cannot open " + quoted(path));
    return fd;
}

// Reads the open file into bytes, growing them while the file grows; TooLarge at the limit.
ReadStatus readGrowing(FileIo& io, int fd, off_t size, int64_t limit, size_t spare, ByteStore& bytes) {
    // One byte more than the size shows whether the file grew meanwhile.
    size_t capacity = static_cast<size_t>(size) + 1;
    bytes.reserve(capacity + spare);
    size_t total = 0;
    for (;;) {
        bytes.resize(capacity);
        const ssize_t n = readFully(io, fd, bytes.data() + total, capacity - total);
        if (n < 0) return ReadStatus::Failed;
        total += static_cast<size_t>(n);
        if (total < capacity) break;
        if (static_cast<int64_t>(total) >= limit) return ReadStatus::TooLarge;
        capacity = static_cast<size_t>(std::min<int64_t>(limit, static_cast<int64_t>(capacity) * 2));
    }
    bytes.resize(total);
    return ReadStatus::Ok;
}

}  // namespace

ReadResult readWholeFile(const std::string& path, int64_t limit, size_t spare) {
    return readWholeFile(path, limit, spare, systemFileIo());
}

ReadResult readWholeFile(const std::string& path, int64_t limit, size_t spare, FileIo& io) {
    ReadResult result;
    bool created = false;
    Fd fd(io, openOrCreate(io, path, &result.error, &created));
    if (fd.get() < 0) return result;
    // Sets a failure; a file this read created is removed again.
    const auto failed = [&](ReadStatus status, std::string why) {
        result.status = status;
        result.error = std::move(why);
        result.bytes = ByteStore();
        fd.reset();
        if (created) io.unlink(path.c_str());
        return std::move(result);
    };
    struct stat st {};
    if (io.fstat(fd.get(), &st) != 0) return failed(ReadStatus::Failed, systemError("Cannot examine " + quoted(path)));
    if (!S_ISREG(st.st_mode)) return failed(ReadStatus::Failed, quoted(path) + " is not a regular file.");
    if (st.st_size >= limit) return failed(ReadStatus::TooLarge, "");
    result.stamp = FileStamp::of(st);
    const ReadStatus status = readGrowing(io, fd.get(), st.st_size, limit, spare, result.bytes);
    if (status == ReadStatus::Failed) return failed(status, systemError("Cannot read " + quoted(path)));
    if (status == ReadStatus::TooLarge) return failed(status, "");
    result.status = ReadStatus::Ok;
    return result;
}

}  // namespace tarpon
