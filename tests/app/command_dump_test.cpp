// dump --commands: the command file's tables found from its folder, the example
// command file dumped and inserted back, and a refused command file that writes nothing.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/command_tables.h"
#include "app/tool_runner.h"
#include "test_editor.h"

namespace tarpon {
namespace {

using test::TempDir;
using Bytes = std::vector<uint8_t>;

// A table as the command file names it -> the file found in its folder, or where it was looked for.
TEST(CommandTables, FoundFromTheCommandFilesFolder) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("sub"));
    test::writeText(dir.file("game.tbl"), "61=a\n");
    test::writeText(dir.file("Kana.TBL"), "62=b\n");
    test::writeText(dir.file("sub/menu.tbl"), "63=c\n");
    const struct {
        const char* name;
        std::string written, found, looked;
    } rows[] = {
        {"a name beside the command file", "game.tbl", dir.file("game.tbl"), ""},
        {"a relative path below it", "sub/menu.tbl", dir.file("sub/menu.tbl"), ""},
        {"a Windows path from another machine: the file name", "C:\\Games\\Translation\\game.tbl", dir.file("game.tbl"), ""},
        {"another machine's folder, the name in other case", "/home/someone/proj/KANA.tbl", dir.file("Kana.TBL"), ""},
        {"nowhere", "tables\\missing.tbl", "",
         dir.file("tables\\missing.tbl") + ", " + dir.file("missing.tbl") + " and \"missing.tbl\" in any case in " + dir.dir},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string looked;
        EXPECT_EQ(findTableFile(dir.dir, row.written, looked).value_or(""), row.found);
        EXPECT_EQ(looked, row.found.empty() ? row.looked : looked);
    }
}

TEST(ToolCommands, DumpTheExampleCommandFile) {
    TempDir dir;
    const std::string examples = std::string(TARPON_SOURCE_DIR) + "/../examples/";
    const std::string script = dir.file("script.txt");
    std::string out, err;
    ASSERT_EQ(runToolCommand({"dump", "--commands", examples + "shop-commands.txt", "--out", script, examples + "shop.bin"},
                             out, err), 0) << err;
    const std::string text = test::readText(script);
    for (const char* part : {"//GAME NAME:\t\tShop example\n", "shop.tbl\", Table_0)\n", "#W16($12)\n//A sword costs thirty coins.<end>\n"
                             "A sword costs thirty coins.<end>\n", "//BLOCK #001 NAME:\t\tGreeting\n", "#JMP($18, $3C)"})
        EXPECT_NE(text.find(part), std::string::npos) << part << " in\n" << text;
    // Inserted back unchanged, with the table its #ADDTBL line names: the same bytes.
    const std::string file = dir.file("shop.bin");
    const Bytes original = test::readBytes(examples + "shop.bin");
    test::writeBytes(file, original);
    ASSERT_EQ(runToolCommand({"insert", "--script", script, file}, out, err), 0) << err;
    EXPECT_EQ(test::readBytes(file), original);

    const std::string commands = dir.file("bad.txt"), none = dir.file("none.txt");
    test::writeText(commands, "#BLOCK NAME: a\n#TABLE: nowhere.tbl\n#METHOD: RAW\n#SCRIPT START: 0\n#SCRIPT STOP: 4\n#END BLOCK\n");
    err.clear();
    EXPECT_EQ(runToolCommand({"dump", "--commands", commands, "--out", none, examples + "shop.bin"}, out, err), 1);
    EXPECT_NE(err.find(commands + ": Line 2: the table \"nowhere.tbl\" was not found: looked for " + dir.file("nowhere.tbl")),
              std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(none));
    err.clear();
    EXPECT_EQ(runToolCommand({"dump", "--commands", commands, "--table", "t.tbl", examples + "shop.bin"}, out, err), 2);
    EXPECT_NE(err.find("--commands goes only with --out"), std::string::npos) << err;
}

// A table file of switches, its target in another file: the command-file dump (by
// #TABLE and by #TABLE ID) and the single dump read through the switches, and each
// script inserts back to the same bytes.
TEST(ToolCommands, DumpsThroughTableSwitches) {
    TempDir dir;
    test::writeText(dir.file("s.tbl"), "@main\n/00=<end>\n61=a\n!AB=,<@Items>:1\n!AC=<[x]>,<@Items>:$AC\n");
    test::writeText(dir.file("i.tbl"), "@Items\n01=[P]\n02=[H]\n/FF=[e]\n");
    test::writeText(dir.file("both.tbl"), test::readText(dir.file("s.tbl")) + test::readText(dir.file("i.tbl")));
    const Bytes original = {0x04, 0, 0x08, 0, 0x61, 0xAB, 0x02, 0x00, 0x01, 0x02, 0xFF};
    test::writeBytes(dir.file("game.bin"), original);
    const std::string block = "#METHOD: POINTER\n#POINTER TABLE START: 0\n#POINTER TABLE STOP: 2\n#POINTER SIZE: 2\n#ATLAS PTRS: Yes\n";
    test::writeText(dir.file("c.txt"), "#SUB TABLE: i.tbl\n#BLOCK NAME: a\n#TABLE: s.tbl\n" + block + "#END BLOCK\n#BLOCK NAME: b\n#TABLE: s.tbl\n#TABLE ID: Items\n" +
                                          block.substr(0, block.find("START")) + "START: 2\n#POINTER TABLE STOP: 4\n#POINTER SIZE: 2\n#ATLAS PTRS: Yes\n#END BLOCK\n");
    const struct {
        const char* name;
        std::vector<std::string> args;
        std::vector<std::string> holds;
    } rows[] = {
        {"command file", {"dump", "--commands", dir.file("c.txt"), "--out", dir.file("script.txt"), dir.file("game.bin")},
         {"#ACTIVETBL(@main)", "a[H]<end>", "#ACTIVETBL(@Items)", "[P][H][e]"}},
        {"single dump", {"dump", "--table", dir.file("both.tbl"), "--from", "4", "--to", "7", "--out", dir.file("script.txt"), dir.file("game.bin")},
         {"#ADDTBL(\"" + dir.file("both.tbl") + "\", Table_0)\n#ACTIVETBL(@main)\n", "a[H]<end>"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string out, err;
        ASSERT_EQ(runToolCommand(row.args, out, err), 0) << err;
        const std::string text = test::readText(dir.file("script.txt"));
        for (const std::string& part : row.holds) EXPECT_NE(text.find(part), std::string::npos) << part << " in\n" << text;
        const Bytes blank(original.size(), 0x55);
        test::writeBytes(dir.file("copy.bin"), blank);
        ASSERT_EQ(runToolCommand({"insert", "--script", dir.file("script.txt"), dir.file("copy.bin")}, out, err), 0) << err << text;
        const Bytes written = test::readBytes(dir.file("copy.bin"));
        for (size_t i = 0; i < written.size(); ++i)
            if (written[i] != 0x55) {
                EXPECT_EQ(written[i], original[i]) << "at " << i << " in\n" << text;
            }
        EXPECT_EQ(std::vector<uint8_t>(written.begin() + 4, written.begin() + 8), std::vector<uint8_t>(original.begin() + 4, original.begin() + 8));
    }
    // A switch the dump cannot follow refuses both dumps, naming the file and the line.
    test::writeText(dir.file("i.tbl"), "@Items\n01=[P]\n!02=,<binary>:3\n");
    test::writeText(dir.file("both.tbl"), test::readText(dir.file("s.tbl")) + test::readText(dir.file("i.tbl")));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string out, err;
        EXPECT_EQ(runToolCommand(row.args, out, err), 1);
        EXPECT_NE(err.find(".tbl\", line "), std::string::npos) << err;
        EXPECT_NE(err.find("<binary> parts (raw bits) are not read by this editor."), std::string::npos) << err;
    }
}

}  // namespace
}  // namespace tarpon
