// `tarpon-hex insert` with the script's own tables, found from its folder on disk.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/tool_commands.h"
#include "test_editor.h"

namespace tarpon {
namespace {

// Each row: a script in game/, tables in game/ and game/tbl/ -> exit status, the
// document's first bytes, what stderr holds.
TEST(InsertCommand, ScriptsOwnTables) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.file("game/tbl"));
    test::writeText(dir.file("game/tbl/Main.TBL"), "41=A\n/00=<end>\n");
    test::writeText(dir.file("game/other.tbl"), "41=a\n");
    struct Row {
        const char* name;
        std::string script;
        std::vector<std::string> options;
        int status;
        std::vector<uint8_t> bytes;
        std::string err;
    };
    const Row rows[] = {
        {"a relative path from the script's folder", "#VAR(T, TABLE)\n#ADDTBL(\"tbl/Main.TBL\", T)\n#ACTIVETBL(T)\n#JMP(0)\nAA<end>", {}, 0,
         {0x41, 0x41, 0}, "tarpon-hex: insert: Wrote 1 string, 3 bytes of text and 0 pointers.\n"},
        {"another machine's path, found by its name in any case", "#VAR(T, TABLE)\n#ADDTBL(\"D:\\work\\OTHER.tbl\", T)\n#ACTIVETBL(T)\n#JMP(1)\na", {"--quiet"}, 0,
         {0x55, 0x41}, ""},
        {"--table for a script that names none", "#JMP(0)\na", {"--table", dir.file("game/other.tbl"), "--quiet"}, 0, {0x41}, ""},
        {"--table overrides nothing the script names", "#VAR(T, TABLE)\n#ADDTBL(\"tbl/Main.TBL\", T)\n#ACTIVETBL(T)\n#JMP(0)\na",
         {"--table", dir.file("game/other.tbl")}, 1, {0x55}, "Line 5: \"a\" (U+0061) begins no entry of the table."},
        {"an unknown dialect", "#JMP(0)", {"--dialect", "perl"}, 2, {0x55}, "--dialect is atlas or abcde"},
        {"a script in Shift-JIS, chosen", "#JMP(0)\n<$82>", {"--script-encoding", "shift-jis", "--table", dir.file("game/other.tbl")}, 0,
         {0x82}, "Wrote"},
        {"a table nowhere", "#VAR(T, TABLE)\n#ADDTBL(\"none.tbl\", T)", {}, 1, {0x55}, "was not found (looked for " + dir.file("game/none.tbl")},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const std::string doc = dir.file("doc.bin"), script = dir.file("game/s.txt");
        test::writeBytes(doc, std::vector<uint8_t>(8, 0x55));
        test::writeText(script, r.script);
        std::vector<std::string> args{"insert", "--script", script};
        args.insert(args.end(), r.options.begin(), r.options.end());
        args.push_back(doc);
        std::string out, err;
        EXPECT_EQ(runToolCommand(args, out, err), r.status) << err;
        const std::vector<uint8_t> after = test::readBytes(doc);
        EXPECT_TRUE(std::equal(r.bytes.begin(), r.bytes.end(), after.begin()));
        if (r.err.empty()) EXPECT_EQ(err, "");
        else EXPECT_NE(err.find(r.err), std::string::npos) << err;
    }
}

}  // namespace
}  // namespace tarpon
