// Faults at the file seam that the injected-call tests beside the save code do not
// reach: a file that changes between its size check and its read, a read error,
// a genuinely short write from the kernel, and missing permissions.
#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

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

std::vector<uint8_t> pattern(size_t n, uint8_t seed) {
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 13);
    return bytes;
}

size_t entriesIn(const std::string& dir) {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
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
        std::vector<uint8_t> expected;  // the document afterwards; empty: refused as too large
    };
    const std::vector<uint8_t> before = pattern(3000, 1);
    const std::vector<uint8_t> grown = pattern(70000, 2);
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

TEST(FileFaults, ReadErrorPartWayKeepsTheDocumentAndItsName) {
    class FailingReadIo : public FileIo {
        ssize_t read(int fd, void* buf, size_t size) override {
            if (reads++ == 0) return FileIo::read(fd, buf, size < 100 ? size : 100);
            errno = EIO;
            return -1;
        }
        int reads = 0;
    } io;
    TempDir dir;
    const std::string path = dir.file("doc");
    writeBytes(path, pattern(1000, 4));
    TestEditor t;
    const std::string oldName = t.ed.s.fileName;
    LoadFile(t.ed, path, io);
    ASSERT_EQ(t.services.messages.size(), 1u);
    EXPECT_NE(t.services.messages[0].find("Cannot read"), std::string::npos) << t.services.messages[0];
    EXPECT_EQ(t.ed.s.fileSize, 256);  // the start-up document is untouched
    EXPECT_EQ(t.ed.s.fileData[255], 255);
    EXPECT_EQ(t.ed.s.fileName, oldName);
}

// Runs body in a child process and returns its exit status, so that limits and
// identities it takes on do not leak into the test process.
int inChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(body());
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

constexpr int kSkip = 77;

TEST(FileFaults, KernelShortWriteUnderAFileSizeLimitLeavesTheOldFilesIntact) {
    TempDir dir;
    const std::string doc = dir.file("doc"), tbl = dir.file("table.tbl");
    const std::vector<uint8_t> oldDoc = pattern(100, 5);
    writeBytes(doc, oldDoc);
    const std::string oldTbl = "41=A\r\n";
    writeBytes(tbl, std::vector<uint8_t>(oldTbl.begin(), oldTbl.end()));
    const int status = inChild([&] {
        // Writes past 4 KiB come back short, then fail with EFBIG instead of a signal.
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return kSkip;
        TestEditor t;
        t.setDocument(pattern(10000, 6));
        SaveFile(t.ed, doc);
        if (t.services.messages != std::vector<std::string>{"Problems Saving"}) return 1;
        CharTable table;
        for (auto& entry : table) entry = std::string(40, 'x');
        std::string error;
        if (saveTblFile(tbl, table, systemFileIo(), &error) || error.empty()) return 2;
        return 0;
    });
    if (status == kSkip) GTEST_SKIP() << "cannot set a file size limit";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(readBytes(doc), oldDoc);
    const std::vector<uint8_t> tblNow = readBytes(tbl);
    EXPECT_EQ(std::string(tblNow.begin(), tblNow.end()), oldTbl);
    EXPECT_EQ(entriesIn(dir.path()), 2u);  // no temporary file left behind
}

// Gives up every privilege a permission check could be bypassed with.
bool becomeUnprivileged() {
    if (::geteuid() != 0) return true;
    return ::setgroups(0, nullptr) == 0 && ::setresgid(65534, 65534, 65534) == 0 &&
           ::setresuid(65534, 65534, 65534) == 0;
}

TEST(FileFaults, MissingPermissionsGiveMessagesAndChangeNoFile) {
    TempDir dir;
    // Readable and searchable by everyone, writable only by its owner.
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const std::string writable = dir.file("writable"), secret = dir.file("secret");
    const std::vector<uint8_t> oldBytes = pattern(300, 7);
    writeBytes(writable, oldBytes);
    writeBytes(secret, oldBytes);
    ASSERT_EQ(::chmod(writable.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(secret.c_str(), 0000), 0);
    const bool root = ::geteuid() == 0;
    const int status = inChild([&] {
        if (!becomeUnprivileged()) return kSkip;
        // Without root the folder itself must refuse new files.
        if (!root && ::chmod(dir.path().c_str(), 0555) != 0) return kSkip;
        TestEditor t;
        // The file may be written, but the new copy cannot be created beside it.
        t.setDocument(pattern(50, 8));
        SaveFile(t.ed, writable);
        if (t.services.messages != std::vector<std::string>{"Problems Saving"}) return 1;
        t.services.messages.clear();
        const std::string nameBefore = t.ed.s.fileName;
        LoadFile(t.ed, secret);
        if (t.services.messages.size() != 1 ||
            t.services.messages[0].find("Permission denied") == std::string::npos)
            return 2;
        if (t.ed.s.fileSize != 50 || t.ed.s.fileName != nameBefore) return 3;
        return 0;
    });
    ::chmod(dir.path().c_str(), 0755);
    if (status == kSkip) GTEST_SKIP() << "cannot drop privileges";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(readBytes(writable), oldBytes);
    EXPECT_EQ(readBytes(secret), oldBytes);
    EXPECT_EQ(entriesIn(dir.path()), 2u);
}

}  // namespace
}  // namespace tarpon
