#include "app/file_commands.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

#include "app/menu_commands.h"
#include "app/startup.h"
#include "table/table_commands.h"
#include "temp_dir.h"
#include "test_editor.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;
using test::readBytes;
using test::TempDir;
using test::TestEditor;
using test::writeBytes;

// Table letters still held in the text pane belong to the document: they are written
// before it is saved or left, and count as a change the user is asked about.
TEST(FileCommands, HeldLettersAndUnsavedChangesBeforeTheDocumentIsSavedOrLeft) {
    TempDir dir;
    const std::string doc = dir.file("doc.bin"), copy = dir.file("copy.bin"), other = dir.file("other.bin");
    const auto menu = [](int index) { return [index](Editor& ed) { mnuFile_Click(ed, index); }; };
    const struct {
        const char* name;
        std::function<void(Editor&)> command;
        std::vector<int> answers;  // to the question "Save changes to doc.bin?"
        Bytes doc, copy;           // doc.bin and copy.bin afterwards (empty: no copy)
        uint8_t first;             // the document's first byte afterwards
        bool closes;
    } rows[] = {
        {"Save writes them", menu(kFileSave), {}, {'t', 2, 3}, {}, 't', false},
        {"Save As writes them to the copy", menu(kFileSaveAs), {}, {1, 2, 3}, {'t', 2, 3}, 't', false},
        {"Exit writes them before the window closes", menu(kFileExit), {}, {1, 2, 3}, {}, 't', true},
        {"Open asks first; Cancel keeps the document", menu(kFileOpen), {2}, {1, 2, 3}, {}, 't', false},
        {"closing asks first; Save saves", [](Editor& ed) { Form_QueryUnload(ed); }, {0}, {'t', 2, 3}, {}, 't', false},
        {"a dropped file asks first; Discard opens it", [&](Editor& ed) { OpenDroppedFile(ed, other); }, {1},
         {1, 2, 3}, {}, 9, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        writeBytes(doc, {1, 2, 3});
        writeBytes(other, {9});
        std::filesystem::remove(copy);
        TestEditor t(doc);
        t.ed.s.charTable['t'] = "t";
        t.ed.s.typedLetters = "t";
        t.services.answers = row.answers;
        t.services.fileDialogAnswers = {copy};
        row.command(t.ed);
        EXPECT_TRUE(t.ed.s.typedLetters.empty());
        EXPECT_EQ(t.ed.s.fileData[0], row.first);
        EXPECT_EQ(t.services.questions.size(), row.answers.size());
        EXPECT_EQ(readBytes(doc), row.doc);
        EXPECT_EQ(readBytes(copy), row.copy);
        EXPECT_EQ(t.services.closed, row.closes ? 1 : 0);
    }
}

// One chooser serves the document and the table commands: it starts at the last
// path chosen unless the command names a file, a cancel forgets nothing, and names
// are taken exactly, blanks and all. Save As and the table commands leave the
// document bound to its own file.
TEST(FileCommands, ChoosersShareTheLastPathAndSaveAsKeepsTheDocumentsFile) {
    TempDir dir;
    const std::string opened = dir.file(" opened.bin"), copy = dir.file("copy.bin "), table = dir.file("t.tbl");
    writeBytes(opened, {1, 2, 3});
    writeBytes(table, {'4', '1', '=', 'Z'});
    const struct {
        const char* name;
        void (*command)(Editor&);
        std::string answer;  // empty: cancelled
        std::string startPath;
    } steps[] = {
        {"Open starts with nothing remembered", OpenDocument, opened, ""},
        {"Save As starts at the document's file", [](Editor& ed) { SaveDocumentAs(ed); }, copy, opened},
        {"Open starts at the last choice", OpenDocument, "", copy},
        {"Load Table starts there still", LoadTable, table, copy},
        {"Save Table starts at the document's file", SaveTable, dir.file("saved.tbl"), opened},
    };
    TestEditor t;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        t.services.fileDialogAnswers = {step.answer};
        step.command(t.ed);
        EXPECT_EQ(t.services.dialogs.back().startPath, step.startPath);
        EXPECT_EQ(t.ed.s.fileName, opened);
        EXPECT_TRUE(t.services.messages.empty());
    }
    EXPECT_EQ(t.ed.s.charTable[0x41], "Z");
    EXPECT_EQ(readBytes(copy), (Bytes{1, 2, 3}));
    t.ed.s.overwrite(0, 9);
    mnuFile_Click(t.ed, kFileSave);
    EXPECT_EQ(readBytes(opened), (Bytes{9, 2, 3}));
    EXPECT_EQ(readBytes(copy), (Bytes{1, 2, 3}));
    EXPECT_FALSE(t.ed.s.modified());
}

// Undo is offered for a change or for held letters (it writes and then takes them
// back), Redo for a change undone.
TEST(EditMenu, UndoAndRedoOfferedWhenThereIsSomethingToTakeBackOrDoAgain) {
    const struct {
        const char* name;
        bool change, undo;
        const char* held;
        bool undoOffered, redoOffered;
    } rows[] = {
        {"nothing done", false, false, "", false, false},
        {"letters held", false, false, "t", true, false},
        {"a change", true, false, "", true, false},
        {"a change undone", true, true, "", false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TestEditor t;
        if (row.change) t.ed.s.overwrite(0, 7);
        if (row.undo) mnuEdit_Click(t.ed, kEditUndo);
        t.ed.s.typedLetters = row.held;
        RefreshEditMenu(t.ed);
        EXPECT_EQ(t.ed.v.menus[kMenuEdit].items[kEditUndo].enabled, row.undoOffered);
        EXPECT_EQ(t.ed.v.menus[kMenuEdit].items[kEditRedo].enabled, row.redoOffered);
    }
}

}  // namespace
}  // namespace tarpon
