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

#include "core/file_attributes.h"
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

// A new file named prefix + 8 random hex digits, open for reading and writing;
// -1 with errno when none can be made.
int createUnique(FileIo& io, const std::string& prefix, mode_t mode, std::string* path) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        *path = prefix + randomSuffix();
        const int fd = io.open(path->c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, mode);
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
    // DoneBut: the data is in the file, but a later step failed; error() says which.
    enum class Result { Done, DoneBut, Failed, NotKept };

    Saver(FileIo& io, std::string target, const uint8_t* data, size_t size)
        : io_(io), target_(std::move(target)), data_(data), size_(size) {}
    const std::string& error() const { return error_; }
    const FileStamp& stamp() const { return stamp_; }
    // A save in place failed and the old bytes were put back: stamp() is the file as it is now.
    bool restored() const { return restored_; }

    // A new file beside the target, renamed over it. NotKept: that file could not
    // be made or could not get the old file's owner or attributes, and nothing was changed.
    Result byRename(const struct stat* old) {
        std::string temp;
        // Only the user can open the new file until it has the old file's permissions.
        Fd fd(io_, createUnique(io_, dirOf(target_) + "." + baseOf(target_) + kTempTag, old ? 0600 : 0666, &temp));
        if (fd.get() < 0) {
            if (errno == EACCES || errno == EPERM || errno == EROFS || errno == ENAMETOOLONG) return Result::NotKept;
            return failed(systemError("Cannot create a file in " + quoted(folderOf(target_))));
        }
        Result result = fillTemp(fd, old);
        if (result == Result::Done && io_.rename(temp.c_str(), target_.c_str()) != 0)
            result = failed(systemError("Cannot replace " + quoted(target_)));
        if (result != Result::Done) return abandon(fd, temp, result);
        return flushFolderOfSaved();
    }

    // Writes over the file itself, keeping its inode, links, owner and group.
    Result inPlace(const struct stat& old) {
        struct stat now {};
        Fd fd(io_, openTarget(old, &now));
        if (fd.get() < 0) return Result::Failed;
        std::string backup;
        Fd saved(io_, makeBackup(fd.get(), now, &backup));
        if (saved.get() < 0) return Result::Failed;
        // From here on the old bytes are safe in the backup.
        if (writeOver(fd.get(), now) && fd.close()) {
            if (io_.unlink(backup.c_str()) == 0) return Result::Done;
            return savedBut(systemError("its backup " + quoted(backup) + " could not be removed"));
        }
        if (error_.empty()) error_ = systemError("Cannot write " + quoted(target_));
        if (!restore(fd, saved.get(), now) || io_.unlink(backup.c_str()) != 0)
            error_ += "\nThe old contents are kept in " + quoted(backup) + ".";
        return Result::Failed;
    }

    // A file that does not exist yet, made under its own name.
    Result createNew() {
        Fd fd(io_, io_.open(target_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666));
        if (fd.get() < 0) return failed(systemError("Cannot create " + quoted(target_)));
        if (!writeAll(io_, fd.get(), data_, size_) || io_.fsync(fd.get()) != 0 || !takeStamp(fd.get()) ||
            !fd.close()) {
            if (error_.empty()) error_ = systemError("Cannot write " + quoted(target_));
            fd.reset();
            io_.unlink(target_.c_str());
            return Result::Failed;
        }
        return flushFolderOfSaved();
    }

private:
    bool fail(std::string why) {
        error_ = std::move(why);
        return false;
    }
    Result failed(std::string why) {
        error_ = std::move(why);
        return Result::Failed;
    }
    int failedFd(std::string why) {
        error_ = std::move(why);
        return -1;
    }
    Result savedBut(const std::string& what) {
        error_ = quoted(target_) + " was saved, but " + what;
        return Result::DoneBut;
    }

    // The file as saved, for the next save to compare with.
    bool takeStamp(int fd) {
        struct stat st {};
        if (io_.fstat(fd, &st) != 0) return fail(systemError("Cannot examine " + quoted(target_)));
        stamp_ = FileStamp::of(st);
        return true;
    }

    // The new bytes are in the file; only its name may not have reached the disk yet.
    Result flushFolderOfSaved() {
        if (syncFolder(io_, folderOf(target_))) return Result::Done;
        return savedBut(systemError("its folder could not be flushed"));
    }

    // The new file of a save by rename: its bytes and what the old file had, flushed and closed.
    Result fillTemp(Fd& fd, const struct stat* old) {
        if (!writeAll(io_, fd.get(), data_, size_)) return failed(systemError("Cannot write " + quoted(target_)));
        const Result kept = old ? keepWhatItHad(fd.get(), *old) : Result::Done;
        if (kept != Result::Done) return kept;
        if (!takeStamp(fd.get())) return Result::Failed;
        if (io_.fsync(fd.get()) != 0 || !fd.close()) return failed(systemError("Cannot write " + quoted(target_)));
        return Result::Done;
    }

    // The old file's owner and group, extended attributes (its ACL among them) and
    // permission bits. After the writes, which clear the set-user-ID and set-group-ID
    // bits; the owner first, since changing it clears them too; the bits last, which
    // also makes the ACL's mask the group bits again, as on the old file.
    Result keepWhatItHad(int fd, const struct stat& old) {
        if (io_.fchown(fd, old.st_uid, old.st_gid) != 0) {
            if (errno == EPERM) return Result::NotKept;
            return failed(systemError("Cannot give the new file the owner of " + quoted(target_)));
        }
        switch (copyAttributes(io_, target_, fd)) {
        case AttributeCopy::Done: break;
        case AttributeCopy::NotKept: return Result::NotKept;
        case AttributeCopy::Failed:
            return failed(systemError("Cannot give the new file the extended attributes of " + quoted(target_)));
        }
        if (io_.fchmod(fd, old.st_mode & 07777) != 0)
            return failed(systemError("Cannot give the new file the permissions of " + quoted(target_)));
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

    // Opens the target for reading and writing, if it is still the file examined
    // before; -1 with the error set otherwise.
    int openTarget(const struct stat& old, struct stat* now) {
        Fd fd(io_, io_.open(target_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC, 0));
        if (fd.get() < 0) return failedFd(systemError("Cannot open " + quoted(target_) + " for writing"));
        if (io_.fstat(fd.get(), now) != 0) return failedFd(systemError("Cannot examine " + quoted(target_)));
        if (!S_ISREG(now->st_mode) || now->st_dev != old.st_dev || now->st_ino != old.st_ino)
            return failedFd(quoted(target_) + " was replaced by another file while it was being saved.");
        return fd.release();
    }

    // Copies the file open as fd (at offset 0) to a new backup, flushed; its
    // descriptor, kept open so that a restore reads what was written, or -1.
    int makeBackup(int fd, const struct stat& now, std::string* path) {
        const std::string what = "Cannot make a backup of " + quoted(target_);
        Fd copy(io_, createBackup(what, path));
        if (copy.get() < 0) return -1;
        off_t copied = 0;
        bool ok = copyAll(io_, fd, copy.get(), &copied);
        if (ok && copied != now.st_size) {
            ok = false;
            errno = EAGAIN;  // the file changed meanwhile
        }
        if (ok && io_.fsync(copy.get()) == 0 && syncFolder(io_, folderOf(*path))) return copy.release();
        fail(systemError(what));
        copy.reset();
        if (io_.unlink(path->c_str()) != 0) error_ += "\nAn unfinished backup is left in " + quoted(*path) + ".";
        return -1;
    }

    // A new, empty backup file beside the target, else in the backup folder; -1 with the error set.
    int createBackup(const std::string& what, std::string* path) {
        const std::string beside = dirOf(target_) + "." + baseOf(target_) + kBackupTag;
        const int out = nameFits(beside, 8) ? createUnique(io_, beside, 0600, path) : -1;
        if (out >= 0) return out;
        const std::string folder = backupFolder();
        if (folder.empty()) return failedFd(what + ": neither XDG_CACHE_HOME nor HOME is set.");
        if (!makeFolder(io_, folderOf(folder)) || !makeFolder(io_, folder))
            return failedFd(systemError(what + " in " + quoted(folder)));
        if (!privateFolder(folder, what)) return -1;
        const int fd = createUnique(io_, folder + "/" + baseOf(target_).substr(0, kCacheNameKept) + kBackupTag, 0600, path);
        if (fd < 0) fail(systemError(what + " in " + quoted(folder)));
        return fd;
    }

    // Only the user may add, remove or rename files in the backup folder, so that
    // no one else can put other bytes in the place of a backup.
    bool privateFolder(const std::string& folder, const std::string& what) {
        struct stat st {};
        if (io_.lstat(folder.c_str(), &st) != 0) return fail(systemError(what + " in " + quoted(folder)));
        if (S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 022) == 0) return true;
        return fail(what + ": " + quoted(folder) + " is not a folder of yours that only you may write.");
    }

    // Writes, flushes and reads back the data over the file's old bytes.
    bool writeOver(int fd, const struct stat& old) {
        if (io_.lseek(fd, 0, SEEK_SET) != 0 || !writeAll(io_, fd, data_, size_) ||
            io_.ftruncate(fd, static_cast<off_t>(size_)) != 0 || io_.fsync(fd) != 0)
            return fail(systemError("Cannot write " + quoted(target_)));
        if (!readsBack(fd)) return false;
        if (!keepMode(fd, old)) return fail(systemError("Cannot keep the permissions of " + quoted(target_)));
        return takeStamp(fd);
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

    // Puts the backup's bytes back over the file, through the target's descriptor
    // if it is still open (else through the file reopened, if it is the same file).
    bool restore(Fd& target, int backup, const struct stat& old) {
        const std::string why = error_;
        struct stat now {};
        Fd reopened(io_, target.get() < 0 ? openTarget(old, &now) : -1);
        error_ = why;
        Fd& out = target.get() < 0 ? reopened : target;
        if (out.get() < 0) return false;
        off_t copied = 0;
        bool ok = io_.lseek(backup, 0, SEEK_SET) == 0 && io_.lseek(out.get(), 0, SEEK_SET) == 0 &&
                  copyAll(io_, backup, out.get(), &copied) && copied == old.st_size &&
                  io_.ftruncate(out.get(), copied) == 0 && io_.fsync(out.get()) == 0;
        // The permission bits go back even when the bytes cannot.
        ok = keepMode(out.get(), old) && ok;
        // Writing them back changed the file's time: the next save compares with the file as it is now.
        struct stat st {};
        if (ok && io_.fstat(out.get(), &st) == 0) stamp_ = FileStamp::of(st);
        restored_ = out.close() && ok;
        return restored_;
    }

    FileIo& io_;
    const std::string target_;
    const uint8_t* data_;
    const size_t size_;
    std::string error_;
    FileStamp stamp_;
    bool restored_ = false;
};

// Why a save may not write the file found at the path; empty when it may.
std::string refusalOf(FileIo& io, const std::string& target, const struct stat& old) {
    if (!S_ISREG(old.st_mode)) return quoted(target) + " is not a regular file.";
    // A folder the user may write would let a rename replace a file the user may
    // not write; the file's own permissions decide (root may write any).
    if (io.access(target.c_str(), W_OK) != 0) return systemError("Cannot write " + quoted(target));
    return {};
}

// By rename when that keeps everything: for a file with one name and an owner and
// group the new file can be given, in a folder the user may write, when the new
// file's name fits. Else in place, or a missing file made under its own name.
Saver::Result save(Saver& saver, FileIo& io, const std::string& target, const struct stat* old) {
    const bool renameFits = nameFits(target, std::strlen(kTempTag) + 9) &&
                            (!old || (old->st_nlink == 1 && canGiveOwner(*old))) &&
                            io.access(folderOf(target).c_str(), W_OK | X_OK) == 0;
    const Saver::Result result = renameFits ? saver.byRename(old) : Saver::Result::NotKept;
    if (result != Saver::Result::NotKept) return result;
    return old ? saver.inPlace(*old) : saver.createNew();
}

}  // namespace

std::string backupFolder() {
    // A relative XDG_CACHE_HOME is to be ignored.
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && cache[0] == '/') return std::string(cache) + "/tarpon-hex";
    const char* home = std::getenv("HOME");
    if (home && home[0] != '\0') return std::string(home) + "/.cache/tarpon-hex";
    return {};
}

SaveResult replaceFile(const std::string& path, const uint8_t* data, size_t size, FileIo& io,
                       const FileStamp* expected) {
    SaveResult result;
    if (path.empty()) {
        result.error = "No file name.";
        return result;
    }
    std::string target;
    struct stat old {};
    bool exists = false;
    if (!findTarget(io, path, &target, &old, &exists, &result.error)) return result;
    if (exists) result.replaced = FileStamp::of(old);
    if (expected && !(result.replaced == *expected)) {
        result.status = SaveStatus::ChangedOnDisk;
        return result;
    }
    result.error = exists ? refusalOf(io, target, old) : "";
    if (!result.error.empty()) return result;
    Saver saver(io, target, data, size);
    switch (save(saver, io, target, exists ? &old : nullptr)) {
    case Saver::Result::Done: result.status = SaveStatus::Saved; break;
    case Saver::Result::DoneBut: result.status = SaveStatus::SavedBut; break;
    default: result.status = SaveStatus::Failed; break;
    }
    result.error = saver.error();
    if (result.saved() || saver.restored()) result.stamp = saver.stamp();
    return result;
}

}  // namespace tarpon
