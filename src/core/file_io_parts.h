#pragma once
// What loading and saving share: messages, the pieces of a path, and reading and
// writing whole buffers through a FileIo. Only the file_* sources of core/ use it.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace tarpon {
class FileIo;
}

namespace tarpon::file_parts {

// "what: <the system's text for err>".
std::string systemError(const std::string& what, int err);
std::string systemError(const std::string& what);  // errno's text
std::string quoted(const std::string& text);

// "dir/name" -> "dir/"; "name" -> "".
std::string dirOf(const std::string& path);
// The folder as a path to open: "dir/" or ".".
std::string folderOf(const std::string& path);
std::string baseOf(const std::string& path);

// Closes through the FileIo; closing to clean up keeps errno for the message.
class Fd {
public:
    Fd(FileIo& io, int fd) : io_(io), fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { reset(); }
    int get() const { return fd_; }
    // Closes now; false when the close reports an error (a write that did not reach the disk).
    bool close();
    void reset();
    // Gives the descriptor up to the caller, who closes it.
    int release() { return std::exchange(fd_, -1); }

private:
    FileIo& io_;
    int fd_;
};

// Reads into buf until it is full or the file ends; -1 on a read error.
ssize_t readFully(FileIo& io, int fd, uint8_t* buf, size_t size);
bool writeAll(FileIo& io, int fd, const uint8_t* data, size_t size);
// Copies from the current offset of `from` to its end.
bool copyAll(FileIo& io, int from, int to, off_t* copied);

}  // namespace tarpon::file_parts
