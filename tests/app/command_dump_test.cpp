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

}  // namespace
}  // namespace tarpon
