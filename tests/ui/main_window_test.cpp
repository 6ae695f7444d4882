#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QTest>

#include "qt/pane_widget.h"

namespace tarpon {
namespace {

QColor pixel(const QImage& image, double x, double y) {
    return image.pixelColor(static_cast<int>(x), static_cast<int>(y));
}

bool boxHasGreenText(const QImage& image, const Mark& mark) {
    for (int y = static_cast<int>(mark.top); y < mark.top + mark.height; ++y)
        for (int x = static_cast<int>(mark.left); x < mark.left + mark.width; ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.green() > c.red() + 60 && c.green() > c.blue() + 60) return true;
        }
    return false;
}

TEST(MainWindow, StartsWithTheCountingDocumentAndRasterOpMarks) {
    MainWindow window("");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.windowTitle(), QString("Tarpon's Hex By Amber-Heron"));
    EXPECT_EQ(window.size(), QSize(625, 470));
    EXPECT_TRUE(window.hexPane()->hasFocus());

    const QImage hex = window.hexPane()->grab().toImage();
    const Mark& hexCursor = window.editor().v.ShpHex[0];
    EXPECT_EQ(pixel(hex, hexCursor.left + 1, hexCursor.top + 1), QColor(255, 255, 63));
    EXPECT_TRUE(boxHasGreenText(hex, hexCursor));
    EXPECT_EQ(pixel(hex, hexCursor.left + hexCursor.width + 3, hexCursor.top + 1), QColor(255, 255, 255));

    const QImage text = window.textPane()->grab().toImage();
    const Mark& textCursor = window.editor().v.ShpText[0];
    EXPECT_EQ(pixel(text, textCursor.left + 1, textCursor.top + 1), QColor(0, 0, 192));

    // The panes sit where the layout puts them, inside the central area.
    EXPECT_EQ(window.hexPane()->geometry(), QRect(88, 32, 328, 334));
    EXPECT_EQ(window.textPane()->geometry(), QRect(432, 32, 178, 334));
}

// Undo and Redo are enabled while there is something to take back or do again, and
// their shortcuts reach them from the text pane, where Ctrl+Z used to type 0x1A.
TEST(MainWindow, EditMenuFollowsTheHistory) {
    MainWindow window("");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QList<QAction*> edit = window.menuBar()->actions()[kMenuEdit]->menu()->actions();
    ASSERT_EQ(edit.size(), 2);
    QAction* undo = edit[0];
    QAction* redo = edit[1];
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());
    const EditorState& s = window.editor().s;
    window.textPane()->setFocus();
    QTest::keyClicks(window.textPane(), "AB");
    EXPECT_EQ(s.fileData[0], 'A');
    EXPECT_TRUE(undo->isEnabled());
    QTest::keyClick(window.textPane(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(window.textPane(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(s.fileData[0], 0);
    EXPECT_EQ(s.fileData[1], 1);
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_TRUE(redo->isEnabled());
    QTest::keyClick(window.textPane(), Qt::Key_Y, Qt::ControlModifier);
    QTest::keyClick(window.textPane(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(s.fileData[1], 'B');
    EXPECT_FALSE(redo->isEnabled());
    EXPECT_EQ(s.cursor(), 1);  // on the byte the last redo changed
}

TEST(MainWindow, MinimumSizeAndLayoutFollowResize) {
    MainWindow window("");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.resize(300, 200);
    QApplication::processEvents();
    EXPECT_GE(window.width(), 620);
    EXPECT_GE(window.height(), 320);
    window.resize(800, 600);
    QApplication::processEvents();
    EXPECT_EQ(window.textPane()->geometry().right() + 1, 800 - 15);
    EXPECT_EQ(window.hexPane()->height(), 600 - 136);
}

TEST(MainWindow, OffsetModeCaptionClickRepaints) {
    MainWindow window("");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(window.offsetModeLabel(), Qt::LeftButton);
    EXPECT_EQ(window.offsetModeLabel()->text(), "Offset - DEC");
    EXPECT_FALSE(window.editor().s.offsetMode);
    EXPECT_EQ(window.editor().v.picOffset.runs()[0].text, "0000000000");
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
