// The seam's defaults: each FileIo call is the system call of the same name.
#include "core/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace tarpon {

std::string changedOnDiskQuestion(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1) + " has changed on disk since it was opened. Overwrite it?";
}

int FileIo::open(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
int FileIo::close(int fd) { return ::close(fd); }
int FileIo::fstat(int fd, struct stat* st) { return ::fstat(fd, st); }
int FileIo::lstat(const char* path, struct stat* st) { return ::lstat(path, st); }
ssize_t FileIo::readlink(const char* path, char* buf, size_t size) { return ::readlink(path, buf, size); }
int FileIo::access(const char* path, int mode) { return ::faccessat(AT_FDCWD, path, mode, AT_EACCESS); }
ssize_t FileIo::read(int fd, void* buf, size_t size) { return ::read(fd, buf, size); }
ssize_t FileIo::write(int fd, const void* data, size_t size) { return ::write(fd, data, size); }
off_t FileIo::lseek(int fd, off_t offset, int whence) { return ::lseek(fd, offset, whence); }
int FileIo::ftruncate(int fd, off_t size) { return ::ftruncate(fd, size); }
int FileIo::fsync(int fd) { return ::fsync(fd); }
int FileIo::fchown(int fd, uid_t uid, gid_t gid) { return ::fchown(fd, uid, gid); }
int FileIo::fchmod(int fd, mode_t mode) { return ::fchmod(fd, mode); }
int FileIo::rename(const char* from, const char* to) { return ::rename(from, to); }
int FileIo::unlink(const char* path) { return ::unlink(path); }
int FileIo::mkdir(const char* path, mode_t mode) { return ::mkdir(path, mode); }
ssize_t FileIo::llistxattr(const char* path, char* list, size_t size) { return ::llistxattr(path, list, size); }
ssize_t FileIo::lgetxattr(const char* path, const char* name, void* value, size_t size) {
    return ::lgetxattr(path, name, value, size);
}
ssize_t FileIo::flistxattr(int fd, char* list, size_t size) { return ::flistxattr(fd, list, size); }
ssize_t FileIo::fgetxattr(int fd, const char* name, void* value, size_t size) {
    return ::fgetxattr(fd, name, value, size);
}
int FileIo::fsetxattr(int fd, const char* name, const void* value, size_t size, int flags) {
    return ::fsetxattr(fd, name, value, size, flags);
}
int FileIo::fremovexattr(int fd, const char* name) { return ::fremovexattr(fd, name); }

FileIo& systemFileIo() {
    static FileIo io;
    return io;
}

}  // namespace tarpon
