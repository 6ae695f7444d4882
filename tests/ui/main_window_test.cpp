// What only the real main window shows: marks drawn into its pixels, where the keyboard
// goes, and its menu items following the editor's state.
#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <set>

#include "qt/pane_widget.h"

namespace tarpon {
namespace {

// The colours on the screen inside a mark's box, its rounded edges left out.
std::set<QRgb> coloursIn(QWidget* pane, const Mark& mark) {
    QApplication::processEvents();  // paints what is due
    const QPoint at = pane->mapTo(pane->window(), QPoint(0, 0));
    const QImage image = pane->screen()->grabWindow(pane->window()->winId(), at.x(), at.y(), pane->width(),
                                                    pane->height()).toImage();
    std::set<QRgb> colours;
    for (int y = static_cast<int>(mark.top) + 1; y < static_cast<int>(mark.top + mark.height) - 1; ++y)
        for (int x = static_cast<int>(mark.left) + 1; x < static_cast<int>(mark.left + mark.width) - 1; ++x)
            colours.insert(image.pixel(x, y));
    return colours;
}

// A mark laid over the text tints the whole box and lets the text show through; the
// marks change their look with the focus and leave no trace where the cursor was.
TEST(MainWindow, CursorMarksRenderIntoThePixels) {
    MainWindow window("");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const MainView& v = window.editor().v;
    const QRgb hexPaper = toQColor(v.picHex.background).rgb(), textPaper = toQColor(v.PicText.background).rgb();
    const Mark hexMark = v.ShpHex[0], textMark = v.ShpText[0];
    const std::set<QRgb> focusedLook = coloursIn(window.hexPane(), hexMark);
    EXPECT_EQ(focusedLook.count(hexPaper), 0u);
    EXPECT_GE(focusedLook.size(), 2u);
    EXPECT_EQ(coloursIn(window.textPane(), textMark).count(textPaper), 0u);
    EXPECT_GE(coloursIn(window.textPane(), textMark).size(), 2u);

    QTest::keyClick(window.hexPane(), Qt::Key_Tab);
    ASSERT_TRUE(window.textPane()->hasFocus());
    EXPECT_NE(coloursIn(window.hexPane(), hexMark), focusedLook);
    QTest::keyClick(window.textPane(), Qt::Key_Right);
    EXPECT_EQ(coloursIn(window.textPane(), textMark).count(textPaper), 1u);  // the old place is plain again
    EXPECT_EQ(coloursIn(window.textPane(), v.ShpText[0]).count(textPaper), 0u);
}

// Tab goes hex, text, decimal, octal, offset; the binary pane takes clicks without the
// keyboard; Escape in the hex pane opens the File menu.
TEST(MainWindow, KeyboardFocusAndTabOrder) {
    MainWindow window("");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const MainView& v = window.editor().v;
    EXPECT_TRUE(window.hexPane()->hasFocus());
    for (QWidget* next : {static_cast<QWidget*>(window.textPane()), static_cast<QWidget*>(window.paneWidget(v.picDec)),
                          static_cast<QWidget*>(window.paneWidget(v.picOct)),
                          static_cast<QWidget*>(window.paneWidget(v.picOffsetval))}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
    window.hexPane()->setFocus();
    QTest::mouseClick(window.paneWidget(v.picBinary), Qt::LeftButton, {}, QPoint(2, 5));
    EXPECT_EQ(window.editor().s.fileData[0], 0x80);
    EXPECT_TRUE(window.hexPane()->hasFocus());
    QTest::keyClick(window.hexPane(), Qt::Key_Escape);
    EXPECT_EQ(window.menuBar()->activeAction(), window.menuBar()->actions()[kMenuFile]);
}

// Undo and Redo are enabled only while there is something to take back or do again, and
// their shortcuts reach them from the text pane instead of typing a control code there.
TEST(MainWindow, MenuItemsFollowTheEditorState) {
    MainWindow window("");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QList<QAction*> edit = window.menuBar()->actions()[kMenuEdit]->menu()->actions();
    QAction* multiLetters = window.menuBar()->actions()[kMenuTable]->menu()->actions()[4];
    const EditorState& s = window.editor().s;
    EXPECT_FALSE(edit[0]->isEnabled() || edit[1]->isEnabled());
    window.textPane()->setFocus();
    QTest::keyClicks(window.textPane(), "A");
    EXPECT_TRUE(edit[0]->isEnabled() && !edit[1]->isEnabled());
    QTest::keyClick(window.textPane(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(s.fileData[0], 0);
    EXPECT_TRUE(!edit[0]->isEnabled() && edit[1]->isEnabled());
    QTest::keyClick(window.textPane(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(s.fileData[0], 'A');
    EXPECT_FALSE(multiLetters->isChecked());
    QTest::keyClick(window.textPane(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_TRUE(s.multiLetters && multiLetters->isChecked());
}

}  // namespace
}  // namespace tarpon

int main(int argc, char** argv) {
    // Test discovery runs this binary too: never depend on a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", "1");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
