#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "app/main_window.h"
#include "ui/qt/pane_widget.h"

namespace tarpon {
namespace {

struct Shown {
    Shown() : window("") {
        window.show();
        (void)QTest::qWaitForWindowActive(&window);
    }
    PaneWidget* pane(const Pane& p) { return window.paneWidget(p); }
    MainView& v() { return window.editor().v; }
    EditorState& s() { return window.editor().s; }
    MainWindow window;
};

TEST(ValuePaneEditing, TabVisitsTheValuePanesAfterTheHexAndTextPanes) {
    Shown w;
    ASSERT_TRUE(w.window.hexPane()->hasFocus());
    const std::vector<QWidget*> order = {w.window.textPane(), w.pane(w.v().picDec), w.pane(w.v().picOct),
                                         w.pane(w.v().picOffsetval)};
    for (QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
}

TEST(ValuePaneEditing, DecimalDigitsAndEnterFillARunOfBytes) {
    Shown w;
    PaneWidget* dec = w.pane(w.v().picDec);
    QTest::mouseClick(dec, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(dec->hasFocus());
    EXPECT_EQ(w.v().picDec.runs().at(0).color, (Rgb{0, 0, 128}));
    QTest::keyClicks(dec, "2x00");
    QTest::keyClick(dec, Qt::Key_Return);
    QTest::keyClicks(dec, "7");
    QTest::keyClick(dec, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(w.s().fileData[0], 200);
    EXPECT_EQ(w.s().fileData[1], 17);  // 1 then '7'
    EXPECT_EQ(w.s().cursor(), 2);
    EXPECT_EQ(w.s().selAnchor, 1);
    EXPECT_EQ(w.v().picDec.runs().at(0).text, "002");  // repainted for the new cursor byte

    PaneWidget* oct = w.pane(w.v().picOct);
    QTest::mouseClick(oct, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(w.v().picDec.runs().at(0).color, kSystemWindowText);
    QTest::keyClicks(oct, "98");  // not octal digits
    EXPECT_EQ(w.s().fileData[2], 2);
    QTest::keyClicks(oct, "7");
    EXPECT_EQ(w.s().fileData[2], 027);
}

TEST(ValuePaneEditing, BitClickKeepsTheFocusWhereItWas) {
    Shown w;
    PaneWidget* binary = w.pane(w.v().picBinary);
    QTest::mouseClick(binary, Qt::LeftButton, {}, QPoint(2, 5));
    QTest::mouseClick(binary, Qt::RightButton, {}, QPoint(51, 5));
    EXPECT_EQ(w.s().fileData[0], 0x81);
    EXPECT_TRUE(w.window.hexPane()->hasFocus());
    EXPECT_EQ(w.v().picBinary.runs().at(0).text, "1000 0001");
}

TEST(ValuePaneEditing, TypedOffsetMovesTheCursor) {
    Shown w;
    PaneWidget* offset = w.pane(w.v().picOffsetval);
    QTest::mouseClick(offset, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::keyClicks(offset, "1a");
    EXPECT_EQ(w.s().cursor(), 0x1A);
    QTest::keyClicks(offset, "z3");
    EXPECT_EQ(w.s().cursor(), 0xA3);
    EXPECT_EQ(w.s().selAnchor, 0);
}

}  // namespace
}  // namespace tarpon
