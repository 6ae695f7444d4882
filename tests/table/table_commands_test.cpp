#include "table/table_commands.h"

#include <gtest/gtest.h>

#include "app/menu_commands.h"
#include "copy/copy_format.h"
#include "search/find.h"
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

    // A line that is not an entry is skipped and reported, and the rest is read and
    // shown; an unreadable file says why.
    test::writeBytes(path, bytesOf("42=Z\r\nnot a table\r\n8140=x\r\n43=C\r\n"));
    t.services.fileDialogAnswers = {path, dir.path()};
    mnuTable_Click(t.ed, kTableLoad);
    EXPECT_EQ(t.ed.s.charTable[0x42], "Z");
    EXPECT_EQ(t.ed.s.charTable[0x43], "C");
    EXPECT_EQ(t.ed.v.PicText.runs()[1].text, "Z");
    ASSERT_EQ(t.services.messages.size(), 2u);
    EXPECT_EQ(t.services.messages[1], "Read 2 entries from \"" + path + "\".\n2 lines were skipped:\n"
              "line 2: no \"=\" after the key\nline 3: keys of more than one byte are not supported");
    mnuTable_Click(t.ed, kTableLoad);
    ASSERT_EQ(t.services.messages.size(), 3u);
    EXPECT_EQ(t.services.messages[2].rfind("Problems Loading Table", 0), 0u);
}

TEST(TableMenu, SavingOverAFileWithUnreadLinesAsksFirst) {
    test::TempDir dir;
    test::TestEditor t;
    const std::string path = dir.file("names.tbl"), other = dir.file("other.tbl");
    const std::string original = "41=A\n8140=x\n8141=y\n";
    test::writeBytes(path, bytesOf(original));
    ASSERT_EQ(LoadTableFile(t.ed, path), 1);
    // Cancel (the default), then a copy elsewhere (no question), then Save over it.
    t.services.fileDialogAnswers = {path, other, dir.path() + "/./names.tbl", path};
    t.services.answers = {1};
    mnuTable_Click(t.ed, kTableSave);
    EXPECT_EQ(test::readBytes(path), bytesOf(original));
    mnuTable_Click(t.ed, kTableSave);
    EXPECT_EQ(test::readBytes(other), bytesOf("41=A\r\n"));
    ASSERT_EQ(t.services.questions.size(), 1u);
    t.services.answers = {0};
    mnuTable_Click(t.ed, kTableSave);  // the same file under another name
    ASSERT_EQ(t.services.questions.size(), 2u);
    EXPECT_EQ(t.services.questions[0],
              "2 lines of \"" + path + "\" could not be read and will be lost.\nSave the table over it?");
    EXPECT_EQ(t.services.questionButtons, (std::vector<std::string>{"Save", "Cancel"}));
    EXPECT_EQ(test::readBytes(path), bytesOf("41=A\r\n"));
    mnuTable_Click(t.ed, kTableSave);  // nothing more to lose
    EXPECT_EQ(t.services.questions.size(), 2u);
}

// A UTF-8 table: its letters are drawn, found and copied as the characters they
// spell, and saved back byte for byte.
TEST(TableMenu, Utf8TableShowsFindsCopiesAndSavesItsLetters) {
    test::TempDir dir;
    test::TestEditor t;
    const std::string path = dir.file("jp.tbl"), saved = dir.file("saved.tbl");
    const std::string text = "41=\xE3\x81\x82\r\n42=\xC3\xA9\r\n43=x\r\n";  // あ, é
    test::writeBytes(path, bytesOf(text));
    t.setDocument({0x43, 0x41, 0x42, 0x41});
    t.ed.s.viewMode = true;
    ASSERT_EQ(LoadTableFile(t.ed, path), 3);
    EXPECT_TRUE(t.ed.s.tableUtf8);
    EXPECT_TRUE(t.services.messages.empty());
    const auto& runs = t.ed.v.PicText.runs();
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[1].text, "\xE3\x81\x82");
    EXPECT_EQ(runs[2].text, "\xC3\xA9");
    EXPECT_TRUE(runs[1].utf8);

    cmdFind_Click(t.ed, FindForm{PatternKind::Table, "\xC3\xA9\xE3\x81\x82", "", false});  // "éあ"
    EXPECT_EQ(t.ed.s.searchPattern, (std::vector<uint8_t>{0x42, 0x41}));
    EXPECT_EQ(t.ed.s.cursor(), 2);
    cmdFind_Click(t.ed, FindForm{PatternKind::Table, "x", "\xE3\x81\x84", false});  // wild card い: no byte
    ASSERT_EQ(t.services.messages.size(), 1u);
    EXPECT_NE(t.services.messages[0].find("U+3044"), std::string::npos) << t.services.messages[0];

    CopyForm form;
    form.txtOffset = {"0", "3"};
    form.type = CopyType::Table;
    form.txtBefore = "\xE2\x80\xB9";  // ‹
    ASSERT_TRUE(cmdCopy_Click(t.ed, form));
    EXPECT_TRUE(t.services.clipboardUtf8);
    EXPECT_EQ(t.services.clipboard, "\xE2\x80\xB9x\xE2\x80\xB9\xE3\x81\x82\xE2\x80\xB9\xC3\xA9\xE2\x80\xB9\xE3\x81\x82");
    form.type = CopyType::Ascii;
    form.txtBefore = "";
    ASSERT_TRUE(cmdCopy_Click(t.ed, form));
    EXPECT_FALSE(t.services.clipboardUtf8);
    EXPECT_EQ(t.services.clipboard, "CABA");

    t.services.fileDialogAnswers = {saved};
    mnuTable_Click(t.ed, kTableSave);
    EXPECT_EQ(test::readBytes(saved), bytesOf(text));

    // A Latin-1 table loaded over it makes the letters Latin-1 again; a plain ASCII one leaves them so.
    test::writeBytes(path, bytesOf("44=\xE9\r\n"));
    LoadTableFile(t.ed, path);
    EXPECT_FALSE(t.ed.s.tableUtf8);
    test::writeBytes(path, bytesOf("\xEF\xBB\xBF" "45=e\r\n"));
    LoadTableFile(t.ed, path);
    EXPECT_TRUE(t.ed.s.tableUtf8);
    test::writeBytes(path, bytesOf("46=f\r\n"));
    LoadTableFile(t.ed, path);
    EXPECT_TRUE(t.ed.s.tableUtf8);
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
