#include "core/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

namespace tarpon {
namespace {

constexpr size_t kChunk = 64 * 1024;
// As the kernel: more links than this in a row is a loop.
constexpr int kMaxLinkHops = 40;
// ".<name>.tarpon-1a2b3c4d" is the new file of a save by rename,
// ".<name>.tarpon-backup-1a2b3c4d" the backup of a save in place.
constexpr const char* kTempTag = ".tarpon-";
constexpr const char* kBackupTag = ".tarpon-backup-";
// Backups in the cache folder keep this much of the file's name.
constexpr size_t kCacheNameKept = 200;

std::string systemError(const std::string& what, int err) { return what + ": " + std::strerror(err); }
std::string systemError(const std::string& what) { return systemError(what, errno); }
std::string quoted(const std::string& text) { return "\"" + text + "\""; }

// "dir/name" -> "dir/"; "name" -> "".
std::string dirOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
std::string folderOf(const std::string& path) {
    const std::string dir = dirOf(path);
    return dir.empty() ? "." : dir;
}
std::string baseOf(const std::string& path) { return path.substr(dirOf(path).size()); }

bool nameFits(const std::string& path, size_t extra) { return baseOf(path).size() + extra <= NAME_MAX; }

// Closes through the FileIo; closing to clean up keeps errno for the message.
class Fd {
public:
    Fd(FileIo& io, int fd) : io_(io), fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { reset(); }
    int get() const { return fd_; }
    // Closes now; false when the close reports an error (a write that did not reach the disk).
    bool close() {
        const int fd = std::exchange(fd_, -1);
        return fd < 0 || io_.close(fd) == 0;
    }
    void reset() {
        if (fd_ < 0) return;
        const int saved = errno;
        io_.close(std::exchange(fd_, -1));
        errno = saved;
    }

private:
    FileIo& io_;
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

// Copies from the current offset of `from` to its end.
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

// Makes a rename or a new name in the folder last through a crash. A folder that
// cannot be opened cannot be flushed by anyone; file systems that do not flush
// folders say EINVAL.
bool syncFolder(FileIo& io, const std::string& folder) {
    const int fd = io.open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0) return true;
    Fd dir(io, fd);
    return io.fsync(fd) == 0 || errno == EINVAL;
}

std::string randomSuffix() {
    static std::random_device rd;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x", rd());
    return suffix;
}

// A new file named prefix + 8 random hex digits; -1 with errno when none can be made.
int createUnique(FileIo& io, const std::string& prefix, mode_t mode, std::string* path) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        *path = prefix + randomSuffix();
        const int fd = io.open(path->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool makeFolder(FileIo& io, const std::string& folder) {
    return io.mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

// Follows symbolic links from path to the file a save writes. `exists` is false
// when that file is missing (a save creates it), and st holds its status otherwise.
bool findTarget(FileIo& io, const std::string& path, std::string* target, struct stat* st, bool* exists,
                std::string* why) {
    std::string at = path;
    for (int hops = 0;; ++hops) {
        if (io.lstat(at.c_str(), st) != 0) {
            if (errno != ENOENT) {
                *why = systemError("Cannot examine " + quoted(at));
                return false;
            }
            *exists = false;
            *target = at;
            return true;
        }
        if (!S_ISLNK(st->st_mode)) {
            *exists = true;
            *target = at;
            return true;
        }
        if (hops == kMaxLinkHops) {
            *why = systemError("Cannot follow " + quoted(path), ELOOP);
            return false;
        }
        char buf[PATH_MAX];
        const ssize_t n = io.readlink(at.c_str(), buf, sizeof buf);
        if (n <= 0 || static_cast<size_t>(n) == sizeof buf) {
            *why = systemError("Cannot follow " + quoted(at), n < 0 ? errno : ENAMETOOLONG);
            return false;
        }
        const std::string link(buf, static_cast<size_t>(n));
        at = link[0] == '/' ? link : dirOf(at) + link;
    }
}

// Whether a file this user makes can be given the old file's owner and group.
bool canGiveOwner(const struct stat& old) {
    const uid_t uid = ::geteuid();
    if (uid == 0) return true;
    if (old.st_uid != uid) return false;
    if (old.st_gid == ::getegid()) return true;
    std::vector<gid_t> groups(static_cast<size_t>(std::max(::getgroups(0, nullptr), 0)));
    const int n = ::getgroups(static_cast<int>(groups.size()), groups.data());
    return std::find(groups.begin(), groups.begin() + std::max(n, 0), old.st_gid) != groups.begin() + std::max(n, 0);
}

// One save of data to target, an existing regular file or a missing one.
class Saver {
public:
    enum class Result { Done, Failed, NotKept };

    Saver(FileIo& io, std::string target, const uint8_t* data, size_t size)
        : io_(io), target_(std::move(target)), data_(data), size_(size) {}
    const std::string& error() const { return error_; }

    // A new file beside the target, renamed over it. NotKept: that file could not
    // be made or could not get the old file's owner, and nothing was changed.
    Result byRename(const struct stat* old) {
        std::string temp;
        // Only the user can open the new file until it has the old file's permissions.
        Fd fd(io_, createUnique(io_, dirOf(target_) + "." + baseOf(target_) + kTempTag, old ? 0600 : 0666, &temp));
        if (fd.get() < 0) {
            if (errno == EACCES || errno == EPERM || errno == EROFS || errno == ENAMETOOLONG) return Result::NotKept;
            fail(systemError("Cannot create a file in " + quoted(folderOf(target_))));
            return Result::Failed;
        }
        const auto abandon = [&](Result result) {
            fd.reset();
            if (io_.unlink(temp.c_str()) == 0) return result;
            const std::string why = systemError("Cannot remove " + quoted(temp));
            error_ = error_.empty() ? why : error_ + "\n" + why;
            return Result::Failed;
        };
        if (!writeAll(io_, fd.get(), data_, size_)) {
            fail(systemError("Cannot write " + quoted(target_)));
            return abandon(Result::Failed);
        }
        if (old) {
            // After the writes, which clear the set-user-ID and set-group-ID bits, and
            // the owner first, since changing it clears them too.
            if (io_.fchown(fd.get(), old->st_uid, old->st_gid) != 0) {
                if (errno == EPERM) return abandon(Result::NotKept);
                fail(systemError("Cannot give the new file the owner of " + quoted(target_)));
                return abandon(Result::Failed);
            }
            if (io_.fchmod(fd.get(), old->st_mode & 07777) != 0) {
                fail(systemError("Cannot give the new file the permissions of " + quoted(target_)));
                return abandon(Result::Failed);
            }
        }
        if (io_.fsync(fd.get()) != 0 || !fd.close()) {
            fail(systemError("Cannot write " + quoted(target_)));
            return abandon(Result::Failed);
        }
        if (io_.rename(temp.c_str(), target_.c_str()) != 0) {
            fail(systemError("Cannot replace " + quoted(target_)));
            return abandon(Result::Failed);
        }
        // The new file is in place; only its name may not have reached the disk yet.
        if (!syncFolder(io_, folderOf(target_))) {
            fail(systemError("Cannot flush the folder of " + quoted(target_)));
            return Result::Failed;
        }
        return Result::Done;
    }

    // Writes over the file itself, keeping its inode, links, owner and group.
    bool inPlace(const struct stat& old) {
        Fd fd(io_, io_.open(target_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC, 0));
        if (fd.get() < 0) return fail(systemError("Cannot open " + quoted(target_) + " for writing"));
        struct stat now {};
        if (io_.fstat(fd.get(), &now) != 0) return fail(systemError("Cannot examine " + quoted(target_)));
        if (!S_ISREG(now.st_mode) || now.st_dev != old.st_dev || now.st_ino != old.st_ino)
            return fail(quoted(target_) + " was replaced by another file while it was being saved.");
        std::string backup;
        if (!makeBackup(fd.get(), now, &backup)) return false;
        // From here on the old bytes are safe in the backup.
        if (writeOver(fd.get(), now) && fd.close()) {
            if (io_.unlink(backup.c_str()) == 0) return true;
            return fail(systemError("The file was saved, but its backup " + quoted(backup) +
                                    " could not be removed"));
        }
        if (error_.empty()) error_ = systemError("Cannot write " + quoted(target_));
        fd.reset();
        if (!restore(backup, now) || io_.unlink(backup.c_str()) != 0)
            error_ += "\nThe old contents are kept in " + quoted(backup) + ".";
        return false;
    }

    // A file that does not exist yet, made under its own name.
    bool createNew() {
        Fd fd(io_, io_.open(target_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666));
        if (fd.get() < 0) return fail(systemError("Cannot create " + quoted(target_)));
        if (!writeAll(io_, fd.get(), data_, size_) || io_.fsync(fd.get()) != 0 || !fd.close()) {
            fail(systemError("Cannot write " + quoted(target_)));
            fd.reset();
            io_.unlink(target_.c_str());
            return false;
        }
        if (!syncFolder(io_, folderOf(target_))) return fail(systemError("Cannot flush the folder of " + quoted(target_)));
        return true;
    }

private:
    bool fail(std::string why) {
        error_ = std::move(why);
        return false;
    }

    // Copies the file open as fd (at offset 0) to a new backup, flushed.
    bool makeBackup(int fd, const struct stat& now, std::string* path) {
        const std::string what = "Cannot make a backup of " + quoted(target_);
        const std::string beside = dirOf(target_) + "." + baseOf(target_) + kBackupTag;
        int out = nameFits(beside, 8) ? createUnique(io_, beside, 0600, path) : -1;
        if (out < 0) {
            const std::string folder = backupFolder();
            if (folder.empty()) return fail(what + ": neither XDG_CACHE_HOME nor HOME is set.");
            if (!makeFolder(io_, folderOf(folder)) || !makeFolder(io_, folder))
                return fail(systemError(what + " in " + quoted(folder)));
            out = createUnique(io_, folder + "/" + baseOf(target_).substr(0, kCacheNameKept) + kBackupTag, 0600, path);
            if (out < 0) return fail(systemError(what + " in " + quoted(folder)));
        }
        Fd copy(io_, out);
        off_t copied = 0;
        bool ok = copyAll(io_, fd, copy.get(), &copied);
        if (ok && copied != now.st_size) {
            ok = false;
            errno = EAGAIN;  // the file changed meanwhile
        }
        ok = ok && io_.fsync(copy.get()) == 0 && copy.close() && syncFolder(io_, folderOf(*path));
        if (ok) return true;
        fail(systemError(what));
        copy.reset();
        if (io_.unlink(path->c_str()) != 0) error_ += "\nAn unfinished backup is left in " + quoted(*path) + ".";
        return false;
    }

    // Writes, flushes and reads back the data over the file's old bytes.
    bool writeOver(int fd, const struct stat& old) {
        if (io_.lseek(fd, 0, SEEK_SET) != 0 || !writeAll(io_, fd, data_, size_) ||
            io_.ftruncate(fd, static_cast<off_t>(size_)) != 0 || io_.fsync(fd) != 0)
            return fail(systemError("Cannot write " + quoted(target_)));
        if (!readsBack(fd)) return false;
        if (!keepMode(fd, old)) return fail(systemError("Cannot keep the permissions of " + quoted(target_)));
        return true;
    }

    bool readsBack(int fd) {
        if (io_.lseek(fd, 0, SEEK_SET) != 0) return fail(systemError("Cannot read back " + quoted(target_)));
        std::vector<uint8_t> buf(kChunk);
        size_t at = 0;
        for (;;) {
            const ssize_t n = readFully(io_, fd, buf.data(), buf.size());
            if (n < 0) return fail(systemError("Cannot read back " + quoted(target_)));
            const size_t got = static_cast<size_t>(n);
            if (got > size_ - at || std::memcmp(buf.data(), data_ + at, got) != 0) break;
            at += got;
            if (got < buf.size()) {
                if (at == size_) return true;
                break;
            }
        }
        return fail(quoted(target_) + " reads back differently from what was written.");
    }

    // Writing clears the set-user-ID and set-group-ID bits unless the writer may
    // keep them; the owner and root put them back. For anyone else the system's
    // rule stands: no save could keep them.
    bool keepMode(int fd, const struct stat& old) {
        if ((old.st_mode & (S_ISUID | S_ISGID)) == 0) return true;
        struct stat now {};
        if (io_.fstat(fd, &now) != 0) return false;
        if ((now.st_mode & 07777) == (old.st_mode & 07777)) return true;
        return io_.fchmod(fd, old.st_mode & 07777) == 0 || errno == EPERM;
    }

    // Puts the backup's bytes back over the file.
    bool restore(const std::string& backup, const struct stat& old) {
        Fd out(io_, io_.open(target_.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC, 0));
        if (out.get() < 0) return false;
        Fd in(io_, io_.open(backup.c_str(), O_RDONLY | O_CLOEXEC, 0));
        off_t copied = 0;
        bool ok = in.get() >= 0 && copyAll(io_, in.get(), out.get(), &copied) && copied == old.st_size &&
                  io_.ftruncate(out.get(), copied) == 0 && io_.fsync(out.get()) == 0;
        // The permission bits go back even when the bytes cannot.
        ok = keepMode(out.get(), old) && ok;
        return out.close() && ok;
    }

    FileIo& io_;
    const std::string target_;
    const uint8_t* data_;
    const size_t size_;
    std::string error_;
};

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
        char buf[PATH_MAX];
        const ssize_t n = io.readlink(path.c_str(), buf, sizeof buf);
        const std::string to = n > 0 ? " to " + quoted(std::string(buf, static_cast<size_t>(n))) : "";
        *error = "Cannot open " + quoted(path) + ": it is a symbolic link" + to + ", which names no file.";
        return -1;
    }
    // Another program made the file meanwhile.
    fd = io.open(path.c_str(), flags, 0);
    if (fd < 0) *error = systemError("Cannot open " + quoted(path));
    return fd;
}

}  // namespace

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

FileIo& systemFileIo() {
    static FileIo io;
    return io;
}

std::string backupFolder() {
    // A relative XDG_CACHE_HOME is to be ignored.
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && cache[0] == '/') return std::string(cache) + "/tarpon-hex";
    const char* home = std::getenv("HOME");
    if (home && home[0] != '\0') return std::string(home) + "/.cache/tarpon-hex";
    return {};
}

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
    };
    struct stat st {};
    if (io.fstat(fd.get(), &st) != 0) {
        failed(ReadStatus::Failed, systemError("Cannot examine " + quoted(path)));
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        failed(ReadStatus::Failed, quoted(path) + " is not a regular file.");
        return result;
    }
    if (st.st_size >= limit) {
        failed(ReadStatus::TooLarge, "");
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
            failed(ReadStatus::Failed, systemError("Cannot read " + quoted(path)));
            return result;
        }
        total += static_cast<size_t>(n);
        if (total < capacity) break;
        if (static_cast<int64_t>(total) >= limit) {
            failed(ReadStatus::TooLarge, "");
            return result;
        }
        capacity = static_cast<size_t>(std::min<int64_t>(limit, static_cast<int64_t>(capacity) * 2));
    }
    bytes.resize(total);
    result.status = ReadStatus::Ok;
    return result;
}

bool replaceFile(const std::string& path, const uint8_t* data, size_t size, FileIo& io, std::string* error) {
    std::string ignored;
    std::string& why = error ? *error : ignored;
    if (path.empty()) {
        why = "No file name.";
        return false;
    }
    std::string target;
    struct stat old {};
    bool exists = false;
    if (!findTarget(io, path, &target, &old, &exists, &why)) return false;
    if (exists && !S_ISREG(old.st_mode)) {
        why = quoted(target) + " is not a regular file.";
        return false;
    }
    // A folder the user may write would let a rename replace a file the user may
    // not write; the file's own permissions decide (root may write any).
    if (exists && io.access(target.c_str(), W_OK) != 0) {
        why = systemError("Cannot write " + quoted(target));
        return false;
    }
    Saver saver(io, target, data, size);
    // A rename keeps everything only for a file with one name and an owner and
    // group the new file can be given, in a folder the user may write, when the
    // new file's name fits.
    const bool renameFits = nameFits(target, std::strlen(kTempTag) + 9) &&
                            (!exists || (old.st_nlink == 1 && canGiveOwner(old))) &&
                            io.access(folderOf(target).c_str(), W_OK | X_OK) == 0;
    Saver::Result result = renameFits ? saver.byRename(exists ? &old : nullptr) : Saver::Result::NotKept;
    if (result == Saver::Result::NotKept)
        result = (exists ? saver.inPlace(old) : saver.createNew()) ? Saver::Result::Done : Saver::Result::Failed;
    if (result == Saver::Result::Done) return true;
    why = saver.error();
    return false;
}

}  // namespace tarpon
