// The application's commands: the File menu and its choosers, the Edit menu, the
// command line and start-up.
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

#include "app/file_commands.h"
#include "app/menu_commands.h"
#include "app/startup.h"
#include "core/dialog_service.h"
#include "table/table_commands.h"
#include "test_editor.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;
using test::readBytes;
using test::TempDir;
using test::TestEditor;
using test::writeBytes;

// Table letters still held in the text pane belong to the document: they are written
// before it is saved or left, count as a change the user is asked about, and Undo is
// offered for them (it writes and then takes them back).
TEST(FileCommands, HeldLettersAndUnsavedChangesBeforeTheDocumentIsSavedOrLeft) {
    TempDir dir;
    const std::string doc = dir.file("doc.bin"), copy = dir.file("copy.bin"), other = dir.file("other.bin");
    const auto menu = [](int index) { return [index](Editor& ed) { mnuFile_Click(ed, index); }; };
    const struct {
        const char* name;
        std::function<void(Editor&)> command;
        std::vector<int> answers;  // to the question "Save changes to doc.bin?", and any after it
        Bytes doc, copy;           // doc.bin and copy.bin afterwards (empty: no copy)
        uint8_t first;             // the document's first byte afterwards
        bool closes;
    } rows[] = {
        {"Save writes them", menu(kFileSave), {}, {'t', 2, 3}, {}, 't', false},
        {"Save As writes them to the copy", menu(kFileSaveAs), {}, {1, 2, 3}, {'t', 2, 3}, 't', false},
        {"Exit writes them before the window closes", menu(kFileExit), {}, {1, 2, 3}, {}, 't', true},
        {"Open asks first; Cancel keeps the document", menu(kFileOpen), {2}, {1, 2, 3}, {}, 't', false},
        {"closing asks first; Save saves", [](Editor& ed) { Form_QueryUnload(ed); }, {0}, {'t', 2, 3}, {}, 't', false},
        {"closing, Save asks again when the file changed on disk; Cancel keeps it",
         [&](Editor& ed) {
             writeBytes(doc, {4, 5, 6, 7});
             EXPECT_FALSE(Form_QueryUnload(ed));
         }, {0, 1}, {4, 5, 6, 7},
         {}, 't', false},
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
        RefreshEditMenu(t.ed);
        EXPECT_TRUE(t.ed.v.menus[kMenuEdit].items[kEditUndo].enabled);
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
    t.ed.s.overwrite(0, 9);
    mnuFile_Click(t.ed, kFileSave);
    EXPECT_EQ(readBytes(opened), (Bytes{9, 2, 3}));
    EXPECT_EQ(readBytes(copy), (Bytes{1, 2, 3}));
    EXPECT_FALSE(t.ed.s.modified());
}

// Filters as the commands write them, and as the chooser lists them: the name once,
// and "*.*" matching files without a dot too.
TEST(FileChooser, FilterPairsAndNames) {
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(splitFilter("A|*.a|B|*.b|"), (Pairs{{"A", "*.a"}, {"B", "*.b"}}));
    EXPECT_EQ(splitFilter("A|*.a|B"), (Pairs{{"A", "*.a"}})) << "a name without its pattern";
    EXPECT_EQ(nameFilter("All Files (*.*)", "*.*"), "All Files (*)");
    EXPECT_EQ(nameFilter("Table Files", "*.tbl;*.TBL"), "Table Files (*.tbl *.TBL)");
    EXPECT_EQ(nameFilter("Odd (name) files", ""), "Odd (name) files (*)");
}

// Options first, then at most one file, taken whole; "--" ends the options.
TEST(CommandLine, OptionsThenOneFile) {
    using A = CommandLine::Action;
    const struct {
        std::vector<std::string> args;
        A action;
        std::string path, table, error;
    } rows[] = {
        {{}, A::Run, "", "", ""},                                  {{"--help"}, A::Help, "", "", ""},
        {{"-h"}, A::Help, "", "", ""},                              {{"--version"}, A::Version, "", "", ""},
        {{"--bogus"}, A::Error, "", "", "unknown option '--bogus'"}, {{"--", "--help"}, A::Run, "--help", "", ""},
        {{" my file .bin "}, A::Run, " my file .bin ", "", ""},     {{"-"}, A::Run, "-", "", ""},
        {{"a", "b"}, A::Error, "", "", "one file at a time"},       {{"--table=t.tbl"}, A::Run, "", "t.tbl", ""},
        {{"--table", "t.tbl", "game.bin"}, A::Run, "game.bin", "t.tbl", ""},
        {{"--table", "t.tbl", "--", "--table"}, A::Run, "--table", "t.tbl", ""},
        {{"--table"}, A::Error, "", "", "option '--table' needs a table file"},
        {{"--table="}, A::Error, "", "", "option '--table' needs a table file"},
        {{"--table", ""}, A::Error, "", "", "option '--table' needs a table file"},
        {{"--tables", "x"}, A::Error, "", "", "unknown option '--tables'"},
        {{"--table", "t.tbl", "--help"}, A::Help, "", "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.args));
        const CommandLine cl = parseCommandLine(row.args);
        EXPECT_EQ(cl.action, row.action);
        EXPECT_NE(cl.message.find(row.error), std::string::npos) << cl.message;
        if (row.action != A::Run) continue;
        EXPECT_EQ(cl.path, row.path);
        EXPECT_EQ(cl.tablePath, row.table);
    }
}

// A --table file switches the text pane to its letters, unless it gives none.
TEST(Startup, TableFromTheCommandLine) {
    TempDir dir;
    writeBytes(dir.file("good.tbl"), {'4', '1', '=', 'Z'});
    writeBytes(dir.file("empty.tbl"), {});
    TestEditor t;
    LoadStartupTable(t.ed, dir.file("empty.tbl"));
    EXPECT_FALSE(t.ed.s.viewMode) << "a table without letters";
    LoadStartupTable(t.ed, dir.file("good.tbl"));
    EXPECT_TRUE(t.ed.s.viewMode) << "a table with letters";
}

}  // namespace
}  // namespace tarpon
