#include "table/table_commands.h"

#include <gtest/gtest.h>

#include "app/menu_commands.h"
#include "temp_dir.h"
#include "test_editor.h"

namespace tarpon {
namespace {

std::vector<uint8_t> bytesOf(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

TEST(TableMenu, SaveAndLoadThroughTheSharedDialog) {
    test::TempDir dir;
    test::TestEditor t;
    t.setDocument({0x41, 0x42});
    t.ed.s.viewMode = true;
    t.ed.s.fileName = dir.file("game.bin");
    t.ed.s.charTable[0x41] = "A";
    const std::string path = dir.file("names.tbl");
    t.services.fileDialogAnswers = {path, "", dir.file("no/dir/t.tbl")};
    for (int i = 0; i < 3; ++i) mnuTable_Click(t.ed, kTableSave);  // saved, cancelled, failed
    ASSERT_EQ(t.services.dialogs.size(), 3u);
    EXPECT_EQ(t.services.dialogs[0].title, "Tarpon's Hex - Save Table as");
    EXPECT_EQ(t.services.dialogs[0].startPath, t.ed.s.fileName);
    EXPECT_EQ(t.services.dialogs[0].defaultExtension, "tbl");
    EXPECT_EQ(test::readBytes(path), bytesOf("41=A\r\n"));
    ASSERT_EQ(t.services.messages.size(), 1u);
    EXPECT_EQ(t.services.messages[0].rfind("Problems Saving Table", 0), 0u);

    test::writeBytes(path, bytesOf("41=th\r\n42=B\r\n"));
    t.services.fileDialogAnswers = {path};
    mnuTable_Click(t.ed, kTableLoad);
    EXPECT_EQ(t.services.dialogs.back().title, "Open Table");
    EXPECT_EQ(t.services.dialogs.back().startPath, dir.file("no/dir/t.tbl"));  // the last path chosen
    EXPECT_EQ(t.ed.v.PicText.runs()[0].text, "th");  // repainted at once
    EXPECT_EQ(t.ed.v.PicText.runs()[1].text, "B");

    // A line that is not an entry ends the load without a repaint; an unreadable file says why.
    test::writeBytes(path, bytesOf("42=Z\r\nnot a table\r\n"));
    const uint64_t before = t.ed.v.PicText.revision();
    t.services.fileDialogAnswers = {path, dir.path()};
    mnuTable_Click(t.ed, kTableLoad);
    mnuTable_Click(t.ed, kTableLoad);
    EXPECT_EQ(t.ed.s.charTable[0x42], "Z");
    EXPECT_EQ(t.ed.v.PicText.revision(), before);
    ASSERT_EQ(t.services.messages.size(), 2u);
    EXPECT_EQ(t.services.messages[1].rfind("Problems Loading Table", 0), 0u);
}

TEST(TableMenu, MultiLettersCheckMarkAndTheEditor) {
    test::TestEditor t;
    const MenuItem& item = t.ed.v.menus[kMenuTable].items[kTableMultiLetters];
    mnuTable_Click(t.ed, kTableMultiLetters);
    EXPECT_TRUE(t.ed.s.multiLetters && item.checked);
    mnuTable_Click(t.ed, kTableMultiLetters);
    EXPECT_FALSE(t.ed.s.multiLetters || item.checked);
    mnuTable_Click(t.ed, kTableCreate);
    EXPECT_EQ(t.services.opened, std::vector<WindowKind>{WindowKind::TableEditor});
}

}  // namespace
}  // namespace tarpon
