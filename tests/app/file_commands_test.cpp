#include "app/file_commands.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <gtest/gtest.h>

#include "temp_dir.h"
#include "test_editor.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;
using test::readBytes;
using test::TempDir;
using test::TestEditor;
using test::writeBytes;

Bytes document(const EditorState& s) {
    return Bytes(s.fileData.begin(), s.fileData.begin() + s.fileSize);
}

size_t filesIn(const std::string& dir) {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
}

TEST(FileCommands, CancelChangesNothing) {
    TempDir dir;
    const std::string a = dir.file("a.bin");
    writeBytes(a, {1, 2, 3});
    TestEditor t(a);
    t.ed.s.fileData[0] = 9;
    mnuFile_Click(t.ed, kFileOpen);     // no answers queued: every dialog is cancelled
    mnuFile_Click(t.ed, kFileSaveAs);
    EXPECT_EQ(t.services.dialogs.size(), 2u);
    EXPECT_EQ(t.ed.s.fileName, a);
    EXPECT_EQ(document(t.ed.s), (Bytes{9, 2, 3}));
    EXPECT_EQ(t.ed.s.fileDialog.FileName, "");
    EXPECT_TRUE(t.services.messages.empty());
    EXPECT_EQ(readBytes(a), (Bytes{1, 2, 3}));
    EXPECT_EQ(filesIn(dir.path()), 1u);
}

TEST(FileCommands, SaveAfterSaveAsWritesTheOpenedFile) {
    TempDir dir;
    const std::string opened = dir.file("opened.bin"), copy = dir.file("copy.bin");
    writeBytes(opened, {1, 2, 3});
    TestEditor t;
    t.services.fileDialogAnswers = {opened, copy};
    mnuFile_Click(t.ed, kFileOpen);
    ASSERT_EQ(t.ed.s.fileName, opened);
    EXPECT_EQ(document(t.ed.s), (Bytes{1, 2, 3}));
    EXPECT_EQ(t.ed.v.picHex.runs().size(), 3u);  // the new document is painted

    t.ed.s.fileData[0] = 0x10;
    mnuFile_Click(t.ed, kFileSaveAs);
    EXPECT_EQ(readBytes(copy), (Bytes{0x10, 2, 3}));
    EXPECT_EQ(readBytes(opened), (Bytes{1, 2, 3}));
    EXPECT_EQ(t.ed.s.fileName, opened);

    t.ed.s.fileData[1] = 0x20;
    mnuFile_Click(t.ed, kFileSave);
    EXPECT_EQ(readBytes(opened), (Bytes{0x10, 0x20, 3}));
    EXPECT_EQ(readBytes(copy), (Bytes{0x10, 2, 3}));
    EXPECT_TRUE(t.services.messages.empty());
}

TEST(FileCommands, RememberedPathCarriesFromOpenToSaveAsAndLaterChoosers) {
    TempDir dir;
    const std::string opened = dir.file("opened.bin"), copy = dir.file("copy.bin");
    writeBytes(opened, {1});
    TestEditor t;
    t.services.fileDialogAnswers = {opened, copy};
    mnuFile_Click(t.ed, kFileOpen);
    EXPECT_EQ(t.services.dialogs[0].startPath, "");
    mnuFile_Click(t.ed, kFileSaveAs);
    EXPECT_EQ(t.services.dialogs[1].startPath, opened);  // Save As starts at the document's file
    mnuFile_Click(t.ed, kFileOpen);                       // cancelled
    EXPECT_EQ(t.services.dialogs[2].startPath, copy);    // Open starts where the last choice was
    // The table commands ask the same chooser without a folder of their own.
    t.ed.s.fileDialog.ShowOpen(t.services, "Open Table", "", "Table Files (*.tbl)|*.tbl|",
                               OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
    EXPECT_EQ(t.services.dialogs[3].startPath, copy);
    EXPECT_EQ(t.ed.s.fileName, opened);
}

TEST(FileCommands, OpeningATooLargeFileShowsAnEmptyDocumentThatCannotBeSaved) {
    TempDir dir;
    const std::string previous = dir.file("previous.bin"), big = dir.file("big.bin");
    writeBytes(previous, {1, 2, 3});
    const int fd = ::open(big.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, kMaxFileSize), 0);
    ::close(fd);
    TestEditor t(previous);
    t.services.fileDialogAnswers = {big};
    mnuFile_Click(t.ed, kFileOpen);
    EXPECT_EQ(t.services.messages, std::vector<std::string>{"Size to big ( it is 9 mb or bigger)"});
    EXPECT_EQ(t.ed.s.fileSize, 0);
    EXPECT_TRUE(t.ed.v.picHex.runs().empty());
    EXPECT_EQ(t.ed.v.picFilesize.runs().at(0).text, "00000000");
    mnuFile_Click(t.ed, kFileSave);
    EXPECT_EQ(t.services.messages.back(), "Problems Saving");
    EXPECT_EQ(std::filesystem::file_size(big), static_cast<uintmax_t>(kMaxFileSize));
    EXPECT_EQ(readBytes(previous), (Bytes{1, 2, 3}));
}

}  // namespace
}  // namespace tarpon
