// The window's comparison and patch commands, run through the File menu on a test editor.
#include <gtest/gtest.h>

#include "app/file_commands.h"
#include "app/menu_commands.h"
#include "core/edits.h"
#include "edit/undo.h"
#include "patch/compare_commands.h"
#include "screen/style.h"
#include "test_editor.h"
#include "view/cursor.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;
using test::readBytes;
using test::TempDir;
using test::TestEditor;
using test::writeBytes;

// The offsets of the hex pane's shown bytes that are marked, in order.
std::vector<int64_t> markedOffsets(const Editor& ed) {
    std::vector<int64_t> offsets;
    const double pitch = ed.v.picHex.width() / 17;
    for (const FillBox& box : ed.v.picHex.fills()) {
        if (box.color != kDifferenceBack) continue;
        const int64_t col = static_cast<int64_t>((box.x + pitch / 2) / pitch), row = static_cast<int64_t>(box.y) / 18;
        offsets.push_back(ed.s.view.pageTop + 16 * row + col);
    }
    return offsets;
}

TEST(CompareWindow, MarksWalksAndFollowsEdits) {
    TempDir dir;
    Bytes other = test::countingBytes(64);
    other[3] = other[4] = other[40] = 0xEE;
    writeBytes(dir.file("other"), other);
    writeBytes(dir.file("longer"), test::countingBytes(100));
    TestEditor t(test::countingBytes(64));
    t.services.fileDialogAnswers = {dir.file("other")};
    RunMenuCommand(t.ed, kMenuFile, kFileCompare);
    EXPECT_EQ(markedOffsets(t.ed), (std::vector<int64_t>{3, 4, 40}));
    EXPECT_EQ(t.ed.v.titleStatus, "2 runs, 3 bytes differ from other");
    RefreshFileMenu(t.ed);
    ASSERT_TRUE(t.ed.v.menus[kMenuFile].items[kFileNextDifference].enabled);

    const struct {
        const char* name;
        int item;
        int64_t cursor;
        size_t messages;
    } walk[] = {
        {"next from 0", kFileNextDifference, 3, 0},
        {"next from the first run", kFileNextDifference, 40, 0},
        {"none after the last", kFileNextDifference, 40, 1},
        {"previous", kFilePreviousDifference, 3, 1},
        {"none before the first", kFilePreviousDifference, 3, 2},
    };
    for (const auto& step : walk) {
        RunMenuCommand(t.ed, kMenuFile, step.item);
        EXPECT_EQ(t.ed.s.cursor(), step.cursor) << step.name;
        EXPECT_EQ(t.services.messages.size(), step.messages) << step.name;
    }
    overwriteByte(t.ed.s, 40, 0xEE);  // the document now agrees there
    overwriteByte(t.ed.s, 10, 0);
    EXPECT_TRUE(RefreshComparison(t.ed));
    EXPECT_EQ(markedOffsets(t.ed), (std::vector<int64_t>{3, 4, 10}));
    EXPECT_FALSE(RefreshComparison(t.ed)) << "nothing changed since";

    t.services.fileDialogAnswers = {dir.file("longer")};
    RunMenuCommand(t.ed, kMenuFile, kFileCompare);
    EXPECT_EQ(markedOffsets(t.ed), (std::vector<int64_t>{10, 40}));
    EXPECT_NE(t.ed.v.titleStatus.find("sizes differ: 64 and 100 bytes; the first 64 compared"), std::string::npos)
        << t.ed.v.titleStatus;
    EXPECT_EQ(readBytes(dir.file("other")), other) << "comparing writes nothing";
}

TEST(CompareWindow, PatchesMadeAndAppliedOnTheDocument) {
    TempDir dir;
    const std::string docPath = dir.file("doc.bin");
    const Bytes original = test::countingBytes(200);
    writeBytes(docPath, original);
    TestEditor t(docPath);
    for (const char* name : {"p.ips", "p.bps"}) {
        SCOPED_TRACE(name);
        overwriteByte(t.ed.s, 7, 0xAA);
        insertRecorded(t.ed.s, 20, 3, 0x55);
        const Bytes edited = t.document();
        t.services.fileDialogAnswers = {docPath, dir.file(name)};
        RunMenuCommand(t.ed, kMenuFile, kFileCreatePatch);
        ASSERT_TRUE(t.services.messages.empty()) << t.services.messages[0];
        Undo(t.ed), Undo(t.ed);
        ASSERT_EQ(t.document(), original);

        t.services.fileDialogAnswers = {dir.file(name)};
        RunMenuCommand(t.ed, kMenuFile, kFileApplyPatch);
        EXPECT_EQ(t.document(), edited);
        EXPECT_TRUE(t.ed.s.modified()) << "the patched document is not saved";
        EXPECT_EQ(readBytes(docPath), original) << "the file stays as it was";
        Undo(t.ed);
        EXPECT_EQ(t.document(), original) << "the patch is one step";
    }
    // A BPS patch is for one original only: refused, and the document stays.
    overwriteByte(t.ed.s, 0, 0x99);
    const Bytes changed = t.document();
    t.services.fileDialogAnswers = {dir.file("p.bps")};
    RunMenuCommand(t.ed, kMenuFile, kFileApplyPatch);
    EXPECT_EQ(t.document(), changed);
    ASSERT_EQ(t.services.messages.size(), 1u);
    EXPECT_NE(t.services.messages[0].find("CRC32"), std::string::npos) << t.services.messages[0];
}

}  // namespace
}  // namespace tarpon
