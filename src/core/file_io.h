#pragma once
// File access for documents and tables: reading a whole regular file without ever
// blocking or reading past a limit, and saving a file so that a failure at any
// point leaves the old one as it was (or, if even that cannot be done, a named
// backup of it).
#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/byte_store.h"
#include "core/file_stamp.h"

namespace tarpon {

// Every system call a load or a save makes goes through this class, so that tests
// can fail any one of them. The defaults call the system.
class FileIo {
public:
    virtual ~FileIo() = default;
    virtual int open(const char* path, int flags, mode_t mode);
    virtual int close(int fd);
    virtual int fstat(int fd, struct stat* st);
    virtual int lstat(const char* path, struct stat* st);
    virtual ssize_t readlink(const char* path, char* buf, size_t size);
    // access(2) with the effective user and group, as open would judge.
    virtual int access(const char* path, int mode);
    virtual ssize_t read(int fd, void* buf, size_t size);
    virtual ssize_t write(int fd, const void* data, size_t size);
    virtual off_t lseek(int fd, off_t offset, int whence);
    virtual int ftruncate(int fd, off_t size);
    virtual int fsync(int fd);
    virtual int fchown(int fd, uid_t uid, gid_t gid);
    virtual int fchmod(int fd, mode_t mode);
    virtual int rename(const char* from, const char* to);
    virtual int unlink(const char* path);
    virtual int mkdir(const char* path, mode_t mode);
    // Extended attributes (a POSIX ACL is one of them): of a file by name, not
    // following a symbolic link, and of an open file.
    virtual ssize_t llistxattr(const char* path, char* list, size_t size);
    virtual ssize_t lgetxattr(const char* path, const char* name, void* value, size_t size);
    virtual ssize_t flistxattr(int fd, char* list, size_t size);
    virtual ssize_t fgetxattr(int fd, const char* name, void* value, size_t size);
    virtual int fsetxattr(int fd, const char* name, const void* value, size_t size, int flags);
    virtual int fremovexattr(int fd, const char* name);
};

FileIo& systemFileIo();

enum class ReadStatus { Ok, TooLarge, Failed };

struct ReadResult {
    ReadStatus status = ReadStatus::Failed;
    ByteStore bytes;
    std::string error;  // why it failed, for the user
    FileStamp stamp;    // the file read
};

// Reads the regular file at path; a missing file is created empty (and removed
// again if the read then fails). A file of `limit` bytes or more (also one that
// grows to it while being read) is TooLarge. `spare` bytes of capacity are
// reserved beyond the content for later growth.
ReadResult readWholeFile(const std::string& path, int64_t limit, size_t spare = 0);
ReadResult readWholeFile(const std::string& path, int64_t limit, size_t spare, FileIo& io);

enum class SaveStatus {
    Saved,
    SavedBut,       // the new bytes are in the file, but a later step failed (error says which)
    ChangedOnDisk,  // the file at the path is not the one expected; nothing was written
    Failed,         // the old file is as it was, or the error names its backup
};

struct SaveResult {
    SaveStatus status = SaveStatus::Failed;
    std::string error;   // for the user: why it failed, or what failed after the save
    FileStamp replaced;  // the file found at the path before writing (not known: none)
    // The file as saved; after a failed save in place that put the old bytes back,
    // the file as put back (its time has changed); else not known.
    FileStamp stamp;
    bool saved() const { return status == SaveStatus::Saved || status == SaveStatus::SavedBut; }
};

// Writes data to the file at path (through symbolic links, to the file they
// name; the links stay). A target that is not a regular file, or that the user
// may not write, is refused. With `expected`, a file at the path that differs
// from it (another file, other size or time, or none) is left alone: ChangedOnDisk.
//
// When nothing would be lost, the data goes to a new file beside the target,
// which is flushed and renamed over it. Otherwise (a second hard link, a folder
// the user may not write, an owner or group the new file could not be given, a
// name too long for the new file's) the target is written in place: its bytes
// are first copied to a backup (beside it, else in the user's cache folder),
// then the data is written, flushed and read back, and the backup removed. A
// failure puts the old bytes back; if even that fails, the error names the backup.
// Owner, group and permission bits (set-user-ID and set-group-ID included), the
// POSIX ACL and the extended attributes are kept: a save by rename gives the new
// file the old one's attributes, and writes in place when it cannot.
SaveResult replaceFile(const std::string& path, const uint8_t* data, size_t size, FileIo& io,
                       const FileStamp* expected = nullptr);

// The folder in-place saves keep their backups in when they cannot keep them
// beside the file: $XDG_CACHE_HOME/tarpon-hex, else ~/.cache/tarpon-hex; empty
// when neither variable is set. It is made with mode 0700, and used only while it
// belongs to the user and no one else may write it.
std::string backupFolder();

// The question a save asks before it overwrites a file that another program has
// changed since it was loaded or saved: "NAME has changed on disk since it was
// opened. Overwrite it?"
std::string changedOnDiskQuestion(const std::string& path);

}  // namespace tarpon
