#include "core/dialog_service.h"

#include <gtest/gtest.h>

#include "test_editor.h"

namespace tarpon {
namespace {

TEST(FileDialog, FilterPairs) {
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(splitFilter("All Files (*.*)|*.*|"), (Pairs{{"All Files (*.*)", "*.*"}}));
    EXPECT_EQ(splitFilter("Table Files|*.tbl"), (Pairs{{"Table Files", "*.tbl"}}));
    EXPECT_EQ(splitFilter("A|*.a|B|*.b|"), (Pairs{{"A", "*.a"}, {"B", "*.b"}}));
    EXPECT_TRUE(splitFilter("").empty());
    // As the chooser lists them: the name once, and "*.*" matching files without a dot too.
    EXPECT_EQ(nameFilter("All Files (*.*)", "*.*"), "All Files (*)");
    EXPECT_EQ(nameFilter("Table Files (*.tbl)", "*.tbl"), "Table Files (*.tbl)");
    EXPECT_EQ(nameFilter("Table Files", "*.tbl;*.TBL"), "Table Files (*.tbl *.TBL)");
    EXPECT_EQ(nameFilter("Odd (name) files", ""), "Odd (name) files (*)");
}

TEST(FileDialog, RemembersTheLastChoiceAcrossKindsAndIgnoresCancel) {
    test::FakeServices services;
    clsDialog dialog;
    services.fileDialogAnswers = {"/tmp/a.bin", "", " /tmp/b.tbl "};
    EXPECT_EQ(dialog.ShowOpen(services, "File To Edit", "", "All Files (*.*)|*.*|", 0x201004), "/tmp/a.bin");
    EXPECT_TRUE(services.dialogs[0].fileMustExist);
    EXPECT_FALSE(services.dialogs[0].save);
    EXPECT_EQ(services.dialogs[0].startPath, "");
    // Cancel: empty result, remembered path kept.
    EXPECT_EQ(dialog.ShowSave(services, "Save", "", "Table Files|*.tbl|", "tbl", OFN_OVERWRITEPROMPT), "");
    EXPECT_EQ(services.dialogs[1].startPath, "/tmp/a.bin");
    EXPECT_TRUE(services.dialogs[1].confirmOverwrite);
    EXPECT_EQ(dialog.FileName, "/tmp/a.bin");
    // The answer is kept exactly, blanks and all; the default extension outlives the save dialog.
    EXPECT_EQ(dialog.ShowOpen(services, "Open Table", "", "Table Files (*.tbl)|*.tbl|", 0x1800), " /tmp/b.tbl ");
    EXPECT_EQ(services.dialogs[2].defaultExtension, "tbl");
    EXPECT_EQ(dialog.FileName, " /tmp/b.tbl ");
    EXPECT_EQ(dialog.ShowSave(services, "x", "/given/path"), "");
    EXPECT_EQ(services.dialogs[3].startPath, "/given/path");
}

}  // namespace
}  // namespace tarpon
