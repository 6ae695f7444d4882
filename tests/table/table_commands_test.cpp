#include "table/table_commands.h"

#include <gtest/gtest.h>

#include "app/menu_commands.h"
#include "temp_dir.h"
#include "test_editor.h"

namespace tarpon {
namespace {

using test::readBytes;
using test::TempDir;
using test::TestEditor;
using test::writeBytes;

std::vector<uint8_t> bytesOf(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

bool textPaneShows(const Editor& ed, const std::string& text) {
    for (const TextRun& run : ed.v.PicText.runs())
        if (run.text == text) return true;
    return false;
}

TEST(TableMenu, SaveAsksWithTheTableDialogAndWritesTheFile) {
    TempDir dir;
    TestEditor t;
    t.ed.s.fileName = dir.file("game.bin");
    t.ed.s.charTable[0x41] = "A";
    const std::string path = dir.file("names.tbl");
    writeBytes(path, bytesOf(std::string(100, 'x')));
    t.services.fileDialogAnswers = {path};
    mnuTable_Click(t.ed, kTableSave);
    ASSERT_EQ(t.services.dialogs.size(), 1u);
    const FileDialogRequest& request = t.services.dialogs[0];
    EXPECT_TRUE(request.save);
    EXPECT_EQ(request.title, "Tarpon's Hex - Save Table as");
    EXPECT_EQ(request.startPath, t.ed.s.fileName);
    EXPECT_EQ(request.defaultExtension, "tbl");
    EXPECT_TRUE(request.confirmOverwrite);
    ASSERT_EQ(request.filters.size(), 1u);
    EXPECT_EQ(request.filters[0].second, "*.tbl");
    EXPECT_EQ(readBytes(path), bytesOf("41=A\r\n"));
    EXPECT_TRUE(t.services.messages.empty());

    // Cancelling writes nothing; an unwritable place is reported.
    mnuTable_Click(t.ed, kTableSave);
    t.services.fileDialogAnswers = {dir.file("no/such/dir/t.tbl")};
    mnuTable_Click(t.ed, kTableSave);
    ASSERT_EQ(t.services.messages.size(), 1u);
    EXPECT_EQ(t.services.messages[0].rfind("Problems Saving Table", 0), 0u);
}

TEST(TableMenu, LoadMergesRepaintsAndReportsFailures) {
    TempDir dir;
    TestEditor t;
    t.setDocument({0x41, 0x42, 0x43});
    t.ed.s.viewMode = true;
    t.ed.s.charTable[0x43] = "C";
    const std::string path = dir.file("t.tbl");
    writeBytes(path, bytesOf("41=th\r\n42=B\r\n"));
    t.ed.s.fileDialog.FileName = dir.file("last.bin");
    t.services.fileDialogAnswers = {path};
    mnuTable_Click(t.ed, kTableLoad);
    ASSERT_EQ(t.services.dialogs.size(), 1u);
    EXPECT_FALSE(t.services.dialogs[0].save);
    EXPECT_EQ(t.services.dialogs[0].title, "Open Table");
    EXPECT_EQ(t.services.dialogs[0].startPath, dir.file("last.bin"));  // the last path chosen
    EXPECT_TRUE(t.services.dialogs[0].fileMustExist);
    EXPECT_EQ(t.ed.s.charTable[0x41], "th");
    EXPECT_EQ(t.ed.s.charTable[0x43], "C");
    EXPECT_TRUE(textPaneShows(t.ed, "th"));
    EXPECT_TRUE(textPaneShows(t.ed, "C"));

    // A line that is not an entry ends the load without a repaint.
    writeBytes(path, bytesOf("43=Z\r\nnot a table\r\n"));
    const uint64_t before = t.ed.v.PicText.revision();
    t.services.fileDialogAnswers = {path};
    mnuTable_Click(t.ed, kTableLoad);
    EXPECT_EQ(t.ed.s.charTable[0x43], "Z");
    EXPECT_EQ(t.ed.v.PicText.revision(), before);

    // A file that cannot be read changes nothing and says why.
    t.services.fileDialogAnswers = {dir.path()};
    mnuTable_Click(t.ed, kTableLoad);
    ASSERT_EQ(t.services.messages.size(), 1u);
    EXPECT_EQ(t.services.messages[0].rfind("Problems Loading Table", 0), 0u);
    EXPECT_EQ(t.ed.s.charTable[0x43], "Z");
}

TEST(TableMenu, MultiLettersFlipsWithItsCheckMark) {
    TestEditor t;
    const MenuItem& item = t.ed.v.menus[kMenuTable].items[kTableMultiLetters];
    EXPECT_TRUE(item.enabled);
    EXPECT_FALSE(t.ed.s.multiLetters);
    mnuTable_Click(t.ed, kTableMultiLetters);
    EXPECT_TRUE(t.ed.s.multiLetters);
    EXPECT_TRUE(item.checked);
    mnuTable_Click(t.ed, kTableMultiLetters);
    EXPECT_FALSE(t.ed.s.multiLetters);
    EXPECT_FALSE(item.checked);
}

TEST(TableMenu, CreateOpensTheTableEditorWithoutClearingTheTable) {
    TestEditor t;
    t.ed.s.charTable[7] = "q";
    mnuTable_Click(t.ed, kTableCreate);
    EXPECT_EQ(t.services.opened, std::vector<WindowKind>{WindowKind::TableEditor});
    EXPECT_EQ(t.ed.s.charTable[7], "q");
}

}  // namespace
}  // namespace tarpon
