// Faults at the file seam. The two tables fail every system call of a save and of
// a load in turn (the 1st, the 2nd, ... until one runs without reaching the
// failing call) and check after each what a user would find: the old file byte
// for byte (or the new one whole), no temporary file or backup left behind unless
// the message names it, and a next save that works. The other tests use the real
// kernel: a file-size limit, and a file changing while it is read.
#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <stdexcept>

#include "app/document.h"
#include "core/file_io.h"
#include "table/tbl_file.h"
#include "temp_dir.h"
#include "test_editor.h"

namespace tarpon {
namespace {

using test::readBytes;
using test::TempDir;
using test::TestEditor;
using test::writeBytes;
using Bytes = std::vector<uint8_t>;

Bytes pattern(size_t n, uint8_t seed) {
    Bytes bytes(n);
    for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 13);
    return bytes;
}

// A step of a scene that must work for the test to mean anything.
void must(int result, const std::string& what) {
    if (result != 0) throw std::runtime_error(what + ": " + std::strerror(errno));
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Every name under folder, recursively, relative to it.
std::set<std::string> namesUnder(const std::string& folder) {
    std::set<std::string> names;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        names.insert(std::filesystem::relative(it->path(), folder).string());
    return names;
}

// Counts every call through the seam and fails call number failAt with `error`.
// With `persistent`, a failing write, fsync or ftruncate is followed by failures
// of every later one of them, as on a full or broken disk. With `chunk`, reads and
// writes move at most that many bytes, so that one file takes several calls.
class CountingIo : public FileIo {
public:
    int failAt = 0;  // 0: none
    int error = EIO;
    bool persistent = false;
    size_t chunk = 0;
    int calls = 0;

    int open(const char* path, int flags, mode_t mode) override {
        return fails(false) ? -1 : FileIo::open(path, flags, mode);
    }
    int close(int fd) override {
        if (!fails(false)) return FileIo::close(fd);
        FileIo::close(fd);  // a failing close still frees the descriptor
        return -1;
    }
    int fstat(int fd, struct stat* st) override { return fails(false) ? -1 : FileIo::fstat(fd, st); }
    int lstat(const char* path, struct stat* st) override { return fails(false) ? -1 : FileIo::lstat(path, st); }
    ssize_t readlink(const char* path, char* buf, size_t size) override {
        return fails(false) ? -1 : FileIo::readlink(path, buf, size);
    }
    int access(const char* path, int mode) override { return fails(false) ? -1 : FileIo::access(path, mode); }
    ssize_t read(int fd, void* buf, size_t size) override {
        return fails(false) ? -1 : FileIo::read(fd, buf, capped(size));
    }
    ssize_t write(int fd, const void* data, size_t size) override {
        return fails(true) ? -1 : FileIo::write(fd, data, capped(size));
    }
    off_t lseek(int fd, off_t offset, int whence) override {
        return fails(false) ? -1 : FileIo::lseek(fd, offset, whence);
    }
    int ftruncate(int fd, off_t size) override { return fails(true) ? -1 : FileIo::ftruncate(fd, size); }
    // Whether data reaches the disk is not what these tests can see; waiting for
    // it would only make them slow.
    int fsync(int) override { return fails(true) ? -1 : 0; }
    int fchown(int fd, uid_t uid, gid_t gid) override { return fails(false) ? -1 : FileIo::fchown(fd, uid, gid); }
    int fchmod(int fd, mode_t mode) override { return fails(false) ? -1 : FileIo::fchmod(fd, mode); }
    int rename(const char* from, const char* to) override { return fails(false) ? -1 : FileIo::rename(from, to); }
    int unlink(const char* path) override { return fails(false) ? -1 : FileIo::unlink(path); }
    int mkdir(const char* path, mode_t mode) override { return fails(false) ? -1 : FileIo::mkdir(path, mode); }

private:
    bool fails(bool movesData) {
        ++calls;
        const bool now = calls == failAt || (diskBroken_ && movesData);
        if (now && persistent && movesData) diskBroken_ = true;
        if (now) errno = error;
        return now;
    }
    size_t capped(size_t size) const { return chunk && size > chunk ? chunk : size; }
    bool diskBroken_ = false;
};

// What a check found wrong, one line each; empty when all is well.
class Problems {
public:
    void expect(bool ok, const std::string& what) {
        if (!ok) text_ += what + "\n";
    }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

constexpr uid_t kNobody = 65534;

// Runs body as an ordinary user and returns what it reports. Run as root, body
// runs in a child process that has given up root for uid and gid 65534;
// otherwise it runs here, as the ordinary user the tests already are.
std::string asOrdinaryUser(const std::function<std::string()>& body) {
    if (::geteuid() != 0) return body();
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return "no pipe";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        std::string report = "cannot drop privileges";
        if (::setgroups(0, nullptr) == 0 && ::setresgid(kNobody, kNobody, kNobody) == 0 &&
            ::setresuid(kNobody, kNobody, kNobody) == 0)
            report = body();
        const ssize_t written = ::write(pipeFds[1], report.data(), report.size());
        ::_exit(written == static_cast<ssize_t>(report.size()) ? 0 : 1);
    }
    ::close(pipeFds[1]);
    std::string report;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buf, sizeof buf)) > 0) report.append(buf, static_cast<size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        report += "\nthe child process failed";
    return report;
}

// The files of one row: a folder `work` holding the target, and the cache folder
// in-place saves may keep backups in. Files belong to the user who saves unless
// made `foreign` (owned by root).
struct Scene {
    TempDir tmp;
    std::string work = tmp.file("work"), cache = tmp.file("cache");
    bool ordinary = false;  // saved by an ordinary user
    std::string target;     // the path the save or load is given
    std::string real;       // the file it reaches

    Scene(bool ordinaryUser) : ordinary(ordinaryUser) {
        ::chmod(tmp.path().c_str(), 0755);
        ::mkdir(work.c_str(), 0755);
        ::mkdir(cache.c_str(), 0755);
        giveAway(work);
        giveAway(cache);
        target = real = at("doc");
    }
    std::string at(const std::string& name) const { return work + "/" + name; }
    void file(const std::string& name, const Bytes& bytes, mode_t mode, bool foreign = false) {
        writeBytes(at(name), bytes);
        if (!foreign) giveAway(at(name));
        ::chmod(at(name).c_str(), mode);
    }
    // The folder's files are made as root and given to the user who saves.
    void giveAway(const std::string& path) const {
        if (ordinary && ::geteuid() == 0) must(::lchown(path.c_str(), kNobody, kNobody), "lchown " + path);
    }
};

enum class Route { Rename, InPlace, Created, Refused };

struct SaveRow {
    const char* name;
    bool ordinaryUser;  // saved by an ordinary user (the permission rows)
    bool needsRoot;     // its scene needs root to make (another user's file)
    Route route;
    std::string refusal;  // Refused: part of the message
    std::function<void(Scene&)> setup;
};

const Bytes kOld = pattern(3000, 1);
const Bytes kNew = pattern(1300, 2);
const std::string kLongName(250, 'n');

std::vector<SaveRow> saveRows() {
    return {
        {"one link in a writable folder is replaced by rename", false, false, Route::Rename, "",
         [](Scene& s) { s.file("doc", kOld, 0640); }},
        {"a missing file is created", false, false, Route::Created, "", [](Scene&) {}},
        {"a file with a second hard link is written in place", false, false, Route::InPlace, "",
         [](Scene& s) {
             s.file("doc", pattern(100, 3), 0644);  // shorter than the new bytes
             must(::link(s.at("doc").c_str(), s.at("other").c_str()), "link");
         }},
        {"a name too long for the new file's is written in place, backup in the cache", false, false,
         Route::InPlace, "",
         [](Scene& s) {
             s.file(kLongName, kOld, 0644);
             s.target = s.real = s.at(kLongName);
         }},
        {"a missing file with a long name is created under its own name", false, false, Route::Created, "",
         [](Scene& s) { s.target = s.real = s.at(kLongName); }},
        {"a symbolic link stays a link; the file it names is replaced", false, false, Route::Rename, "",
         [](Scene& s) {
             s.file("doc", kOld, 0600);
             must(::symlink("doc", s.at("link").c_str()), "symlink");
             s.giveAway(s.at("link"));
             s.target = s.at("link");
         }},
        {"a writable file in a read-only folder is written in place, backup in the cache", true, false,
         Route::InPlace, "",
         [](Scene& s) {
             s.file("doc", kOld, 0644);
             ::chmod(s.work.c_str(), 0555);
         }},
        {"set-user-ID and set-group-ID bits survive a rename", true, false, Route::Rename, "",
         [](Scene& s) { s.file("doc", kOld, 06755); }},
        {"the set-user-ID bit survives a write in place", true, false, Route::InPlace, "",
         [](Scene& s) {
             s.file("doc", kOld, 04750);
             must(::link(s.at("doc").c_str(), s.at("other").c_str()), "link");
         }},
        {"a read-only file is refused", true, false, Route::Refused, "Permission denied",
         [](Scene& s) { s.file("doc", kOld, 0444); }},
        {"another user's file in the user's folder is refused", true, true, Route::Refused, "Permission denied",
         [](Scene& s) { s.file("doc", kOld, 0644, true); }},
        {"another user's writable file keeps its owner: written in place", true, true, Route::InPlace, "",
         [](Scene& s) { s.file("doc", kOld, 0666, true); }},
        // Root's rights are its own: it may replace a read-only file.
        {"root saves a read-only file and keeps its mode", false, true, Route::Rename, "",
         [](Scene& s) { s.file("doc", kOld, 0444); }},
    };
}

struct Before {
    bool exists = false;
    struct stat st {};
    Bytes bytes;
    std::set<std::string> names;
};

// The save went through, whichever way it took: the target holds the new bytes and
// kept its mode, owner and other names.
void checkSaved(Problems& p, const Scene& s, const Before& before, const std::string& real) {
    p.expect(readBytes(real) == kNew, "the file does not hold the new bytes");
    struct stat st {};
    p.expect(::stat(real.c_str(), &st) == 0, "the file is gone");
    if (before.exists) {
        p.expect((st.st_mode & 07777) == (before.st.st_mode & 07777), "the mode changed");
        p.expect(st.st_uid == before.st.st_uid && st.st_gid == before.st.st_gid, "the owner changed");
        p.expect(st.st_nlink == before.st.st_nlink, "the number of links changed");
    }
    if (before.names.count("other")) p.expect(readBytes(s.at("other")) == kNew, "the second link differs");
    if (before.names.count("link")) {
        struct stat link {};
        p.expect(::lstat(s.at("link").c_str(), &link) == 0 && S_ISLNK(link.st_mode), "the link is no link");
    }
}

// One save failing at call n: what must hold afterwards. Returns whether the
// save ran to its end without reaching call n.
bool checkSaveFailingAt(Problems& p, const SaveRow& row, Scene& s, int n, bool persistent) {
    const std::string& real = s.real;
    Before before;
    before.exists = ::stat(real.c_str(), &before.st) == 0;
    before.bytes = readBytes(real);
    before.names = namesUnder(s.work);

    TestEditor t;
    t.setDocument(kNew);
    CountingIo io;
    io.failAt = n;
    io.error = persistent ? ENOSPC : EIO;
    io.persistent = persistent;
    io.chunk = 512;
    SaveFile(t.ed, s.target, io);
    const bool reached = io.calls >= n;
    const std::string message = t.services.messages.empty() ? "" : t.services.messages[0];
    p.expect(t.services.messages.size() <= 1, "more than one message");

    // Whatever is left beside the file or in the cache must be named by the message.
    std::set<std::string> left = namesUnder(s.work);
    for (const std::string& name : before.names) left.erase(name);
    if (!before.exists) left.erase(std::filesystem::path(real).filename().string());
    std::vector<std::string> leftovers;
    for (const std::string& name : left) leftovers.push_back(s.at(name));
    for (const std::string& name : namesUnder(s.cache))
        if (name != "tarpon-hex") leftovers.push_back(s.cache + "/" + name);
    for (const std::string& path : leftovers) {
        p.expect(contains(message, "\"" + path + "\""), "left behind and not named: " + path);
        // A backup named by the message holds the old bytes.
        p.expect(readBytes(path) == before.bytes, "the backup does not hold the old bytes: " + path);
    }

    if (!reached) {
        // The save ran to its end: the row's outcome, by the row's route.
        if (row.route == Route::Refused) {
            p.expect(contains(message, "Problems Saving\n") && contains(message, row.refusal),
                     "refusal expected, got: " + message);
            p.expect(readBytes(real) == before.bytes, "a refused save changed the file");
            return true;
        }
        p.expect(message.empty(), "unexpected message: " + message);
        checkSaved(p, s, before, real);
        struct stat st {};
        ::stat(real.c_str(), &st);
        if (row.route == Route::Rename) p.expect(st.st_ino != before.st.st_ino, "not replaced by rename");
        if (row.route == Route::InPlace) p.expect(st.st_ino == before.st.st_ino, "not written in place");
        return true;
    }
    if (message.empty()) {
        // The fault was worked around (another way to save, a folder that cannot be flushed).
        checkSaved(p, s, before, real);
    } else {
        p.expect(message.rfind("Problems Saving\n", 0) == 0, "message without its first line: " + message);
        p.expect(contains(message, std::strerror(io.error)) || row.route == Route::Refused,
                 "the reason is missing: " + message);
        const Bytes now = readBytes(real);
        const bool keptOld = before.exists ? now == before.bytes : !std::filesystem::exists(real);
        p.expect(keptOld || now == kNew || !leftovers.empty(), "the file is damaged: " + message);
        struct stat st {};
        if (before.exists && ::stat(real.c_str(), &st) == 0)
            p.expect((st.st_mode & 07777) == (before.st.st_mode & 07777), "a failed save changed the mode");
    }
    // The next save works (a backup left by a persistent fault stays the user's).
    TestEditor next;
    next.setDocument(kNew);
    CountingIo faultless;
    SaveFile(next.ed, s.target, faultless);
    if (row.route == Route::Refused) return false;
    p.expect(next.services.messages.empty(), "the next save failed: " +
                                                 (next.services.messages.empty() ? "" : next.services.messages[0]));
    checkSaved(p, s, before, real);
    return false;
}

void runSaveTable(bool persistent, const std::function<bool(const SaveRow&)>& chosen) {
    const std::string oldCache = std::getenv("XDG_CACHE_HOME") ? std::getenv("XDG_CACHE_HOME") : "";
    for (const SaveRow& row : saveRows()) {
        if (!chosen(row)) continue;
        if (row.needsRoot && ::geteuid() != 0) {
            std::cout << "[ skipped  ] " << row.name << ": needs root to make its files\n";
            continue;
        }
        SCOPED_TRACE(row.name);
        for (int n = 1; n < 1000; ++n) {
            Scene scene(row.ordinaryUser);
            row.setup(scene);
            ::setenv("XDG_CACHE_HOME", scene.cache.c_str(), 1);
            const auto body = [&] {
                Problems p;
                const bool done = checkSaveFailingAt(p, row, scene, n, persistent);
                return p.text() + (done ? "DONE" : "");
            };
            std::string report = row.ordinaryUser ? asOrdinaryUser(body) : body();
            const bool done = report.size() >= 4 && report.compare(report.size() - 4, 4, "DONE") == 0;
            if (done) report.resize(report.size() - 4);
            ::chmod(scene.work.c_str(), 0755);
            ASSERT_EQ(report, "") << "failing call " << n;
            if (done) break;
        }
    }
    if (oldCache.empty()) ::unsetenv("XDG_CACHE_HOME");
    else ::setenv("XDG_CACHE_HOME", oldCache.c_str(), 1);
}

TEST(FileFaults, SaveFailingAtEachCallInTurn) {
    runSaveTable(false, [](const SaveRow&) { return true; });
}

// A disk that fills up part-way: every write from the failing one on fails, the
// restore's too, so an in-place save must leave a backup and name it.
TEST(FileFaults, SaveOnADiskThatFillsUp) {
    runSaveTable(true, [](const SaveRow& row) { return row.route != Route::Refused; });
}

struct LoadRow {
    const char* name;
    bool ordinaryUser;
    std::string refusal;  // part of the message the load ends with; empty: it loads
    Bytes expected;       // the document after a load
    std::function<void(Scene&)> setup;
};

TEST(FileFaults, LoadFailingAtEachCallInTurn) {
    const std::vector<LoadRow> rows = {
        {"a file that takes several reads", false, "", kOld, [](Scene& s) { s.file("doc", kOld, 0644); }},
        {"an empty file", false, "", {}, [](Scene& s) { s.file("doc", {}, 0644); }},
        {"a missing file is created empty", false, "", {}, [](Scene&) {}},
        {"a dangling symbolic link is named as such", false, "symbolic link to \"nowhere\"", {},
         [](Scene& s) { must(::symlink("nowhere", s.at("doc").c_str()), "symlink"); }},
        {"a file the user may not read", true, "Permission denied", {}, [](Scene& s) { s.file("doc", kOld, 0000); }},
    };
    for (const LoadRow& row : rows) {
        SCOPED_TRACE(row.name);
        for (int n = 1; n < 1000; ++n) {
            Scene scene(row.ordinaryUser);
            row.setup(scene);
            const std::set<std::string> namesBefore = namesUnder(scene.work);
            const Bytes bytesBefore = readBytes(scene.target);
            const auto body = [&] {
                Problems p;
                TestEditor t;
                CountingIo io;
                io.failAt = n;
                io.chunk = 512;
                LoadFile(t.ed, scene.target, io);
                const bool reached = io.calls >= n;
                const std::string message = t.services.messages.empty() ? "" : t.services.messages[0];
                const bool loaded = message.empty();
                if (!reached && row.refusal.empty()) p.expect(loaded, "not loaded: " + message);
                if (!reached && !row.refusal.empty()) p.expect(contains(message, row.refusal), "message: " + message);
                if (loaded) {
                    p.expect(t.ed.s.fileName == scene.target, "the file name was not taken");
                    p.expect(Bytes(t.ed.s.fileData.begin(), t.ed.s.fileData.begin() + t.ed.s.fileSize) ==
                                 row.expected,
                             "the document is not the file");
                } else {
                    p.expect(t.services.messages.size() == 1, "not one message");
                    p.expect(t.ed.s.fileName.empty() && t.ed.s.fileSize == 256 && t.ed.s.fileData[255] == 255,
                             "a failed load changed the document");
                    // A file the load created for nothing is gone again.
                    p.expect(namesUnder(scene.work) == namesBefore, "a failed load left a file");
                }
                return p.text() + (reached ? "" : "DONE");
            };
            std::string report = row.ordinaryUser ? asOrdinaryUser(body) : body();
            // Read here: the user who loaded may not read it.
            EXPECT_EQ(readBytes(scene.target), bytesBefore) << "loading changed the file";
            const bool done = report.size() >= 4 && report.compare(report.size() - 4, 4, "DONE") == 0;
            if (done) report.resize(report.size() - 4);
            ASSERT_EQ(report, "") << "failing call " << n;
            if (done) break;
        }
    }
}

// Changes the file right after its size has been taken.
class ChangingIo : public FileIo {
public:
    ChangingIo(std::string path, std::function<void(const std::string&)> change)
        : path_(std::move(path)), change_(std::move(change)) {}
    int fstat(int fd, struct stat* st) override {
        const int r = FileIo::fstat(fd, st);
        change_(path_);
        return r;
    }

private:
    std::string path_;
    std::function<void(const std::string&)> change_;
};

TEST(FileFaults, FileChangingBetweenSizeCheckAndReadIsTakenAsItNowIs) {
    struct Case {
        const char* what;
        std::function<void(const std::string&)> change;
        Bytes expected;  // the document afterwards; empty: refused as too large
    };
    const Bytes before = pattern(3000, 1);
    const Bytes grown = pattern(70000, 2);
    const std::vector<Case> cases = {
        {"grows", [&](const std::string& p) { writeBytes(p, grown); }, grown},
        {"shrinks", [&](const std::string& p) { writeBytes(p, pattern(5, 3)); }, pattern(5, 3)},
        {"empties", [&](const std::string& p) { writeBytes(p, {}); }, {}},
        {"grows too large", [](const std::string& p) { ASSERT_EQ(::truncate(p.c_str(), kMaxFileSize), 0); }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = dir.file("doc");
        writeBytes(path, before);
        TestEditor t;
        ChangingIo io(path, c.change);
        LoadFile(t.ed, path, io);
        const bool tooLarge = std::string(c.what) == "grows too large";
        if (tooLarge) {
            EXPECT_EQ(t.services.messages, std::vector<std::string>{tooLargeMessage()});
            EXPECT_EQ(t.ed.s.fileSize, 0);
            EXPECT_EQ(t.ed.s.fileName, "");
            EXPECT_EQ(std::filesystem::file_size(path), static_cast<uintmax_t>(kMaxFileSize));
            continue;
        }
        EXPECT_TRUE(t.services.messages.empty());
        EXPECT_EQ(t.ed.s.fileName, path);
        ASSERT_EQ(t.ed.s.fileSize, static_cast<int32_t>(c.expected.size()));
        ASSERT_GE(t.ed.s.fileData.size(), c.expected.size());
        EXPECT_TRUE(std::equal(c.expected.begin(), c.expected.end(), t.ed.s.fileData.begin()));
    }
}

// Runs body in a child process and returns its exit status, so that limits it
// takes on do not leak into the test process.
int inChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(body());
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

constexpr int kSkip = 77;

TEST(FileFaults, FileSizeLimitFailsTheSaveAndLeavesTheOldFilesIntact) {
    TempDir dir;
    const std::string doc = dir.file("doc"), linked = dir.file("linked"), tbl = dir.file("table.tbl");
    const Bytes oldDoc = pattern(100, 5);
    writeBytes(doc, oldDoc);
    writeBytes(linked, oldDoc);
    ASSERT_EQ(::link(linked.c_str(), dir.file("second link").c_str()), 0);  // saved in place
    const std::string oldTbl = "41=A\r\n";
    writeBytes(tbl, Bytes(oldTbl.begin(), oldTbl.end()));
    const int status = inChild([&] {
        // Writes past 4 KiB come back short, then fail with EFBIG instead of a signal.
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return kSkip;
        TestEditor t;
        t.setDocument(pattern(10000, 6));
        for (const std::string& path : {doc, linked}) {
            t.services.messages.clear();
            SaveFile(t.ed, path);
            if (t.services.messages.size() != 1 ||
                t.services.messages[0] != "Problems Saving\nCannot write \"" + path + "\": File too large")
                return 1;
        }
        CharTable table;
        for (auto& entry : table) entry = std::string(40, 'x');
        std::string error;
        if (saveTblFile(tbl, table, systemFileIo(), &error) || !contains(error, "File too large")) return 2;
        return 0;
    });
    if (status == kSkip) GTEST_SKIP() << "cannot set a file size limit";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(readBytes(doc), oldDoc);
    EXPECT_EQ(readBytes(linked), oldDoc);
    const Bytes tblNow = readBytes(tbl);
    EXPECT_EQ(std::string(tblNow.begin(), tblNow.end()), oldTbl);
    EXPECT_EQ(namesUnder(dir.path()).size(), 4u);  // no temporary file or backup left behind
}

}  // namespace
}  // namespace tarpon
