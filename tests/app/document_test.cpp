#include "app/document.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <gtest/gtest.h>

#include "app/file_commands.h"
#include "core/file_io.h"
#include "table/table_commands.h"
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

TEST(SaveFile, RefusedTargetsSayWhy) {
    TempDir dir;
    const std::string fifo = dir.file("fifo"), loop = dir.file("loop");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(::symlink("loop", loop.c_str()), 0);
    const struct {
        std::string path, message;
    } rows[] = {
        // The start-up document has no file to name.
        {"", "Problems Saving"},
        {fifo, "Problems Saving\n\"" + fifo + "\" is not a regular file."},
        {dir.path(), "Problems Saving\n\"" + dir.path() + "\" is not a regular file."},
        {dir.file("missing/file"),
         "Problems Saving\nCannot create \"" + dir.file("missing/file") + "\": No such file or directory"},
        {loop, "Problems Saving\nCannot follow \"" + loop + "\": Too many levels of symbolic links"},
    };
    for (const auto& row : rows) {
        TestEditor t;
        SaveFile(t.ed, row.path);
        EXPECT_EQ(t.services.messages, std::vector<std::string>{row.message});
    }
    struct stat st {};
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

// Blanks at either end of a chosen name belong to it: trimming them would open,
// create or overwrite another file (without the chooser's overwrite question).
TEST(FileCommands, ChosenPathsAreUsedExactly) {
    TempDir dir;
    const std::string victim = dir.file("victim.bin"), data = dir.file("data.bin"), table = dir.file("t.tbl");
    const struct {
        const char* what;
        std::function<void(Editor&)> command;
        std::string answer;  // what the chooser returns
        std::string written;  // the file that must now hold the result
    } rows[] = {
        {"Save As", SaveDocumentAs, victim + " ", victim + " "},
        {"Save As", SaveDocumentAs, dir.file(" victim.bin"), dir.file(" victim.bin")},
        {"Open", OpenDocument, data + " ", ""},
        {"Save Table", SaveTable, dir.file(" t.tbl "), dir.file(" t.tbl ")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.what) + " \"" + row.answer + "\"");
        writeBytes(victim, {0xEE});
        writeBytes(data, {0xDD});
        writeBytes(data + " ", {0xCC, 0xCC});
        writeBytes(table, {'x'});
        TestEditor t;
        t.ed.s.charTable[0x41] = "A";
        t.setDocument({1, 2, 3});
        t.services.fileDialogAnswers = {row.answer};
        row.command(t.ed);
        EXPECT_TRUE(t.services.messages.empty());
        EXPECT_EQ(readBytes(victim), std::vector<uint8_t>{0xEE});
        EXPECT_EQ(readBytes(data), std::vector<uint8_t>{0xDD});
        EXPECT_EQ(readBytes(table), std::vector<uint8_t>{'x'});
        if (row.written.empty()) {
            EXPECT_EQ(t.ed.s.fileName, row.answer);
            EXPECT_EQ(t.ed.s.fileSize, 2);
        } else {
            EXPECT_FALSE(readBytes(row.written).empty());
        }
        EXPECT_EQ(t.ed.s.fileDialog.FileName, row.answer);
    }
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
