#include "table/table_editor.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <utility>

#include "app/menu_commands.h"
#include "screen/keys.h"
#include "table/table_commands.h"
#include "table/tbl_file.h"
#include "test_editor.h"

namespace tarpon {
namespace {

// A load names what it skipped and the keys given twice, or says nothing; a table saved unchanged is its file
// again, skipped lines and all, without a question; grid edits reach the file; failed saves say why and leave it.
TEST(TableMenu, LoadAndSaveThroughTheMenu) {
    test::TempDir dir;
    test::TestEditor t;
    const std::string path = dir.file("names.tbl"), text = "41=\xC3\xA9\r\nnot a table\r\n8140=x\r\n";
    test::writeText(path, text);
    t.setDocument({0x41});
    t.ed.s.view.viewMode = true;
    t.ed.s.doc.fileName = dir.file("game.bin");
    t.services.fileDialogAnswers = {path, path, path, path};
    mnuTable_Click(t.ed, kTableLoad);
    EXPECT_TRUE(t.ed.s.table.utf8());
    EXPECT_EQ(t.ed.v.PicText.runs()[0].text, "\xC3\xA9");  // shown at once
    mnuTable_Click(t.ed, kTableSave);
    EXPECT_EQ(t.services.dialogs.back().startPath, path);   // the table's own file, not the document
    EXPECT_EQ(test::readText(path), text);
    t.ed.s.table.setLetters(0x42, "b");                           // an edit in the grid
    mnuTable_Click(t.ed, kTableSave);
    EXPECT_EQ(test::readText(path), text + "42=b\r\n");
    t.ed.s.table.setLetters(0x30, "a\r\nb");                     // would split into two lines
    mnuTable_Click(t.ed, kTableSave);
    struct FailingIo : FileIo {
        ssize_t write(int, const void*, size_t) override { return -1; }
    } failing;
    t.ed.s.table.setLetters(0x30, "0");
    EXPECT_EQ(saveTblFile(path, t.ed.s.table.model(), t.ed.s.table.source, failing, nullptr), SaveStatus::Failed);
    EXPECT_EQ(test::readText(path), text + "42=b\r\n");
    EXPECT_TRUE(t.services.questions.empty());
    EXPECT_EQ(t.services.messages, (std::vector<std::string>{
        "Read 2 entries from \"" + path + "\" (UTF-8).\n1 line was skipped (kept as they are when the table is "
        "saved):\nline 2: no \"=\" after the key",
        "Problems Saving Table\nEntry 30 holds a line end, which would end its line early in a table file."}));
}

// Save Table over the table's own file asks first when another program has changed it since it was loaded or
// saved (Cancel keeps that program's bytes), and asks nothing after a failed save in place put the old bytes back.
TEST(TableMenu, SaveTableAsksBeforeOverwritingAnotherProgramsChange) {
    test::TempDir dir;
    test::TestEditor t;
    const std::string path = dir.file("names.tbl"), question = "names.tbl has changed on disk since it was opened. Overwrite it?";
    test::writeText(path, "41=a\r\n");
    t.services.fileDialogAnswers = {path, path, path, path, path};
    mnuTable_Click(t.ed, kTableLoad);
    test::writeText(path, "41=b\r\n42=c\r\n");  // another program's change
    t.services.answers = {1};                       // Cancel
    mnuTable_Click(t.ed, kTableSave);
    EXPECT_EQ(test::readText(path), "41=b\r\n42=c\r\n");
    t.services.answers = {0};  // Overwrite
    mnuTable_Click(t.ed, kTableSave);
    EXPECT_EQ(test::readText(path), "41=a\r\n");
    EXPECT_EQ(t.services.questions, (std::vector<std::string>{question, question}));
    mnuTable_Click(t.ed, kTableSave);
    EXPECT_EQ(t.services.questions.size(), 2u) << "asked again after its own save";
    ASSERT_EQ(::link(path.c_str(), dir.file("other").c_str()), 0);  // a save in place from here on
    struct FailingOnce : FileIo {
        bool failed = false;
        int ftruncate(int fd, off_t size) override {  // the writing over the file; the restore's works
            return std::exchange(failed, true) ? FileIo::ftruncate(fd, size) : (errno = EIO, -1);
        }
    } failing;
    ::usleep(20000);  // a restore within the same clock tick would hide the new time
    t.ed.s.table.setLetters(0x42, "b");
    EXPECT_EQ(saveTblFile(path, t.ed.s.table.model(), t.ed.s.table.source, failing, nullptr, &t.ed.s.table.source.stamp),
              SaveStatus::Failed);
    EXPECT_EQ(test::readText(path), "41=a\r\n");
    mnuTable_Click(t.ed, kTableSave);
    EXPECT_EQ(t.services.questions.size(), 2u) << "asked after the old bytes were put back";
    EXPECT_EQ(test::readText(path), "41=a\r\n42=b\r\n");
    EXPECT_EQ(t.services.messages, std::vector<std::string>{});
}

// Load Table As reads the file in the encoding chosen; a load with keys given twice names them; a clean
// load says nothing; a table with no file of its own is saved from the document's folder, with no name.
TEST(TableMenu, LoadAsAndMessages) {
    test::TempDir dir;
    test::TestEditor t;
    const std::string kana = dir.file("kana.tbl"), twice = dir.file("twice.tbl");
    test::writeText(kana, "B1=\xB1\r\n");
    test::writeText(twice, "41=A\n42=B\n41=C\n");
    t.ed.s.doc.fileName = dir.file("game.bin");
    mnuTable_Click(t.ed, kTableSave);
    EXPECT_EQ(t.services.dialogs.back().startPath, dir.dir + "/");
    t.services.fileDialogAnswers = {kana, kana, twice, kana};
    t.services.answers = {1 + static_cast<int>(TextEncoding::ShiftJis), 7};  // Shift-JIS, then Cancel
    mnuTable_Click(t.ed, kTableLoadAs);
    EXPECT_EQ(t.ed.s.table.letters(0xB1), "\xEF\xBD\xB1");
    t.ed.s.table.setLetters(0xB1, "x");
    mnuTable_Click(t.ed, kTableLoadAs);  // cancelled: nothing read
    EXPECT_EQ(t.ed.s.table.letters(0xB1), "x");
    mnuTable_Click(t.ed, kTableLoad);
    mnuTable_Click(t.ed, kTableLoad);    // found: 8-bit
    EXPECT_EQ(t.ed.s.table.letters(0x41), "C");
    EXPECT_EQ(t.ed.s.table.letters(0xB1), "\xC2\xB1");
    EXPECT_EQ(t.services.messages, (std::vector<std::string>{
        "Read 2 entries from \"" + twice + "\" (ASCII).\n1 key was given more than once (the last line counts):"
        "\n41 on lines 1 and 3"}));
}

// A file of two logical tables: the first is read and the load says so; choosing the second shows its
// letters at once, without an edit of the document, and drops the editor's steps of the first; saving keeps
// both tables, the edit landing in the chosen one, which stays chosen after the save.
TEST(TableMenu, ChoosingALogicalTable) {
    test::TempDir dir;
    test::TestEditor t;
    const std::string path = dir.file("two.tbl"), text = "@main\r\n01=a\r\n@items\r\n01=x\r\n";
    test::writeText(path, text);
    t.setDocument({0x01, 0x02});
    t.ed.s.view.viewMode = true;
    t.services.fileDialogAnswers = {path, path, path};
    mnuTable_Click(t.ed, kTableLoad);
    EXPECT_EQ(t.ed.v.PicText.runs()[0].text, "a");
    TableEditor editor;
    editor.tblCursor = 1;
    frmTable::PicHex_KeyPress(t.ed, editor, 'q');  // a step of the first table
    const uint64_t document = t.ed.s.doc.history.stateId();
    EXPECT_TRUE(frmTable::ChooseTable(t.ed, editor, 1));
    EXPECT_FALSE(frmTable::ChooseTable(t.ed, editor, 1)) << "already chosen";
    EXPECT_EQ(t.ed.v.PicText.runs()[0].text, "x");
    EXPECT_EQ(t.ed.s.doc.history.stateId(), document);
    EXPECT_TRUE(editor.undoSteps.empty());
    t.ed.s.table.setLetters(0x02, "y");
    mnuTable_Click(t.ed, kTableSave);
    EXPECT_EQ(test::readText(path), "@main\r\n01=q\r\n@items\r\n01=x\r\n02=y\r\n");
    t.ed.s.table.setLetters(0x03, "z");
    mnuTable_Click(t.ed, kTableSave);
    EXPECT_EQ(test::readText(path), "@main\r\n01=q\r\n@items\r\n01=x\r\n02=y\r\n03=z\r\n");
    EXPECT_EQ(t.services.messages, (std::vector<std::string>{
        "Read 1 entry from \"" + path + "\" (ASCII).\nThe file holds 2 tables, @main and @items: the entries are "
        "those of @main (the table editor chooses another)."}));
}

using namespace frmTable;
using Entries = std::vector<std::pair<int, std::string>>;
constexpr int kFillAZ = -1000, kFill09 = -1002;  // the fill buttons
// A letter key with Ctrl or Alt held: pressed down, then typed (as its control code with Ctrl) unless taken.
constexpr int held(int shift, char key) { return -(key | shift << 16); }

// Name, cell, entries before, dual letters, UTF-8 table, input -> the entries afterwards; no two entries keep
// the same letters. Input: a fill button, a key pressed down (negative) or a character typed.
TEST(TableEditor, InputKeepsEveryEntryUnique) {
    const std::tuple<const char*, int, Entries, bool, bool, std::vector<int>, Entries> rows[] = {
        {"a letter replaces; an entry of the same letters is emptied", 0x41, {{0x41, "xy"}, {0x10, "A"}, {0x11, "AB"}},
         false, false, {'A'}, {{0x41, "A"}, {0x10, ""}, {0x11, "AB"}}},
        {"dual letters append; each step stays unique", 0x41, {{0x41, "t"}, {0x20, "th"}, {0x21, "thh"}}, true, false,
         {'h', 'h', 13}, {{0x41, "thh\r"}, {0x20, ""}, {0x21, ""}}},
        {"Esc and Delete empty the entry", 0x41, {{0x41, "A"}, {0x42, "B"}}, false, false,
         {27, -kKeyRight, -kKeyDelete}, {{0x41, ""}, {0x42, ""}}},
        {"key 255 is a letter, 256 is none", 0x41, {}, true, false, {255, 256}, {{0x41, "\xFF"}}},
        {"a UTF-8 table gets UTF-8", 0x41, {}, true, true, {'a', 0xE9}, {{0x41, "a\xC3\xA9"}}},
        {"Ctrl switches dual letters on", 0x41, {}, false, false, {-kKeyCtrl, 'a', 'b'}, {{0x41, "ab"}}},
        {"an arrow alone leaves dual letters off", 0x41, {}, false, false, {-kKeyRight, 'a', 'b'}, {{0x42, "b"}}},
        {"down and right stop at 255", 0xF5, {}, false, false, {-kKeyDown, -kKeyRight, 'x'}, {{0xFF, "x"}}},
        {"up and left stop at 0", 0x05, {}, false, false, {-kKeyUp, -kKeyLeft, 'y'}, {{0x00, "y"}, {0x04, ""}}},
        {"A-Z stops at 255 and empties its repeats", 0xF0, {{0x05, "Q"}, {0x06, "A"}}, false, false, {kFillAZ},
         {{0xF0, "A"}, {0xFF, "P"}, {0x05, "Q"}, {0x06, ""}}},
        {"0-9: ten letters, repeats emptied", 0x30, {{0x00, "3"}, {0x01, "34"}}, false, false, {kFill09},
         {{0x30, "0"}, {0x39, "9"}, {0x3A, ""}, {0x00, ""}, {0x01, "34"}}},
        {"Ctrl+C and Alt+A are no letters; Ctrl+Z takes back a whole fill and its emptied repeats", 0x41,
         {{0x41, "x"}, {0x10, "A"}}, false, false, {kFillAZ, held(kCtrl, 'C'), held(kAlt, 'A'), held(kCtrl, 'Z')},
         {{0x41, "x"}, {0x10, "A"}, {0x42, ""}}},
        {"Ctrl+Y and Ctrl+Shift+Z do undone steps again", 0x41, {{0x10, "A"}}, false, false,
         {kFillAZ, 27, held(kCtrl, 'Z'), held(kCtrl, 'Z'), held(kCtrl, 'Y'), held(kCtrl | kShift, 'Z')},
         {{0x41, ""}, {0x10, ""}, {0x42, "B"}}},
    };
    for (const auto& [name, cell, before, dual, utf8, input, after] : rows) {
        SCOPED_TRACE(name);
        test::TestEditor t;
        TableEditor editor;
        t.ed.s.table.spellUtf8(utf8);
        for (const auto& [b, letters] : before) t.ed.s.table.setLetters(static_cast<size_t>(b), letters);
        editor.tblCursor = cell;
        editor.dualLetters = dual;
        for (const int k : input) {
            if (-k > 0xFFFF) {
                const int key = -k & 0xFFFF, shift = -k >> 16;
                if (!PicHex_KeyDown(t.ed, editor, key, shift)) PicHex_KeyPress(t.ed, editor, shift & kCtrl ? key & 31 : key);
            } else if (k <= kFillAZ) cmd_Click(t.ed, editor, kFillAZ - k);
            else if (k < 0) PicHex_KeyDown(t.ed, editor, -k, 0);
            else PicHex_KeyPress(t.ed, editor, k);
        }
        for (const auto& [b, letters] : after) EXPECT_EQ(t.ed.s.table.letters(static_cast<size_t>(b)), letters) << b;
    }
}

// A cell shows its entry, or a dot for none or for what it cannot draw: in a Latin-1 table every byte above
// 0x7E, in a UTF-8 table nothing that is a whole character.
TEST(TableEditor, GridShowsEachEntryOrADot) {
    TableEditor editor;
    CharTable table;
    table[1] = " ", table[2] = "\xC3\xA9";
    for (const bool utf8 : {false, true}) {
        paintTableHex(editor, table, utf8);
        const auto& cells = editor.PicHex.runs();
        EXPECT_EQ(cells[0].text + "|" + cells[1].text + "|" + cells[2].text, utf8 ? ".| |\xC3\xA9" : ".| |..");
    }
}

}  // namespace
}  // namespace tarpon
