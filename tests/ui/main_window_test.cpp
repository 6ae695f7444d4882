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

TEST(MainWindow, MenusCarryCaptionsShortcutsAndEnabledState) {
    MainWindow window("");
    const QList<QAction*> menus = window.menuBar()->actions();
    ASSERT_EQ(menus.size(), 3);
    EXPECT_EQ(menus[0]->text(), "&File");
    EXPECT_EQ(menus[1]->text(), "&Option");
    EXPECT_EQ(menus[2]->text(), "&Table");
    const QList<QAction*> file = menus[0]->menu()->actions();
    ASSERT_EQ(file.size(), 7);
    EXPECT_EQ(file[4]->text(), "Save &As...");
    EXPECT_EQ(file[4]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));
    EXPECT_EQ(file[6]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_E));
    EXPECT_FALSE(file[0]->isEnabled());
    EXPECT_TRUE(file[3]->isEnabled());
    EXPECT_TRUE(file[2]->isSeparator());
    const QList<QAction*> table = menus[2]->menu()->actions();
    EXPECT_EQ(table[4]->text(), "&Multi Letters");
    EXPECT_EQ(table[4]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_D));
    EXPECT_TRUE(table[4]->isCheckable());
    EXPECT_EQ(menus[1]->menu()->actions()[3]->text(), "Find &Again");
    EXPECT_EQ(menus[1]->menu()->actions()[3]->shortcut(), QKeySequence(Qt::Key_F3));
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
