// The application's commands: the File menu and its choosers, the Edit menu, the
// command line and start-up.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "app/file_commands.h"
#include "app/menu_commands.h"
#include "app/startup.h"
#include "app/tool_commands.h"
#include "core/output.h"
#include "core/dialog_service.h"
#include "core/edits.h"
#include "edit/undo.h"
#include "view/cursor.h"
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
// before it is saved, count as a change the user is asked about before it is left (a
// Cancel keeps them held, a Discard drops them), and Undo is offered for them.
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
        std::string held = "";     // the letters still held afterwards
    } rows[] = {
        {"Save writes them", menu(kFileSave), {}, {'t', 2, 3}, {}, 't', false},
        {"Save As writes them to the copy", menu(kFileSaveAs), {}, {1, 2, 3}, {'t', 2, 3}, 't', false},
        {"Exit closes the window, which asks", menu(kFileExit), {}, {1, 2, 3}, {}, 1, true, "t"},
        {"Open asks first; Cancel keeps the document and the letters", menu(kFileOpen), {2}, {1, 2, 3}, {}, 1,
         false, "t"},
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
        t.ed.s.table.setLetters('t', "t");
        t.ed.s.typing.typedLetters = "t";
        t.services.answers = row.answers;
        t.services.fileDialogAnswers = {copy};
        RefreshEditMenu(t.ed);
        EXPECT_TRUE(t.ed.v.menus[kMenuEdit].items[kEditUndo].enabled);
        row.command(t.ed);
        EXPECT_EQ(t.ed.s.typing.typedLetters, row.held);
        EXPECT_EQ(t.ed.s.doc.fileData[0], row.first);
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
        {"Save Table starts at the table's own file", SaveTable, dir.file("saved.tbl"), table},
    };
    TestEditor t;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        t.services.fileDialogAnswers = {step.answer};
        step.command(t.ed);
        EXPECT_EQ(t.services.dialogs.back().startPath, step.startPath);
        EXPECT_EQ(t.ed.s.doc.fileName, opened);
        EXPECT_TRUE(t.services.messages.empty());
    }
    EXPECT_EQ(t.ed.s.table.letters(0x41), "Z");
    overwriteByte(t.ed.s, 0, 9);
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

// Options first, then at most one file, taken whole; "--" ends the options. A command's name runs it
// without a window; a word that looks like a mistyped one is refused, unless a file of that name is there.
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
        {{" my file .bin "}, A::Run, " my file .bin ", "", ""},
        {{"-"}, A::Error, "", "", "'-' (standard input) cannot be opened"},
        {{"--", "-"}, A::Error, "", "", "write ./- for a file named -"},
        {{"a.bin", "b"}, A::Error, "", "", "one file at a time"},  {{"--table=t.tbl"}, A::Run, "", "t.tbl", ""},
        {{"--table", "t.tbl", "game.bin"}, A::Run, "game.bin", "t.tbl", ""},
        {{"--table", "t.tbl", "--", "--table"}, A::Run, "--table", "t.tbl", ""},
        {{"--table"}, A::Error, "", "", "option '--table' needs a table file"},
        {{"--table="}, A::Error, "", "", "option '--table' needs a table file"},
        {{"--table", ""}, A::Error, "", "", "option '--table' needs a table file"},
        {{"--tables", "x"}, A::Error, "", "", "unknown option '--tables'"},
        {{"--table", "t.tbl", "--help"}, A::Help, "", "", ""},
        {{"find", "--bogus"}, A::Tool, "", "", ""},
        {{"dumpp", "x"}, A::Error, "", "", "no such command 'dumpp' (did you mean 'dump'?)"},
        {{"fnd"}, A::Error, "", "", "no such command 'fnd' (did you mean 'find'?)"},
        {{"notes", "x"}, A::Error, "", "", "no such command 'notes'; the commands are find, dump, insert"},
        {{"notes"}, A::Run, "notes", "", ""},
        {{"dum"}, A::Run, "dum", "", ""},  // a file of that name is there
        {{"dum", "x"}, A::Error, "", "", "one file at a time"},
        {{"./dumpp"}, A::Run, "./dumpp", "", ""},
        {{"Dump"}, A::Run, "Dump", "", ""},
    };
    const auto exists = [](const std::string& path) { return path == "dum"; };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.args));
        const CommandLine cl = parseCommandLine(row.args, exists);
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
    EXPECT_FALSE(t.ed.s.view.viewMode) << "a table without letters";
    LoadStartupTable(t.ed, dir.file("good.tbl"));
    EXPECT_TRUE(t.ed.s.view.viewMode) << "a table with letters";
}

// Copy and Paste in the panes, on the document 41 42 43 44 45 with the selection 1..3 (anchor 3, cursor 1):
// a copy gives the selection as the pane shows it; a paste writes the clipboard from the cursor on as one
// undo step, or nothing and a message. Table: 41 a, 42 b, 43 "th", 44 45 é.
TEST(PaneClipboard, CopyAndPaste) {
    enum Where { Hex, Ascii, Table };
    const struct {
        const char* name;
        Where pane;
        std::string clipboard;  // before; empty: Copy, else Paste
        std::string expected;   // a copy's text, or a paste's message ("" for none)
        Bytes document;         // afterwards
    } rows[] = {
        {"hex copy: upper-case pairs", Hex, "", "42 43 44", {}},
        {"text copy in Ascii view: Latin-1 characters", Ascii, "", "BCD", {}},
        {"text copy in Table view: the letters, a two-byte key that starts in the selection whole", Table, "", "bth\xE9",
         {}},
        {"hex paste: blanks, line breaks and 0x passed over", Hex, "0xaa\r\n0XBB cc", "", {0x41, 0xAA, 0xBB, 0xCC, 0x45}},
        {"hex paste up to the last byte", Hex, "01020304", "", {0x41, 1, 2, 3, 4}},
        {"hex paste one byte too many: nothing", Hex, "0102030405",
         "The clipboard holds 5 bytes, but only 4 fit before the end of the document. Nothing was pasted.", {}},
        {"hex paste of a lone digit: nothing", Hex, "aa b", "The clipboard cannot be pasted: the digit \"b\" (U+0062) has no second digit (a byte is two digits).", {}},
        {"hex paste of a letter: nothing", Hex, "0x4G", "The clipboard cannot be pasted: \"G\" (U+0047) is not a hexadecimal digit.", {}},
        {"Ascii paste: Latin-1 codes", Ascii, "\u00E9z", "", {0x41, 0xE9, 'z', 0x44, 0x45}},
        {"Ascii paste beyond Latin-1: nothing", Ascii, "a\u20AC", "The clipboard cannot be pasted: \"\u20AC\" (U+20AC) has no one-byte code.", {}},
        {"Table paste: longest entries first", Table, "thab", "", {0x41, 0x43, 0x41, 0x42, 0x45}},
        {"Table paste through a two-byte key", Table, "a\u00E9", "", {0x41, 0x41, 0x44, 0x45, 0x45}},
        {"Table paste of a letter that begins no entry: nothing", Table, "tax", "The clipboard cannot be pasted: \"t\" (U+0074) begins no entry of the table.", {}},
    };
    const Bytes doc = {0x41, 0x42, 0x43, 0x44, 0x45};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TestEditor t(doc);
        t.ed.s.table.setLetters(0x41, "a"), t.ed.s.table.setLetters(0x42, "b"), t.ed.s.table.setLetters(0x43, "th");
        t.ed.s.table.edit([&](tarpon::Table& m) { m.set({"\x44\x45", "\u00E9"}); });
        t.ed.s.table.spellUtf8(false);  // the grid's letters stay Latin-1
        t.ed.s.view.viewMode = row.pane == Table;
        t.ed.s.view.focusPane = row.pane == Hex ? InputPane::Hex : InputPane::Text;
        t.ed.s.view.selAnchor = 3;
        t.ed.s.view.cursorRel = 1;
        t.services.clipboard = row.clipboard;
        RefreshEditMenu(t.ed);
        RunMenuCommand(t.ed, kMenuEdit, row.clipboard.empty() ? kEditCopy : kEditPaste);
        if (row.clipboard.empty()) {
            EXPECT_EQ(t.services.clipboard, row.expected);
            continue;
        }
        EXPECT_EQ(t.services.messages, row.expected.empty() ? std::vector<std::string>{} : std::vector{row.expected});
        EXPECT_EQ(t.document(), row.document.empty() ? doc : row.document);
        tarpon::Undo(t.ed);
        EXPECT_EQ(t.document(), doc) << "one undo step";
    }
}

// Opening a file puts a cursor that lies past the file's end on its last byte; one inside it stays.
TEST(FileCommands, OpeningKeepsTheCursorOnTheFile) {
    const std::tuple<const char*, int, size_t, int64_t> rows[] = {  // name, cursor before, file size, cursor after
        {"past the end: the last byte", 4095, 11, 10},
        {"inside: stays", 5, 11, 5},
        {"an empty file: offset 0", 300, 0, 0},
    };
    for (const auto& [name, before, size, after] : rows) {
        SCOPED_TRACE(name);
        TempDir dir;
        writeBytes(dir.file("big"), Bytes(4096, 1));
        writeBytes(dir.file("small"), Bytes(size, 2));
        TestEditor t(dir.file("big"));
        MoveCursor(t.ed, before);
        t.services.fileDialogAnswers = {dir.file("small")};
        RunMenuCommand(t.ed, kMenuFile, kFileOpen);
        EXPECT_EQ(std::pair(t.ed.s.cursor(), int64_t{t.ed.s.view.selAnchor} <= after), std::pair(after, true));
        EXPECT_TRUE(cursorRowShown(t.ed));
    }
}

// tarpon-hex find: arguments -> exit status, standard output; the reason of a failure on standard error.
TEST(ToolCommands, Find) {
    TempDir dir;
    writeBytes(dir.file("doc"), {'a', 'b', 'a', 'b', 'a', 0x81, 0x82, 0xE9});
    test::writeText(dir.file("t.tbl"), "81=x\n82=y\nE9=xy\n61=a\n");
    std::filesystem::create_symlink(dir.file("loop"), dir.file("loop"));
    const std::string doc = dir.file("doc"), table = dir.file("t.tbl");
    const struct {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string out, err;  // err: a part of it
    } rows[] = {
        {"overlapping hits in order", {"find", "aba", doc}, 0, "0x0\n0x2\n", ""},
        {"a Latin-1 character typed as UTF-8", {"find", "\u00E9", doc}, 0, "0x7\n", ""},
        {"through the table, in every spelling", {"find", "--table", table, "xy", doc}, 0, "0x5\n0x7\n", ""},
        {"a text that would run round the end", {"find", "\u00E9a", doc}, 1, "", "no hit"},
        {"a spelling that would run round the end", {"find", "--table", table, "xya", doc}, 1, "", "no hit"},
        {"relative: the same steps", {"find", "--relative", "bc", doc}, 0, "0x0\n0x2\n0x5\n", ""},
        {"relative through a sequence: b a is one step back", {"find", "--relative", "--alphabet", "ab", "ba", doc}, 0,
         "0x1\n0x3\n", ""},
        {"a sequence that repeats a letter", {"find", "--relative", "--alphabet", "aba", "ab", doc}, 2, "", "--alphabet"},
        {"no hit", {"find", "abc", doc}, 1, "", "find: no hit in " + doc},
        {"a character without a byte", {"find", "\u20AC", doc}, 1, "", "has no one-byte code"},
        {"a missing file is not created", {"find", "a", dir.file("none")}, 1, "", "No such file or directory"},
        {"a loop of links says so", {"find", "a", dir.file("loop")}, 1, "", "Too many levels of symbolic links"},
        {"'-' is no file", {"find", "a", "-"}, 2, "", "'-' names no file here"},
        {"an unreadable table", {"find", "--table", dir.file("none.tbl"), "a", doc}, 1, "", "No such file"},
        {"no file", {"find", "a"}, 2, "", "find needs TEXT and FILE\nTry 'tarpon-hex find --help'."},
        {"an unknown option", {"find", "--fast", "a", doc}, 2, "", "unknown option or missing value '--fast'"},
        {"--help after other options", {"find", "--relative", "--help"}, 0, "Usage: tarpon-hex find", ""},
        {"--help after -- is TEXT", {"find", "--", "--help", doc}, 1, "", "no hit"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string out, err;
        EXPECT_EQ(runToolCommand(row.args, out, err), row.status);
        EXPECT_EQ(row.out.empty() || row.out.ends_with('\n') ? out : out.substr(0, row.out.size()), row.out);
        EXPECT_EQ(err.empty(), row.status == 0) << err;
        EXPECT_NE(err.find(row.err), std::string::npos) << err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("none")));
}

// Every command answers --help with its usage on standard output, and every output of the command line
// is checked: written to a full device, it is a message and status 1, never success (the binary's own
// rows in tests/CMakeLists.txt add a closed output and a closed pipe).
TEST(ToolCommands, HelpAndEveryWriteChecked) {
    for (const std::string_view name : toolCommandNames()) {
        std::string out, err;
        EXPECT_EQ(runToolCommand({std::string(name), "--help"}, out, err), 0) << name;
        EXPECT_TRUE(out.starts_with("Usage: tarpon-hex " + std::string(name) + " ")) << out;
        EXPECT_EQ(err, "");
    }
    TempDir dir;
    writeBytes(dir.file("doc"), {'a', 'b', 'c'});
    test::writeText(dir.file("t.tbl"), "61=a\n62=b\n63=c\n");
    const std::string doc = dir.file("doc"), table = dir.file("t.tbl");
    using A = CommandLine::Action;
    const struct {
        const char* name;
        A action;
        std::vector<std::string> args;
    } rows[] = {
        {"find's hits", A::Tool, {"find", "b", doc}},
        {"a dump to standard output", A::Tool, {"dump", "--table", table, "--from", "0", "--to", "2", doc}},
        {"a dump to --out -", A::Tool, {"dump", "--table", table, "--from", "0", "--to", "2", "--out", "-", doc}},
        {"a command's --help", A::Tool, {"insert", "--help"}},
        {"--help", A::Help, {"--help"}},
        {"--version", A::Version, {"--version"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CommandLine cl;
        cl.action = row.action;
        std::string ok, err;
        StringOutput kept(ok), errors(err);
        ASSERT_EQ(runWithoutWindow(cl, row.args, kept, errors), 0) << err;
        ASSERT_FALSE(ok.empty()) << "writes something";
        FdOutput full(::open("/dev/full", O_WRONLY | O_CLOEXEC), "standard output", true);
        EXPECT_EQ(runWithoutWindow(cl, row.args, full, errors), 1);
        EXPECT_EQ(err, "tarpon-hex: cannot write standard output: No space left on device\n");
    }
}

// The commands work on files larger than the window takes (a sparse 32 MiB file: find, dump and insert
// near its end), and refuse one of 2 GiB with a message rather than read it.
TEST(ToolCommands, FilesLargerThanTheWindowTakes) {
    TempDir dir;
    const std::string file = dir.file("rom.bin"), script = dir.file("script.txt"), table = dir.file("t.tbl");
    test::writeText(table, "61=a\n62=b\n63=c\n");
    constexpr uintmax_t size = uintmax_t{32} << 20;
    std::ofstream(file, std::ios::binary).seekp(size - 3) << "abc";  // a sparse file: 32 MiB of zeros, then abc
    std::string out, err;
    EXPECT_EQ(runToolCommand({"find", "bc", file}, out, err), 0) << err;
    EXPECT_EQ(out, "0x1FFFFFE\n");
    EXPECT_EQ(runToolCommand({"dump", "--table", table, "--from", "0x1FFFFFD", "--to", "0x1FFFFFF", "--out", script,
                              file}, out, err), 0) << err;
    std::string text = test::readText(script);
    ASSERT_NE(text.find("abc"), std::string::npos) << text;
    text.replace(text.find("abc"), 3, "cab");
    test::writeText(script, text);
    EXPECT_EQ(runToolCommand({"insert", "--table", table, "--script", script, file}, out, err), 0) << err;
    EXPECT_EQ(std::filesystem::file_size(file), size);
    out.clear();
    EXPECT_EQ(runToolCommand({"find", "cab", file}, out, err), 0) << err;
    EXPECT_EQ(out, "0x1FFFFFD\n");
    std::filesystem::resize_file(file, uintmax_t{1} << 31);
    err.clear();
    EXPECT_EQ(runToolCommand({"find", "cab", file}, out, err), 1);
    EXPECT_EQ(err, "tarpon-hex: " + file + ": files of 2 GiB or more are refused\n");
}

// The example's round trip from the command line: the pointer table dumped, inserted back unchanged (the same
// bytes), a string made longer than its room (refused, line number given, nothing written), then room given.
TEST(ToolCommands, DumpAndInsertTheExample) {
    TempDir dir;
    const std::string examples = std::string(TARPON_SOURCE_DIR) + "/../examples/";
    const Bytes original = readBytes(examples + "shop.bin");
    const std::string file = dir.file("shop.bin"), script = dir.file("shop.txt"), table = examples + "shop.tbl";
    writeBytes(file, original);
    std::string out, err;
    ASSERT_EQ(runToolCommand({"dump", "--table", table, "--pointers", "0x10", "--count", "4", "--size", "2", "--out",
                              script, file}, out, err), 0) << err;
    ASSERT_EQ(runToolCommand({"insert", "--table", table, "--script", script, file}, out, err), 0) << err;
    EXPECT_EQ(readBytes(file), original);
    std::string text = test::readText(script);
    const std::string sword = "A sword costs thirty coins.";
    ASSERT_NE(text.find(sword), std::string::npos) << text;
    text.replace(text.find(sword), sword.size(), "A fine sword costs thirty gold coins.");
    test::writeText(script, text);
    EXPECT_EQ(runToolCommand({"insert", "--table", table, "--script", script, file}, out, err), 1);
    EXPECT_NE(err.find("Line 20: the text is 9 bytes too long"), std::string::npos) << err;
    EXPECT_EQ(readBytes(file), original);
    text.replace(text.find("#JMP($18, $81)"), 14, "#JMP($18, $B1)");  // the free room after the strings
    test::writeText(script, text);
    EXPECT_EQ(runToolCommand({"insert", "--table", table, "--script", script, file}, out, err), 0) << err;
    out.clear();
    EXPECT_EQ(runToolCommand({"find", "--table", table, "gold", file}, out, err), 0);
    EXPECT_EQ(out, "0x55\n");
}

}  // namespace
}  // namespace tarpon
