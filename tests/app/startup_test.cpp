#include "app/startup.h"

#include <gtest/gtest.h>

#include "temp_dir.h"
#include "test_editor.h"

namespace tarpon {
namespace {

using test::TestEditor;

// Options first, then at most one file, taken whole; "--" ends the options.
TEST(CommandLine, OptionsThenOneFile) {
    using A = CommandLine::Action;
    const struct {
        std::vector<std::string> args;
        A action;
        std::string path, table, error;
    } rows[] = {
        {{}, A::Run, "", "", ""},
        {{"--help"}, A::Help, "", "", ""},
        {{"-h"}, A::Help, "", "", ""},
        {{"--version"}, A::Version, "", "", ""},
        {{"--bogus"}, A::Error, "", "", "unknown option '--bogus'"},
        {{"--", "--help"}, A::Run, "--help", "", ""},
        {{" my file .bin "}, A::Run, " my file .bin ", "", ""},
        {{"-"}, A::Run, "-", "", ""},
        {{"a", "b"}, A::Error, "", "", "one file at a time"},
        {{"--table", "t.tbl", "game.bin"}, A::Run, "game.bin", "t.tbl", ""},
        {{"--table=t.tbl"}, A::Run, "", "t.tbl", ""},
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

// Without a file the document is the 256 bytes 00 to FF; a --table file that gives
// letters switches the text pane to them.
TEST(Startup, DocumentAndTableFromTheCommandLine) {
    test::TempDir dir;
    const std::string file = dir.file("data bin"), good = dir.file("good.tbl"), empty = dir.file("empty.tbl");
    test::writeBytes(file, {1, 2, 3});
    test::writeBytes(good, {'4', '1', '=', 'Z'});
    test::writeBytes(empty, {});
    std::vector<uint8_t> counting(256);
    for (size_t i = 0; i < counting.size(); ++i) counting[i] = static_cast<uint8_t>(i);
    const struct {
        const char* name;
        std::string file, table;
        std::vector<uint8_t> document;
        bool tableView;
    } rows[] = {
        {"nothing named", "", "", counting, false},
        {"a file and a table with letters", file, good, {1, 2, 3}, true},
        {"a table without letters", "", empty, counting, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TestEditor t(row.file);
        if (!row.table.empty()) LoadStartupTable(t.ed, row.table);
        EXPECT_EQ(std::vector<uint8_t>(t.ed.s.fileData.begin(), t.ed.s.fileData.begin() + t.ed.s.fileSize),
                  row.document);
        EXPECT_EQ(t.ed.s.fileName, row.file);
        EXPECT_EQ(t.ed.s.viewMode, row.tableView);
    }
}

}  // namespace
}  // namespace tarpon
