// Loading and saving when things go wrong: one table of files is loaded and saved while each
// system call fails in turn (the 1st, the 2nd, ...), and each time the user must find no harm.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <set>
#include <tuple>
#include <utility>

#include "app/document.h"
#include "app/file_commands.h"
#include "core/file_io.h"
#include "test_editor.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;
using test::readBytes;
using test::writeBytes;

constexpr uid_t kRoot = 0, kNobody = 65534;

// Over 64 KiB, every byte value; no byte of the new document equals the old file's byte at its offset.
const Bytes kOld = test::countingBytes(66000), kNew(kOld.rbegin() + 400, kOld.rend());
const std::string kTooLarge = "Size to big ( it is 9 mb or bigger)";

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
void must(int result, const char* what) { ASSERT_EQ(result, 0) << what << ": " << std::strerror(errno); }

std::set<std::string> filesUnder(const std::string& folder) {
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file() && !entry.is_symlink()) files.insert(entry.path().string());
    return files;
}

// A file's extended attributes, its ACL among them: name -> value.
std::map<std::string, std::string> attributesOf(const std::string& path) {
    std::map<std::string, std::string> attributes;
    char names[4096], value[4096];
    const ssize_t n = ::llistxattr(path.c_str(), names, sizeof names);
    for (ssize_t at = 0; at < n; at += static_cast<ssize_t>(std::strlen(names + at)) + 1) {
        const ssize_t size = ::lgetxattr(path.c_str(), names + at, value, sizeof value);
        attributes[names + at] = size < 0 ? "?" : std::string(value, static_cast<size_t>(size));
    }
    return attributes;
}

// The ACL "user::rw- user:daemon:<daemon> group::r-- mask::rw- other::---" as the system stores it (mode 0660).
std::string aclFor(uint16_t daemon) {
    const auto entry = [](uint16_t tag, uint16_t perm, uint32_t id) {
        const uint8_t b[8] = {uint8_t(tag), uint8_t(tag >> 8), uint8_t(perm), uint8_t(perm >> 8),
                              uint8_t(id), uint8_t(id >> 8), uint8_t(id >> 16), uint8_t(id >> 24)};
        return std::string(reinterpret_cast<const char*>(b), sizeof b);
    };
    constexpr uint32_t kNone = UINT32_MAX;
    return std::string("\x02\0\0\0", 4) + entry(0x01, 6, kNone) + entry(0x02, daemon, 1) + entry(0x04, 4, kNone) +
           entry(0x10, 6, kNone) + entry(0x20, 0, kNone);
}

// Counts the calls and fails call number failAt (with diskFills, also every write, fsync and ftruncate after it).
// Reads and writes move at most `chunk` bytes; beforeRead changes the file before its first read.
class FaultyIo : public FileIo {
public:
    FaultyIo(int failAt, bool diskFills, size_t chunk, std::function<void()> beforeRead = {})
        : failAt_(failAt), diskFills_(diskFills), chunk_(chunk), beforeRead_(std::move(beforeRead)) {}
    int calls = 0;
    std::string failed;  // the call that failed
    int error() const { return diskFills_ ? ENOSPC : EIO; }
    bool reached() const { return calls >= failAt_; }

    int open(const char* p, int f, mode_t m) override { return fails("open") ? -1 : FileIo::open(p, f, m); }
    int close(int fd) override {  // the descriptor is closed even when the call fails
        const int result = FileIo::close(fd);
        return fails("close") ? -1 : result;
    }
    int fstat(int fd, struct stat* st) override { return fails("fstat") ? -1 : FileIo::fstat(fd, st); }
    int lstat(const char* p, struct stat* st) override { return fails("lstat") ? -1 : FileIo::lstat(p, st); }
    ssize_t readlink(const char* p, char* b, size_t n) override {
        return fails("readlink") ? -1 : FileIo::readlink(p, b, n);
    }
    int access(const char* p, int m) override { return fails("access") ? -1 : FileIo::access(p, m); }
    ssize_t read(int f, void* b, size_t n) override {
        if (beforeRead_) std::exchange(beforeRead_, nullptr)();
        return fails("read") ? -1 : FileIo::read(f, b, std::min(n, chunk_));
    }
    ssize_t write(int f, const void* b, size_t n) override {
        return fails("write", true) ? -1 : FileIo::write(f, b, std::min(n, chunk_));
    }
    off_t lseek(int fd, off_t o, int w) override { return fails("lseek") ? -1 : FileIo::lseek(fd, o, w); }
    int ftruncate(int fd, off_t n) override { return fails("ftruncate", true) ? -1 : FileIo::ftruncate(fd, n); }
    int fsync(int) override { return fails("fsync", true) ? -1 : 0; }  // flushing could only slow the tests
    int fchown(int fd, uid_t u, gid_t g) override { return fails("fchown") ? -1 : FileIo::fchown(fd, u, g); }
    int fchmod(int fd, mode_t m) override { return fails("fchmod") ? -1 : FileIo::fchmod(fd, m); }
    int rename(const char* a, const char* b) override { return fails("rename") ? -1 : FileIo::rename(a, b); }
    int unlink(const char* p) override { return fails("unlink") ? -1 : FileIo::unlink(p); }
    int mkdir(const char* p, mode_t m) override { return fails("mkdir") ? -1 : FileIo::mkdir(p, m); }
    ssize_t llistxattr(const char* p, char* l, size_t n) override {
        return fails("llistxattr") ? -1 : FileIo::llistxattr(p, l, n);
    }
    ssize_t lgetxattr(const char* p, const char* a, void* v, size_t n) override {
        return fails("lgetxattr") ? -1 : FileIo::lgetxattr(p, a, v, n);
    }
    ssize_t flistxattr(int fd, char* l, size_t n) override {
        return fails("flistxattr") ? -1 : FileIo::flistxattr(fd, l, n);
    }
    ssize_t fgetxattr(int fd, const char* a, void* v, size_t n) override {
        return fails("fgetxattr") ? -1 : FileIo::fgetxattr(fd, a, v, n);
    }
    int fsetxattr(int fd, const char* a, const void* v, size_t n, int f) override {
        return fails("fsetxattr", true) ? -1 : FileIo::fsetxattr(fd, a, v, n, f);
    }
    int fremovexattr(int fd, const char* a) override { return fails("fremovexattr") ? -1 : FileIo::fremovexattr(fd, a); }

private:
    bool fails(const char* call, bool movesData = false) {
        const bool now = ++calls == failAt_ || (full_ && movesData);
        full_ = full_ || (now && diskFills_ && movesData);
        if (now) failed = call;
        if (now) errno = error();
        return now;
    }
    int failAt_;
    bool diskFills_, full_ = false;
    size_t chunk_;
    std::function<void()> beforeRead_;
};

// Runs f as the ordinary user nobody (when the tests run as root; else as the user they run as).
void asUser(bool ordinary, const std::function<void()>& f) {
    const bool drop = ordinary && ::geteuid() == kRoot;
    if (drop && (::setegid(kNobody) != 0 || ::seteuid(kNobody) != 0)) ADD_FAILURE() << "cannot become nobody";
    f();
    if (drop && (::seteuid(kRoot) != 0 || ::setegid(kRoot) != 0)) std::abort();  // the rest would run as nobody
}

// The files of one attempt: the folder `work` holding the target, and HOME for in-place saves' backups.
struct Scene {
    explicit Scene(bool ordinary) {
        ::chmod(tmp.dir.c_str(), 0755);
        for (const std::string& path : {work, home}) {
            must(::mkdir(path.c_str(), 0755), "mkdir");
            if (ordinary && ::geteuid() == kRoot) must(::chown(path.c_str(), kNobody, kNobody), "chown");
        }
    }
    ~Scene() { ::chmod(work.c_str(), 0755); }
    std::string at(const std::string& name) const { return work + "/" + name; }
    // The target: a file `name` in the folder (with a second hard link "other").
    void file(const Bytes& bytes, mode_t mode = 0644, bool secondLink = false, const std::string& name = "doc") {
        target = real = at(name);
        writeBytes(real, bytes);
        must(::chmod(real.c_str(), mode), "chmod");
        if (secondLink) must(::link(real.c_str(), at("other").c_str()), "link");
    }
    void link(const std::string& to, const std::string& name) { must(::symlink(to.c_str(), at(name).c_str()), "link"); }
    // A file of `size` bytes, read in one go; `growing`: empty until it is first read.
    void large(off_t size, bool growing) {
        file({});
        chunk = SIZE_MAX;
        beforeRead = [this, size] { must(::truncate(real.c_str(), size), "truncate"); };
        if (!growing) std::exchange(beforeRead, nullptr)();
    }

    test::TempDir tmp;
    std::string work = tmp.file("work"), home = tmp.file("home");
    std::string target = at("doc"), real = target;  // the path given, and the file it reaches
    std::string xdgCacheHome = home + "/xdg";        // empty: none
    size_t chunk = 32 << 10;
    std::function<void()> beforeRead;
    bool skip = false;    // the row needs root, or what skipWhy says
    std::string skipWhy;
    std::string previous = tmp.file("previous");  // the document open before the attempt
    bool existed = false, saved = false;
    struct stat before {};
    Bytes old;
    std::set<std::string> filesBefore;
    std::map<std::string, std::string> attributes;
};

// Sets an extended attribute for a row; a file system without them skips the row, saying so.
void setAttribute(Scene& s, const std::string& path, const char* name, const std::string& value) {
    if (::lsetxattr(path.c_str(), name, value.data(), value.size(), 0) == 0) return;
    s.skip = true;
    s.skipWhy = "the test folder's file system refuses " + std::string(name) + ": " + std::strerror(errno);
}

// How a save goes: Renamed over the file, written In place, Created, refused (X), refused for want of a
// safe Backup folder, Not tried (rows about loading), or a Question first (the document's own file changed
// on disk after it was loaded). B and Q rows are about saving only.
enum Route { R, I, C, X, B, N, Q };

struct Row {
    std::string name;
    bool ordinary;  // made, loaded and saved by an ordinary user
    Route save;
    std::string refusal;  // part of the load's message (empty: it loads), and of the save's when refused
    std::function<void(Scene&)> setup;
    std::function<void(Scene&)> change = {};  // Q: what another program does after the file was loaded
};

// Sets the file's modification time to `when` (its access time too).
void touch(const std::string& path, struct timespec when) {
    const struct timespec times[2] = {when, when};
    must(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), "utimensat");
}
struct timespec modified(const std::string& path) {
    struct stat st {};
    must(::stat(path.c_str(), &st), "stat");
    return st.st_mtim;
}
const Row kRows[] = {
    {"one link in a writable folder", false, R, "", [](Scene& s) { s.file(kOld, 0640); }},
    {"an empty file", false, R, "", [](Scene& s) { s.file({}); }},
    {"a missing file is created", false, C, "", [](Scene&) {}},
    {"a missing file with a name too long for a new file's is created under its own name", false, C, "",
     [](Scene& s) { s.target = s.real = s.at(std::string(250, 'n')); }},
    {"a name too long for the new file's: backup under XDG_CACHE_HOME", false, I, "",
     [](Scene& s) { s.file(kOld, 0644, false, std::string(250, 'n')); }},
    {"relative links through another folder stay links; the file keeps its mode", false, R, "", [](Scene& s) {
         must(::mkdir(s.at("sub").c_str(), 0755), "mkdir");
         s.file(kOld, 0600, false, "sub/doc");
         s.link("sub/next", "link");
         s.link("doc", "sub/next");
         s.target = s.at("link");
     }},
    {"a dangling link: a save makes the file it names", false, C, "symbolic link to \"nowhere\"",
     [](Scene& s) { s.link("nowhere", "doc"), s.real = s.at("nowhere"); }},
    {"a path too long for the new file's: backup under HOME (relative XDG_CACHE_HOME)", false, I, "", [](Scene& s) {
         s.file(kOld);
         s.link(".", std::string(250, 'l'));  // the folder again, under a long name
         std::string path = s.work;           // path/doc: 4085 characters, 17 short of room for a new name
         while (path.size() < 4081) path += path.size() + 251 <= 4081 ? "/" + std::string(250, 'l') : "/";
         s.target = path + "/doc";
         s.xdgCacheHome = "relative";
     }},
    {"a file in a read-only folder: backup under HOME (no XDG_CACHE_HOME)", true, I, "",
     [](Scene& s) { s.file(kOld), must(::chmod(s.work.c_str(), 0555), "chmod"), s.xdgCacheHome = ""; }},
    {"set-user-ID and set-group-ID bits", true, R, "", [](Scene& s) { s.file(kOld, 06755); }},
    {"a shorter file with the set-user-ID bit and a second link", true, I, "",
     [](Scene& s) { s.file(test::countingBytes(100), 04750, true); }},
    {"root saves another user's read-only file, owner kept", false, R, "", [](Scene& s) {
         s.file(kOld, 0444);
         s.skip = ::geteuid() != kRoot || ::chown(s.real.c_str(), kNobody, kNobody) != 0;
     }},
    {"an ACL and an attribute are kept, not the folder's other default ACL", true, R, "", [](Scene& s) {
         s.file(kOld, 0640);
         setAttribute(s, s.real, "system.posix_acl_access", aclFor(6));
         setAttribute(s, s.real, "user.comment", "keep");
         setAttribute(s, s.work, "system.posix_acl_default", aclFor(4));
     }},
    {"a folder's default ACL is not given to a file that had none", true, R, "", [](Scene& s) {
         s.file(kOld);
         setAttribute(s, s.work, "system.posix_acl_default", aclFor(6));
     }},
    {"a file the user may neither read nor write", true, X, "Permission denied", [](Scene& s) { s.file(kOld, 0); }},
    {"a FIFO, never waited on", false, X, "is not a regular file",
     [](Scene& s) { must(::mkfifo(s.real.c_str(), 0600), "mkfifo"); }},
    {"a folder", false, X, "is not a regular file", [](Scene& s) { must(::mkdir(s.real.c_str(), 0700), "mkdir"); }},
    {"a cache folder others may write is refused, named", true, B, "tarpon-hex\" is not a folder of yours that only",
     [](Scene& s) {
         s.file(kOld), must(::chmod(s.work.c_str(), 0555), "chmod");
         for (const std::string& folder : {s.xdgCacheHome, s.xdgCacheHome + "/tarpon-hex"})
             must(::mkdir(folder.c_str(), 0700), "mkdir");
         must(::chmod((s.xdgCacheHome + "/tarpon-hex").c_str(), 0777), "chmod");
     }},
    {"a cache folder of another user is refused, named", false, B, "tarpon-hex\" is not a folder of yours",
     [](Scene& s) {
         s.file(kOld, 0644, false, std::string(250, 'n'));  // no room for a backup beside it
         for (const std::string& folder : {s.xdgCacheHome, s.xdgCacheHome + "/tarpon-hex"})
             must(::mkdir(folder.c_str(), 0700), "mkdir");
         s.skip = ::geteuid() != kRoot || ::chown((s.xdgCacheHome + "/tarpon-hex").c_str(), kNobody, kNobody) != 0;
     }},
    {"changed on disk: another program's edit of the same size, a nanosecond later", false, Q, "",
     [](Scene& s) { s.file(kOld); },
     [](Scene& s) {
         struct timespec when = modified(s.real);
         writeBytes(s.real, Bytes(kOld.rbegin(), kOld.rend()));
         when.tv_nsec == 999999999 ? (++when.tv_sec, when.tv_nsec = 0) : ++when.tv_nsec;
         touch(s.real, when);
     }},
    {"changed on disk: one byte longer, its time put back (a second link: saved in place)", false, Q, "",
     [](Scene& s) { s.file(kOld, 0644, true); },
     [](Scene& s) {
         const struct timespec when = modified(s.real);
         Bytes longer = kOld;
         longer.push_back(0);
         writeBytes(s.real, longer);
         touch(s.real, when);
     }},
    {"changed on disk: a 10 MiB file put in its place", false, Q, "", [](Scene& s) { s.file(kOld); },
     [](Scene& s) {
         writeBytes(s.at("big"), {7});
         must(::truncate(s.at("big").c_str(), 10 << 20), "truncate");  // sparse: quick to make and remove
         must(::rename(s.at("big").c_str(), s.real.c_str()), "rename");
     }},
    {"changed on disk: a link to another file of the same bytes and time", false, Q, "",
     [](Scene& s) { s.file(kOld); },
     [](Scene& s) {
         writeBytes(s.at("other"), kOld);
         touch(s.at("other"), modified(s.real));
         must(::unlink(s.real.c_str()), "unlink");
         s.link("other", "doc");
         s.real = s.at("other");
     }},
    {"changed on disk: removed (a name too long for the new file's: made under its own name)", false, Q, "",
     [](Scene& s) { s.file(kOld, 0644, false, std::string(250, 'n')); },
     [](Scene& s) { must(::unlink(s.real.c_str()), "unlink"); }},
    {"a file that shrinks after its size was taken", false, N, "",
     [](Scene& s) { s.file(kOld), s.beforeRead = [&s] { writeBytes(s.real, kNew); }; }},
    {"the largest file that loads", false, N, "", [](Scene& s) { s.large(kMaxFileSize - 1, false); }},
    {"a file one byte larger", false, N, kTooLarge, [](Scene& s) { s.large(kMaxFileSize, false); }},
    {"a file growing to the largest size while read", false, N, "", [](Scene& s) { s.large(kMaxFileSize - 1, true); }},
    {"a file growing one byte larger while read", false, N, kTooLarge, [](Scene& s) { s.large(kMaxFileSize, true); }},
};

std::string env(const char* name) { return std::getenv(name) ? std::getenv(name) : ""; }  // empty reads as unset

// Loads or saves each row's target as the row's user, "previous" open (for Q rows: the target, changed
// after the load), while call n = 1, 2, ... fails (with diskFills: the disk is full from call n on), then
// check(row, scene, editor, io, first message), until an attempt no longer reaches call n or fails a check.
// TARPON_FAULT_SHARD="k/m" runs only every m-th row from row k (the sanitizer build splits the
// slow fault tests into shards that way, each a test of its own); unset, every row runs.
bool inShard(size_t rowIndex) {
    unsigned k = 0, m = 1;
    const std::string shard = env("TARPON_FAULT_SHARD");
    if (shard.empty() || std::sscanf(shard.c_str(), "%u/%u", &k, &m) != 2 || m == 0) return true;
    return rowIndex % m == k;
}

template <typename Check>
void everyFault(bool save, bool diskFills, Check check) {
    const std::string home = env("HOME"), xdgCacheHome = env("XDG_CACHE_HOME");
    for (size_t rowIndex = 0; rowIndex < std::size(kRows); ++rowIndex) {
        if (!inShard(rowIndex)) continue;
        const Row& row = kRows[rowIndex];
        for (int n = 1; save ? row.save != N : row.save != Q && row.save != B; ++n) {
            SCOPED_TRACE(row.name + (diskFills ? ": the disk fills at call " : ": failing call ") + std::to_string(n));
            Scene s(row.ordinary);
            asUser(row.ordinary, [&] { row.setup(s); });
            if (s.skip) {
                if (!s.skipWhy.empty()) std::cout << "[  SKIPPED ] " << row.name << ": " << s.skipWhy << "\n";
                break;
            }
            ::setenv("HOME", s.home.c_str(), 1);
            ::setenv("XDG_CACHE_HOME", s.xdgCacheHome.c_str(), 1);
            writeBytes(s.previous, {1, 2, 3});
            test::TestEditor t(row.change ? s.target : s.previous);
            if (save) t.setDocument(kNew);
            if (row.change) row.change(s);
            s.existed = ::stat(s.real.c_str(), &s.before) == 0;
            s.old = readBytes(s.real);
            s.attributes = attributesOf(s.real);
            s.filesBefore = filesUnder(s.tmp.dir);
            FaultyIo io(n, diskFills, s.chunk, s.beforeRead);
            asUser(row.ordinary, [&] { save ? (void)(s.saved = SaveFile(t.ed, s.target, io)) : LoadFile(t.ed, s.target, io); });
            EXPECT_LE(t.services.messages.size(), 1u);
            check(row, s, t, io, t.services.messages.empty() ? "" : t.services.messages[0]);
            if (testing::Test::HasFailure() || !io.reached()) break;
        }
    }
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CACHE_HOME", xdgCacheHome.c_str(), 1);
}

// A failed save leaves the old file and no temporary file (or, when even putting the old bytes back
// fails, a backup the message names); a save keeps mode, owner, links, ACL and extended attributes;
// the next save works. A save
// whose only failure came after the new bytes were in the file says so and counts as saved. The
// document's own file, changed on disk, is overwritten only when the user says so, and asked about once.
TEST(SaveFile, EveryFaultLeavesTheOldFileIntactAndTheNextSaveWorks) {
    const auto kept = [](const struct stat& st) { return std::tuple(st.st_mode, st.st_uid, st.st_gid, st.st_nlink); };
    const auto checkSaved = [&](const Scene& s) {
        struct stat st {}, given {};
        EXPECT_TRUE(readBytes(s.real) == kNew) << "the file does not hold the new bytes";
        EXPECT_EQ(::stat(s.real.c_str(), &st), 0);
        EXPECT_TRUE(!s.existed || kept(st) == kept(s.before)) << "mode, owner or links changed";
        EXPECT_EQ(attributesOf(s.real), s.attributes) << "the ACL or other extended attributes changed";
        EXPECT_TRUE(st.st_nlink == 1 || readBytes(s.at("other")) == kNew) << "the second link differs";
        EXPECT_TRUE(::stat(s.target.c_str(), &given) == 0 && given.st_ino == st.st_ino) << "the links were replaced";
        return !s.existed ? C : st.st_ino == s.before.st_ino ? I : R;
    };
    const auto checkFailed = [&](const Row& row, const Scene& s, const auto& io, const std::string& message,
                                 bool backupLeft) {
        EXPECT_FALSE(s.saved);
        EXPECT_TRUE(message.starts_with("Problems Saving\n") &&
                    ((io.reached() && contains(message, std::strerror(io.error()))) ||
                     ((row.save == X || row.save == B) && contains(message, row.refusal))))
            << message;
        const Bytes got = readBytes(s.real);
        EXPECT_TRUE(backupLeft || (s.existed ? got == s.old : !std::filesystem::exists(s.real)))
            << "the file is damaged";
        // Only a full disk can keep the old bytes from going back over new ones (the backup stays).
        EXPECT_TRUE(got != kNew || io.error() == ENOSPC) << "the file holds the new bytes after all";
        struct stat now {};
        EXPECT_TRUE(!s.existed || (::stat(s.real.c_str(), &now) == 0 && now.st_mode == s.before.st_mode));
        EXPECT_TRUE(!s.existed || attributesOf(s.real) == s.attributes) << "the ACL or other attributes changed";
    };
    const auto check = [&](const Row& row, const Scene& s, auto& t, const auto& io, const std::string& message) {
        std::set<std::string> left = filesUnder(s.tmp.dir);
        std::erase_if(left, [&](const std::string& path) { return s.filesBefore.contains(path) || path == s.real; });
        // Anything left is a backup of the old bytes the message names; one fault leaves one only in its removal.
        EXPECT_EQ(contains(message, ".tarpon-"), !left.empty()) << message;
        for (const std::string& path : left)
            EXPECT_TRUE(readBytes(path) == s.old && contains(message, path)) << path << ": " << message;
        EXPECT_TRUE(io.error() == ENOSPC || left.empty() || io.failed == "unlink");
        if (contains(message, " was saved, but ")) {
            // Only flushing the folder or removing the backup came after the new bytes were in place.
            EXPECT_TRUE(s.saved && contains(message, std::strerror(io.error())) &&
                        (io.failed == "fsync" || io.failed == "unlink"))
                << message;
            EXPECT_EQ(checkSaved(s), row.save);
        } else if (!message.empty()) {
            checkFailed(row, s, io, message, !left.empty());
        } else if (row.save == Q) {
            const std::string name = s.target.substr(s.target.rfind('/') + 1);
            EXPECT_EQ(t.services.questions,
                      std::vector<std::string>{name + " has changed on disk since it was opened. Overwrite it?"});
            EXPECT_TRUE(!s.saved && !io.reached() && readBytes(s.real) == s.old) << "Cancel did not keep the file";
        } else {
            // Only calls the save can do without may fail unnoticed: the look at the folder's permissions
            // (which may change the way it saves), opening the folder to flush or a backup beside the file, closing.
            EXPECT_TRUE(!io.reached() || io.failed == "access" || io.failed == "open" || io.failed == "close")
                << "a failing " << io.failed << " went unnoticed";
            EXPECT_TRUE(s.saved && (checkSaved(s) == row.save || io.failed == "access")) << "saved another way";
        }
        if (row.save == X || row.save == B) return;
        // The next save works; a changed file is asked about (Overwrite), and then no more.
        for (const size_t asked : {size_t{row.save == Q}, size_t{0}}) {
            t.services.messages.clear();
            t.services.questions.clear();
            t.services.answers = {0};
            FaultyIo faultless(0, false, s.chunk);
            asUser(row.ordinary, [&] { SaveFile(t.ed, s.target, faultless); });
            EXPECT_TRUE(t.services.messages.empty()) << "the next save failed";
            EXPECT_EQ(t.services.questions.size(), asked);
            checkSaved(s);
        }
    };
    for (const bool diskFills : {false, true}) everyFault(true, diskFills, check);
}

// An attribute the system will not let the new file of a save by rename have (EPERM: a security label,
// say) is kept by writing the file in place instead.
TEST(SaveFile, AnAttributeTheNewFileMayNotHaveMeansSavingInPlace) {
    struct RefusingIo : FileIo {
        int fsetxattr(int, const char*, const void*, size_t, int) override { return errno = EPERM, -1; }
    } io;
    test::TempDir dir;
    const std::string path = dir.file("doc");
    writeBytes(path, kOld);
    if (::lsetxattr(path.c_str(), "user.comment", "keep", 4, 0) != 0) GTEST_SKIP() << "no extended attributes here";
    struct stat before {}, after {};
    ::stat(path.c_str(), &before);
    test::TestEditor t(kNew);
    EXPECT_TRUE(SaveFile(t.ed, path, io)) << t.services.messages.at(0);
    ::stat(path.c_str(), &after);
    EXPECT_TRUE(readBytes(path) == kNew && after.st_ino == before.st_ino);
    EXPECT_EQ(attributesOf(path), (std::map<std::string, std::string>{{"user.comment", "keep"}}));
}

// A save in place that fails puts the old bytes back from the backup it wrote, even when another file has
// been put under the backup's name meanwhile.
TEST(SaveFile, ARestoreReadsTheBackupItWroteNotWhatIsNowUnderItsName) {
    test::TempDir dir;
    struct SwappingIo : FileIo {
        std::string dir;
        bool swapped = false;
        int ftruncate(int fd, off_t size) override {  // the first is in the writing over the file: it fails
            if (std::exchange(swapped, true)) return FileIo::ftruncate(fd, size);
            for (const auto& entry : std::filesystem::directory_iterator(dir))
                if (entry.path().filename().string().starts_with(".doc.tarpon-backup-")) {
                    std::filesystem::remove(entry.path());
                    writeBytes(entry.path().string(), Bytes(kOld.size(), 'x'));
                }
            errno = EIO;
            return -1;
        }
    } io;
    io.dir = dir.dir;
    const std::string path = dir.file("doc");
    writeBytes(path, kOld);
    must(::link(path.c_str(), dir.file("other").c_str()), "link");  // saved in place, the backup beside it
    test::TestEditor t(kNew);
    EXPECT_FALSE(SaveFile(t.ed, path, io));
    EXPECT_TRUE(readBytes(path) == kOld) << "the old bytes did not come back";
}

// A load either takes the whole file as it now is, and its name, or leaves the document,
// its name and the folder as they were, with one message. The file never changes.
// The first call of one kind on the file being saved in place fails (a write: the first one; any other: the
// first after a write), as a full disk or a failing device would make it.
struct FailingOnTarget : FileIo {
    std::string target, call;
    int fd = -1;
    bool written = false, failed = false;
    bool fails(int on, const char* name) {
        if (failed || on != fd || call != name || (call != "write" && !written)) return false;
        failed = true;
        errno = EIO;
        return true;
    }
    int open(const char* path, int flags, mode_t mode) override {
        const int got = FileIo::open(path, flags, mode);
        if (path == target && (flags & O_ACCMODE) == O_RDWR) fd = got;
        return got;
    }
    ssize_t write(int f, const void* data, size_t size) override {
        if (fails(f, "write")) return -1;
        written = written || f == fd;
        return FileIo::write(f, data, size);
    }
    ssize_t read(int f, void* buf, size_t size) override { return fails(f, "read") ? -1 : FileIo::read(f, buf, size); }
    int ftruncate(int f, off_t size) override { return fails(f, "ftruncate") ? -1 : FileIo::ftruncate(f, size); }
    int fsync(int f) override { return fails(f, "fsync") ? -1 : FileIo::fsync(f); }
    int close(int f) override {
        const bool fail = fails(f, "close");
        const int closed = FileIo::close(f);
        return fail ? (errno = EIO, -1) : closed;
    }
};

// A save in place (the file has a second link) that fails after the backup was made puts the old bytes back,
// which gives the file a new time: the next Ctrl+S must not take that for another program's change.
TEST(SaveFile, AFailedSaveInPlacePutBackAsksNothingNext) {
    for (const char* call : {"write", "ftruncate", "fsync", "read", "close"}) {
        SCOPED_TRACE(std::string("failing ") + call);
        test::TempDir dir;
        const std::string path = dir.file("doc");
        writeBytes(path, kOld);
        ASSERT_EQ(::link(path.c_str(), dir.file("other").c_str()), 0);
        test::TestEditor t(path);
        t.setDocument(kNew);
        ::usleep(20000);  // a restore within the same clock tick would hide the new time
        FailingOnTarget io;
        io.target = path;
        io.call = call;
        EXPECT_FALSE(SaveFile(t.ed, path, io));
        EXPECT_TRUE(io.failed);
        EXPECT_TRUE(readBytes(path) == kOld) << "the old bytes are back";
        EXPECT_TRUE(SaveFile(t.ed, path, systemFileIo()));
        EXPECT_EQ(t.services.questions, std::vector<std::string>{});
        EXPECT_TRUE(readBytes(path) == kNew);
    }
}

TEST(LoadFile, EveryBadFileAndFaultLeavesTheDocumentOrTakesTheWholeFile) {
    everyFault(false, false, [](const Row& row, const Scene& s, auto& t, const auto& io, const std::string& message) {
        EXPECT_GE(t.ed.s.doc.fileData.size(), 1u);
        EXPECT_TRUE(io.reached() || (row.refusal.empty() ? message.empty() : contains(message, row.refusal)))
            << message;
        EXPECT_TRUE(!io.reached() || io.failed == "close" || !message.empty()) << "a failing " << io.failed;
        if (message.empty()) {
            EXPECT_EQ(t.ed.s.doc.fileName, s.target);
            EXPECT_TRUE(t.document() == readBytes(s.real)) << "the document is not the file";
        } else if (message == kTooLarge) {
            // The document empties; neither the refused file nor the previous one is the target of Save.
            EXPECT_EQ(t.ed.s.doc.fileSize, 0);
            EXPECT_FALSE(SaveDocument(t.ed));
            EXPECT_EQ(t.services.messages.back(), "Problems Saving");
            EXPECT_EQ(readBytes(s.previous), (Bytes{1, 2, 3}));
        } else {
            EXPECT_EQ(t.ed.s.doc.fileName, s.previous);
            EXPECT_EQ(t.document(), (Bytes{1, 2, 3}));
            EXPECT_EQ(filesUnder(s.tmp.dir), s.filesBefore) << "a failed load left a file";
        }
        EXPECT_TRUE(s.beforeRead || readBytes(s.real) == s.old) << "loading changed the file";
    });
}

}  // namespace
}  // namespace tarpon
