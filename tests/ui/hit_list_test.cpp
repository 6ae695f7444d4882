// The hit list in the real windows: Find All through Hiragana replaces the Find window with the list, which
// leaves the main window usable, moves its cursor from a row and gives the keyboard back when it closes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

#include "app/main_window.h"
#include "qt/pane_widget.h"
#include "search/find_dialog.h"
#include "search/hit_list_window.h"

namespace tarpon {
namespace {

TEST(HitList, TakesFindsPlaceAndLeavesTheMainWindowUsable) {
    // まおう in gojuon order from 0x20 at 0x0C; a decoy with the same steps at 4.
    const std::string path = (std::filesystem::temp_directory_path() / "tarpon-hit-list-test.bin").string();
    std::ofstream(path, std::ios::binary) << std::string("\xFF\xFF\xFF\xFF\x90\x76\x74\xFF\xFF\xFF\xFF\xFF\x3E\x24\x22", 15);
    MainWindow window(path);
    std::filesystem::remove(path);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto& services = dynamic_cast<QtServices&>(window.editor().services);
    window.textPane()->setFocus();
    QTest::keyClick(window.textPane(), Qt::Key_F2);
    QPointer<FindDialog> find = dynamic_cast<FindDialog*>(services.openedWindow(WindowKind::Find));
    ASSERT_TRUE(find);
    EXPECT_FALSE(find->cmdFindAll->isEnabled()) << "Find All is for relative text searches";
    find->txtVal->setText(QString::fromUtf8("まおう"));
    find->Opt[0]->setChecked(true);
    find->Check1->setChecked(true);
    find->cboAlphabet->setCurrentIndex(static_cast<int>(AlphabetKind::Hiragana));
    QTest::mouseClick(find->cmdFindAll, Qt::LeftButton);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(find.isNull());

    QPointer<HitListWindow> list = dynamic_cast<HitListWindow*>(services.openedWindow(WindowKind::HitList));
    ASSERT_TRUE(list);
    EXPECT_TRUE(window.isEnabled());
    ASSERT_EQ(list->list()->topLevelItemCount(), 2);
    EXPECT_EQ(list->list()->topLevelItem(1)->text(2), QString::fromUtf8("········まおう"));
    EXPECT_TRUE(list->bothCases()->isHidden());
    QTest::keyClick(list->list(), Qt::Key_Down);
    QTest::keyClick(list->list(), Qt::Key_Return);
    EXPECT_EQ(window.editor().s.cursor(), 0x0C);
    QTest::keyClick(list->list(), Qt::Key_Escape);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(list.isNull());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.textPane()->hasFocus(); }));
}

}  // namespace
}  // namespace tarpon
