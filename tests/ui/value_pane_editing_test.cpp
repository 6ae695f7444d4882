#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "app/main_window.h"
#include "qt/pane_widget.h"

namespace tarpon {
namespace {

TEST(ValuePaneEditing, TabOrderDigitsEnterAndFocusColour) {
    MainWindow window("");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    MainView& v = window.editor().v;
    const EditorState& s = window.editor().s;
    PaneWidget* dec = window.paneWidget(v.picDec);
    const std::vector<QWidget*> order = {window.textPane(), dec, window.paneWidget(v.picOct),
                                         window.paneWidget(v.picOffsetval)};
    for (QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
    QTest::mouseClick(dec, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(dec->hasFocus());
    EXPECT_EQ(v.picDec.runs().at(0).color, (Rgb{0, 0, 128}));
    EXPECT_EQ(v.picOffsetval.runs().at(0).color, kSystemWindowText);
    QTest::keyClicks(dec, "2x00");
    QTest::keyClick(dec, Qt::Key_Return);
    QTest::keyClicks(dec, "7");
    QTest::keyClick(dec, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(s.fileData[0], 200);
    EXPECT_EQ(s.fileData[1], 17);
    EXPECT_EQ(s.cursor(), 2);
    EXPECT_EQ(s.selAnchor, 1);
    EXPECT_EQ(v.picDec.runs().at(0).text, "002");
}

TEST(ValuePaneEditing, BitClicksKeepTheFocusAndTheOffsetPaneMovesTheCursor) {
    MainWindow window("");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    MainView& v = window.editor().v;
    const EditorState& s = window.editor().s;
    PaneWidget* binary = window.paneWidget(v.picBinary);
    QTest::mouseClick(binary, Qt::LeftButton, {}, QPoint(2, 5));
    QTest::mouseClick(binary, Qt::RightButton, {}, QPoint(51, 5));
    EXPECT_EQ(s.fileData[0], 0x81);
    EXPECT_TRUE(window.hexPane()->hasFocus());
    EXPECT_EQ(v.picBinary.runs().at(0).text, "1000 0001");
    PaneWidget* offset = window.paneWidget(v.picOffsetval);
    QTest::mouseClick(offset, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::keyClicks(offset, "1az3");
    EXPECT_EQ(s.cursor(), 0xA3);  // 1, 1A, then 1A3 beyond 0x10F drops its first digit
    EXPECT_EQ(s.selAnchor, 0);
}

}  // namespace
}  // namespace tarpon
