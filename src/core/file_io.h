#pragma once
// File access for documents and tables: reading a whole regular file without ever
// blocking or reading past a limit, and replacing a file so that a failure at any
// point leaves the old one as it was.
#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/byte_store.h"

namespace tarpon {

// The system calls loads and saves go through; tests replace single calls to inject faults.
class FileIo {
public:
    virtual ~FileIo() = default;
    virtual int fstat(int fd, struct stat* st);
    virtual ssize_t read(int fd, void* buf, size_t size);
    virtual ssize_t write(int fd, const void* data, size_t size);
    virtual int fsync(int fd);
    virtual int rename(const char* from, const char* to);
};

FileIo& systemFileIo();

enum class ReadStatus { Ok, TooLarge, Failed };

struct ReadResult {
    ReadStatus status = ReadStatus::Failed;
    ByteStore bytes;
    std::string error;  // why it failed, for the user
};

// Reads the regular file at path; a missing file is created empty. A file of
// `limit` bytes or more (also one that grows to it while being read) is TooLarge.
// `spare` bytes of capacity are reserved beyond the content for later growth.
ReadResult readWholeFile(const std::string& path, int64_t limit, size_t spare = 0);
ReadResult readWholeFile(const std::string& path, int64_t limit, size_t spare, FileIo& io);

// Replaces the file at path (or, through a symbolic link, the file it points to)
// with data: written to a new file beside it, flushed, then renamed over it.
// The old file's permission bits are kept; a target that is not a regular file is refused.
bool replaceFile(const std::string& path, const uint8_t* data, size_t size, FileIo& io,
                 std::string* error = nullptr);

}  // namespace tarpon
