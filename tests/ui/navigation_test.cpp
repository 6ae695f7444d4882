// Real key and mouse events sent to the main window and its jump window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QTest>

#include "app/main_window.h"
#include "qt/key_map.h"
#include "qt/pane_widget.h"

namespace tarpon {
namespace {

QWidget* findTopLevel(const QString& title) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == title) return w;
    return nullptr;
}

TEST(Navigation, KeysAndClicksMoveTheCursorAndMarks) {
    MainWindow window("");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    Editor& ed = window.editor();
    PaneWidget* hex = window.hexPane();
    QTest::keyClick(hex, Qt::Key_Down);
    QTest::keyClick(hex, Qt::Key_Right);
    EXPECT_EQ(ed.s.cursor(), 17);
    QTest::keyClick(hex, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(ed.s.cursor(), 33);
    EXPECT_EQ(ed.s.selAnchor, 17);
    EXPECT_TRUE(ed.v.ShpHex[1].visible);
    EXPECT_EQ(ed.v.ShpHex[0].top, 18 * 2 + 2);
    QTest::keyClicks(hex, "4");
    QTest::keyClicks(hex, "1");
    EXPECT_EQ(ed.s.fileData[33], 0x41);
    EXPECT_EQ(ed.s.cursor(), 34);
    EXPECT_EQ(ed.v.PicText.runs()[33].text, "A");

    // A click in the text pane moves the focus there and swaps the marks' looks.
    const double cw = ed.v.PicText.width() / 17;
    QTest::mouseClick(window.textPane(), Qt::LeftButton, Qt::NoModifier, QPoint(int(5 * cw) + 1, 18 * 3 + 4));
    EXPECT_TRUE(window.textPane()->hasFocus());
    EXPECT_EQ(ed.s.cursor(), 16 * 3 + 4);
    EXPECT_EQ(ed.v.ShpText[0].rop, RasterOp::MaskNotPen);
    EXPECT_EQ(ed.v.ShpHex[0].rop, RasterOp::NotXorPen);
    const QImage text = window.textPane()->grab().toImage();
    EXPECT_EQ(text.pixelColor(int(ed.v.ShpText[0].left) + 1, int(ed.v.ShpText[0].top) + 1), QColor(255, 255, 63));
    QTest::keyClick(window.textPane(), Qt::Key_PageDown);
    EXPECT_EQ(ed.s.cursor(), 16 * 3 + 4 + 256);

    QTest::keyClick(window.hexPane(), Qt::Key_Escape);
    ASSERT_NE(window.menuBar()->activeAction(), nullptr);
    EXPECT_EQ(window.menuBar()->activeAction()->text(), "&File");
}

TEST(KeyMap, CodesShiftBitsAndCharacters) {
    // A modifier key's own press carries its bit, so pressing Shift again to go on
    // selecting keeps the selection.
    EXPECT_EQ(shiftStateOf(QKeyEvent(QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier).modifiers()), 1);
    EXPECT_EQ(shiftStateOf(QKeyEvent(QEvent::KeyPress, Qt::Key_Control, Qt::ShiftModifier).modifiers()), 3);
    EXPECT_EQ(shiftStateOf(QKeyEvent(QEvent::KeyPress, Qt::Key_Down, Qt::AltModifier).modifiers()), 4);
    EXPECT_EQ(keyCodeOf(QKeyEvent(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier)), 34);
    EXPECT_EQ(keyCodeOf(QKeyEvent(QEvent::KeyPress, Qt::Key_Enter, Qt::KeypadModifier)), 13);
    EXPECT_EQ(charCodeOf(QKeyEvent(QEvent::KeyPress, Qt::Key_E, Qt::NoModifier, QString(QChar(0xE9)))), 0xE9);
    EXPECT_EQ(charCodeOf(QKeyEvent(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(0x20AC)))), -1);
    EXPECT_EQ(charCodeOf(QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QString(QChar(27)))), 27);
    EXPECT_EQ(charCodeOf(QKeyEvent(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QString(QChar(127)))), -1);
}

// A key of the key map does only its own work in the text pane; other control keys are typed.
TEST(Navigation, TextPaneKeysOfTheKeyMapTypeNothing) {
    struct Row {
        const char* name;
        Qt::Key key;
        QString text;
        std::vector<uint8_t> firstBytes;
        int32_t size;
    };
    const Row rows[] = {
        {"Delete removes one byte", Qt::Key_Delete, QString(QChar(127)), {1, 2, 3}, 255},
        {"Escape only opens the menu", Qt::Key_Escape, QString(QChar(27)), {0, 1, 2}, 256},
        {"Backspace is typed as its code", Qt::Key_Backspace, QString(QChar(8)), {8, 1, 2}, 256},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MainWindow window("");
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.textPane()->setFocus();
        QKeyEvent press(QEvent::KeyPress, row.key, Qt::NoModifier, row.text);
        QApplication::sendEvent(window.textPane(), &press);
        const EditorState& s = window.editor().s;
        EXPECT_EQ(std::vector<uint8_t>(s.fileData.begin(), s.fileData.begin() + 3), row.firstBytes);
        EXPECT_EQ(s.fileSize, row.size);
    }
}

TEST(Navigation, JumpWindowDisablesTheMainWindowAndStaysOpen) {
    MainWindow window("");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::keyClick(window.hexPane(), Qt::Key_F1);
    QWidget* jump = findTopLevel("Jump To");
    ASSERT_NE(jump, nullptr);
    EXPECT_FALSE(window.isEnabled());
    auto* box = jump->findChild<QLineEdit*>();
    ASSERT_NE(box, nullptr);
    QTest::keyClicks(box, "1F");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(window.editor().s.cursor(), 31);
    EXPECT_TRUE(jump->isVisible());
    QTest::keyClick(box, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(findTopLevel("Jump To"), nullptr);
    EXPECT_TRUE(window.isEnabled());

    // Closing the main window closes an open secondary window with it.
    QTest::keyClick(window.hexPane(), Qt::Key_F1);
    ASSERT_NE(findTopLevel("Jump To"), nullptr);
    window.close();
    QApplication::processEvents();
    EXPECT_EQ(findTopLevel("Jump To"), nullptr);
}

}  // namespace
}  // namespace tarpon
