// Saving: the new bytes replace the file so that a failure at any point leaves the
// old one as it was, or, if even that cannot be done, a named backup of it.
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

#include "core/file_io.h"
#include "core/file_io_parts.h"

namespace tarpon {
namespace {

using namespace file_parts;

constexpr size_t kChunk = 64 * 1024;
// As the kernel: more links than this in a row is a loop.
constexpr int kMaxLinkHops = 40;
// ".<name>.tarpon-1a2b3c4d" is the new file of a save by rename,
// ".<name>.tarpon-backup-1a2b3c4d" the backup of a save in place.
constexpr const char* kTempTag = ".tarpon-";
constexpr const char* kBackupTag = ".tarpon-backup-";
// Backups in the cache folder keep this much of the file's name.
constexpr size_t kCacheNameKept = 200;

bool nameFits(const std::string& path, size_t extra) { return baseOf(path).size() + extra <= NAME_MAX; }

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
    const auto end = groups.begin() + std::max(n, 0);
    return std::find(groups.begin(), end, old.st_gid) != end;
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
        Result result = fillTemp(fd, old);
        if (result == Result::Done && io_.rename(temp.c_str(), target_.c_str()) != 0) {
            fail(systemError("Cannot replace " + quoted(target_)));
            result = Result::Failed;
        }
        if (result != Result::Done) return abandon(fd, temp, result);
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

    // The new file of a save by rename: its bytes, the old file's owner and
    // permissions, flushed and closed.
    Result fillTemp(Fd& fd, const struct stat* old) {
        if (!writeAll(io_, fd.get(), data_, size_)) {
            fail(systemError("Cannot write " + quoted(target_)));
            return Result::Failed;
        }
        const Result kept = old ? keepOwnerAndMode(fd.get(), *old) : Result::Done;
        if (kept != Result::Done) return kept;
        if (io_.fsync(fd.get()) != 0 || !fd.close()) {
            fail(systemError("Cannot write " + quoted(target_)));
            return Result::Failed;
        }
        return Result::Done;
    }

    // After the writes, which clear the set-user-ID and set-group-ID bits, and
    // the owner first, since changing it clears them too.
    Result keepOwnerAndMode(int fd, const struct stat& old) {
        if (io_.fchown(fd, old.st_uid, old.st_gid) != 0) {
            if (errno == EPERM) return Result::NotKept;
            fail(systemError("Cannot give the new file the owner of " + quoted(target_)));
            return Result::Failed;
        }
        if (io_.fchmod(fd, old.st_mode & 07777) != 0) {
            fail(systemError("Cannot give the new file the permissions of " + quoted(target_)));
            return Result::Failed;
        }
        return Result::Done;
    }

    // Removes the new file of a save by rename that did not happen.
    Result abandon(Fd& fd, const std::string& temp, Result result) {
        fd.reset();
        if (io_.unlink(temp.c_str()) == 0) return result;
        const std::string why = systemError("Cannot remove " + quoted(temp));
        error_ = error_.empty() ? why : error_ + "\n" + why;
        return Result::Failed;
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

}  // namespace

std::string backupFolder() {
    // A relative XDG_CACHE_HOME is to be ignored.
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && cache[0] == '/') return std::string(cache) + "/tarpon-hex";
    const char* home = std::getenv("HOME");
    if (home && home[0] != '\0') return std::string(home) + "/.cache/tarpon-hex";
    return {};
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
