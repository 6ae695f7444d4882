#include "app/startup.h"

#include <gtest/gtest.h>

#include "temp_dir.h"
#include "test_editor.h"

namespace tarpon {
namespace {

using test::TestEditor;

TEST(Startup, NoCommandLineShowsTheCountingDocument) {
    TestEditor t;
    const EditorState& s = t.ed.s;
    EXPECT_EQ(s.fileSize, 256);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(s.fileData[static_cast<size_t>(i)], i);
    EXPECT_TRUE(s.offsetMode);
    EXPECT_FALSE(s.viewMode);
    EXPECT_EQ(s.cursor(), 0);
    EXPECT_EQ(s.selAnchor, 0);
    EXPECT_TRUE(s.fileName.empty());
    EXPECT_EQ(t.ed.v.VScroll.min(), -32768);
    EXPECT_EQ(t.ed.v.VScroll.max(), 32767);
    EXPECT_EQ(t.ed.v.VScroll.value(), -32768);
    EXPECT_EQ(t.ed.v.lblOffSetMode.caption, "Offset - Hex");
    EXPECT_EQ(t.ed.v.lblViewMode[0].textColor, (Rgb{176, 0, 0}));
    EXPECT_EQ(t.ed.v.picHex.runs().size(), 256u);
    EXPECT_EQ(t.ed.v.picHex.runs()[0].text, "00");
    EXPECT_EQ(t.ed.v.PicText.runs()[0x41].text, "A");
    EXPECT_EQ(t.ed.v.picFilesize.runs()[0].text, "00000100");
    EXPECT_TRUE(t.ed.v.ShpHex[0].visible);
    EXPECT_FALSE(t.ed.v.ShpHex[1].visible);
    EXPECT_EQ(t.ed.v.ShpHex[0].rop, RasterOp::MaskNotPen);
    EXPECT_EQ(t.ed.v.ShpText[0].rop, RasterOp::NotXorPen);
    EXPECT_TRUE(t.services.messages.empty());
}

TEST(Startup, CommandLinePathExistingOrMissing) {
    test::TempDir dir;
    const std::string existing = dir.file("data bin");
    test::writeBytes(existing, {1, 2, 3});
    TestEditor t(existing);
    EXPECT_EQ(t.ed.s.fileSize, 3);
    EXPECT_EQ(t.ed.s.fileName, existing);
    EXPECT_EQ(t.ed.v.picHex.runs().size(), 3u);

    const std::string missing = dir.file("new.bin");
    TestEditor created(missing);
    EXPECT_EQ(created.ed.s.fileSize, 0);
    EXPECT_EQ(created.ed.s.fileName, missing);
    EXPECT_TRUE(std::filesystem::exists(missing));
    EXPECT_TRUE(created.ed.v.picHex.runs().empty());
}

TEST(CommandLine, OptionsAndPaths) {
    using A = CommandLine::Action;
    EXPECT_EQ(parseCommandLine({}).action, A::Run);
    EXPECT_EQ(parseCommandLine({}).path, "");
    EXPECT_EQ(parseCommandLine({"--help"}).action, A::Help);
    EXPECT_EQ(parseCommandLine({"--version"}).action, A::Version);
    EXPECT_EQ(parseCommandLine({"--bogus"}).action, A::Error);
    const CommandLine dashed = parseCommandLine({"--", "--help"});
    EXPECT_EQ(dashed.action, A::Run);
    EXPECT_EQ(dashed.path, "--help");
    const CommandLine spaced = parseCommandLine({" my file .bin "});
    EXPECT_EQ(spaced.path, " my file .bin ");
    EXPECT_EQ(parseCommandLine({"a", "b"}).action, A::Error);
    EXPECT_EQ(parseCommandLine({"-"}).path, "-");

    struct Case {
        std::vector<std::string> args;
        A action;
        std::string table, path;
    };
    const std::vector<Case> tables = {
        {{"--table", "t.tbl", "game.bin"}, A::Run, "t.tbl", "game.bin"},
        {{"--table=t.tbl"}, A::Run, "t.tbl", ""},
        {{"--table", "t.tbl", "--", "--table"}, A::Run, "t.tbl", "--table"},
        {{"--table"}, A::Error, "", ""},
        {{"--table="}, A::Error, "", ""},
        {{"--table", ""}, A::Error, "", ""},
        {{"--tables", "x"}, A::Error, "", ""},
        {{"--table", "t.tbl", "a", "b"}, A::Error, "t.tbl", "a"},
        {{"--table", "t.tbl", "--help"}, A::Help, "t.tbl", ""},
    };
    for (const Case& c : tables) {
        const CommandLine cl = parseCommandLine(c.args);
        EXPECT_EQ(cl.action, c.action) << c.args[0] << " " << c.args.size();
        if (c.action != A::Run) continue;
        EXPECT_EQ(cl.tablePath, c.table);
        EXPECT_EQ(cl.path, c.path);
    }
}

TEST(CommandLine, StartupTableSwitchesToTheTableViewWhenItGaveLetters) {
    test::TempDir dir;
    const std::string good = dir.file("good.tbl"), empty = dir.file("empty.tbl");
    test::writeBytes(good, {'4', '1', '=', 'Z', '\n', '8', '1', '4', '0', '=', 'x'});
    test::writeBytes(empty, {});
    TestEditor t;
    LoadStartupTable(t.ed, empty);
    EXPECT_FALSE(t.ed.s.viewMode);
    LoadStartupTable(t.ed, dir.file("missing.tbl"));
    EXPECT_FALSE(t.ed.s.viewMode);
    ASSERT_EQ(t.services.messages.size(), 1u);  // the missing file
    LoadStartupTable(t.ed, good);
    EXPECT_TRUE(t.ed.s.viewMode);
    EXPECT_EQ(t.ed.v.PicText.runs()[0x41].text, "Z");
    ASSERT_EQ(t.services.messages.size(), 2u);  // line 2 was skipped
    EXPECT_NE(t.services.messages[1].find("line 2: keys of more than one byte"), std::string::npos);
}

}  // namespace
}  // namespace tarpon
