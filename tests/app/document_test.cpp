#include "app/document.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <gtest/gtest.h>

#include "app/file_commands.h"
#include "core/file_io.h"
#include "temp_dir.h"
#include "test_editor.h"

namespace tarpon {
namespace {

using test::readBytes;
using test::TempDir;
using test::TestEditor;
using test::writeBytes;

void makeFileOfSize(const std::string& path, off_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, size), 0);
    ::close(fd);
}

TEST(LoadFile, SizeLimitOnBothSides) {
    TempDir dir;
    const std::string fits = dir.file("fits"), refused = dir.file("refused");
    makeFileOfSize(fits, kMaxFileSize - 1);
    makeFileOfSize(refused, kMaxFileSize);
    TestEditor t;
    t.ed.s.cursorRel = 0x33;
    t.ed.s.selAnchor = 7;
    LoadFile(t.ed, fits);
    EXPECT_EQ(t.ed.s.fileSize, 9437183);
    EXPECT_EQ(t.ed.s.fileName, fits);
    EXPECT_TRUE(t.services.messages.empty());
    // Loading never moves the cursor or the anchor.
    EXPECT_EQ(t.ed.s.cursorRel, 0x33);
    EXPECT_EQ(t.ed.s.selAnchor, 7);

    LoadFile(t.ed, refused);
    ASSERT_EQ(t.services.messages.size(), 1u);
    EXPECT_EQ(t.services.messages[0], "Size to big ( it is 9 mb or bigger)");
    EXPECT_EQ(t.ed.s.fileSize, 0);
    EXPECT_GE(t.ed.s.fileData.size(), 1u);
    // The refused file is not adopted, and Save cannot reach it or the previous file.
    EXPECT_EQ(t.ed.s.fileName, "");
    mnuFile_Click(t.ed, kFileSave);
    EXPECT_EQ(t.services.messages.back(), "Problems Saving");
    struct stat st {};
    ASSERT_EQ(::stat(refused.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, kMaxFileSize);
    ASSERT_EQ(::stat(fits.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, kMaxFileSize - 1);
}

TEST(LoadFile, EmptyFileAndUnreadablePaths) {
    TempDir dir;
    const std::string empty = dir.file("empty");
    writeBytes(empty, {});
    TestEditor t;
    LoadFile(t.ed, empty);
    EXPECT_EQ(t.ed.s.fileSize, 0);
    EXPECT_EQ(t.ed.s.fileName, empty);
    EXPECT_EQ(t.ed.s.fileData.size(), 1u);
    EXPECT_TRUE(t.services.messages.empty());

    const std::string good = dir.file("good");
    writeBytes(good, {9, 8, 7});
    LoadFile(t.ed, good);
    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // None of these may block, adopt the path or touch the document.
    for (const std::string& bad : {fifo, dir.path(), std::string("/dev/zero"), dir.file("no/such/dir/f")}) {
        const size_t before = t.services.messages.size();
        LoadFile(t.ed, bad);
        EXPECT_EQ(t.services.messages.size(), before + 1) << bad;
        EXPECT_EQ(t.ed.s.fileName, good) << bad;
        EXPECT_EQ(t.ed.s.fileSize, 3) << bad;
        EXPECT_EQ(t.ed.s.fileData[0], 9) << bad;
    }
}

TEST(SaveFile, OverLongerAndShorterFilesAndEmptyDocument) {
    TempDir dir;
    const std::string path = dir.file("doc");
    TestEditor t;
    t.setDocument({1, 2, 3});
    writeBytes(path, std::vector<uint8_t>(100, 0xEE));
    SaveFile(t.ed, path);
    EXPECT_EQ(readBytes(path), (std::vector<uint8_t>{1, 2, 3}));
    writeBytes(path, {0xEE});
    SaveFile(t.ed, path);
    EXPECT_EQ(readBytes(path), (std::vector<uint8_t>{1, 2, 3}));
    t.setDocument({});
    SaveFile(t.ed, path);
    EXPECT_TRUE(readBytes(path).empty());
    EXPECT_TRUE(t.services.messages.empty());
    // No leftovers beside the file.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(SaveFile, EmptyFileNameAndNonRegularTargetsFail) {
    TempDir dir;
    TestEditor t;
    mnuFile_Click(t.ed, kFileSave);
    ASSERT_EQ(t.services.messages.size(), 1u);
    EXPECT_EQ(t.services.messages[0], "Problems Saving");
    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    SaveFile(t.ed, fifo);
    SaveFile(t.ed, dir.path());
    SaveFile(t.ed, dir.file("missing/dir/file"));
    EXPECT_EQ(t.services.messages.size(), 4u);
    struct stat st {};
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(SaveFile, KeepsPermissionsAndFollowsSymbolicLinks) {
    TempDir dir;
    const std::string real = dir.file("real"), link = dir.file("link");
    writeBytes(real, {0});
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    ASSERT_EQ(::symlink("real", link.c_str()), 0);
    TestEditor t;
    t.setDocument({5, 6});
    SaveFile(t.ed, link);
    EXPECT_TRUE(t.services.messages.empty());
    EXPECT_EQ(readBytes(real), (std::vector<uint8_t>{5, 6}));
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

// Fails one chosen step of a save.
class FailingIo : public FileIo {
public:
    enum class Fault { ShortWriteThenError, ZeroWrite, Fsync, Rename } fault;
    explicit FailingIo(Fault f) : fault(f) {}
    ssize_t write(int fd, const void* data, size_t size) override {
        if (fault == Fault::ZeroWrite) return 0;
        if (fault == Fault::ShortWriteThenError) {
            if (writes++ == 0) return FileIo::write(fd, data, size / 2);
            errno = ENOSPC;
            return -1;
        }
        return FileIo::write(fd, data, size);
    }
    int fsync(int fd) override {
        if (fault == Fault::Fsync) {
            errno = EIO;
            return -1;
        }
        return FileIo::fsync(fd);
    }
    int rename(const char* from, const char* to) override {
        if (fault == Fault::Rename) {
            errno = EXDEV;
            return -1;
        }
        return FileIo::rename(from, to);
    }
    int writes = 0;
};

TEST(SaveFile, FailureAtAnyStepLeavesTheOldFileIntact) {
    using F = FailingIo::Fault;
    for (F fault : {F::ShortWriteThenError, F::ZeroWrite, F::Fsync, F::Rename}) {
        TempDir dir;
        const std::string path = dir.file("doc");
        const std::vector<uint8_t> old(5000, 0x11);
        writeBytes(path, old);
        TestEditor t;
        t.setDocument(std::vector<uint8_t>(64, 0x22));
        FailingIo io(fault);
        SaveFile(t.ed, path, io);
        ASSERT_EQ(t.services.messages.size(), 1u);
        EXPECT_EQ(t.services.messages[0], "Problems Saving");
        EXPECT_EQ(readBytes(path), old) << static_cast<int>(fault);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
        // The document survives and a later save works.
        SaveFile(t.ed, path);
        EXPECT_EQ(readBytes(path), std::vector<uint8_t>(64, 0x22));
    }
}

TEST(SaveFile, ShortWritesThatSucceedAreCompleted) {
    class TrickleIo : public FileIo {
        ssize_t write(int fd, const void* data, size_t size) override {
            return FileIo::write(fd, data, size > 7 ? 7 : size);
        }
    } io;
    TempDir dir;
    TestEditor t;
    std::vector<uint8_t> bytes(1000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
    t.setDocument(bytes);
    SaveFile(t.ed, dir.file("doc"), io);
    EXPECT_TRUE(t.services.messages.empty());
    EXPECT_EQ(readBytes(dir.file("doc")), bytes);
}

TEST(LoadFile, RoundTripsEveryByteValue) {
    TempDir dir;
    TestEditor t;
    SaveFile(t.ed, dir.file("all"));
    TestEditor u;
    LoadFile(u.ed, dir.file("all"));
    ASSERT_EQ(u.ed.s.fileSize, 256);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(u.ed.s.fileData[static_cast<size_t>(i)], i);
}

}  // namespace
}  // namespace tarpon
