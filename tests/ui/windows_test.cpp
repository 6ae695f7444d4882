// What only the real windows show: the main window's pixels, keyboard and menus, and every secondary window
// opened by its key: whether it disables the main window, messages while it is open, closing.
#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
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

// Marks tint their whole box, let the text show through, change with the focus and leave no trace. Undo and
// Redo follow the editor, and their shortcuts work from the text pane instead of typing a control code. Tab
// goes hex, text, decimal, octal, offset; the binary pane takes clicks without the keyboard; Escape in the hex
// pane opens the File menu.
TEST(MainWindow, MarksKeyboardAndMenus) {
    MainWindow window("");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const MainView& v = window.editor().v;
    const EditorState& s = window.editor().s;
    const QRgb hexPaper = toQColor(v.picHex.background).rgb(), textPaper = toQColor(v.PicText.background).rgb();
    const Mark hexMark = v.ShpHex[0], textMark = v.ShpText[0];
    const std::set<QRgb> focusedLook = coloursIn(window.hexPane(), hexMark);
    EXPECT_TRUE(window.hexPane()->hasFocus());
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

    const QList<QAction*> edit = window.menuBar()->actions()[kMenuEdit]->menu()->actions();
    EXPECT_FALSE(edit[0]->isEnabled() || edit[1]->isEnabled());
    QTest::keyClicks(window.textPane(), "A");
    EXPECT_TRUE(s.doc.fileData[1] == 'A' && edit[0]->isEnabled() && !edit[1]->isEnabled());
    QTest::keyClick(window.textPane(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(s.doc.fileData[1] == 1 && !edit[0]->isEnabled() && edit[1]->isEnabled());
    QTest::keyClick(window.textPane(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(s.doc.fileData[1], 'A');
    // With nothing left to redo or undo, and for the clipboard, Alt and Ctrl+Shift chords, nothing is typed.
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier, alt = Qt::AltModifier;
    for (const auto& [key, mods] : {std::pair{Qt::Key_Y, ctrl}, {Qt::Key_X, ctrl}, {Qt::Key_Z, ctrl}, {Qt::Key_Z, ctrl},
                                    {Qt::Key_Q, alt}, {Qt::Key_K, ctrl | Qt::ShiftModifier}})
        QTest::keyClick(window.textPane(), key, mods);
    EXPECT_EQ(std::vector<uint8_t>(s.doc.fileData.begin(), s.doc.fileData.begin() + 3), (std::vector<uint8_t>{0, 1, 2}));

    for (const Pane* next : {&v.picDec, &v.picOct, &v.picOffsetval}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), window.paneWidget(*next));
    }
    // The clipboard round trip: Shift+Left selects 01..02 in the hex pane, Ctrl+C copies it as hex, and Ctrl+V
    // writes it over 05..06.
    window.hexPane()->setFocus();
    QTest::keyClick(window.hexPane(), Qt::Key_Home);
    QTest::keyClick(window.hexPane(), Qt::Key_Right);
    QTest::keyClick(window.hexPane(), Qt::Key_Right);
    QTest::keyClick(window.hexPane(), Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(window.hexPane(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "01 02");
    for (int i = 0; i < 4; ++i) QTest::keyClick(window.hexPane(), Qt::Key_Right);
    QTest::keyClick(window.hexPane(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(std::vector<uint8_t>(s.doc.fileData.begin() + 4, s.doc.fileData.begin() + 8), (std::vector<uint8_t>{4, 1, 2, 7}));

    window.hexPane()->setFocus();
    const uint8_t before = s.doc.fileData[static_cast<size_t>(s.cursor())];
    QTest::mouseClick(window.paneWidget(v.picBinary), Qt::LeftButton, {}, QPoint(2, 5));
    EXPECT_EQ(s.doc.fileData[static_cast<size_t>(s.cursor())], before ^ 0x80) << "bit 7";
    EXPECT_TRUE(window.hexPane()->hasFocus());
    QTest::keyClick(window.hexPane(), Qt::Key_Escape);
    EXPECT_EQ(window.menuBar()->activeAction(), window.menuBar()->actions()[kMenuFile]);
}

// Shows a message the way the windows do and answers it with Enter, as a user would;
// true when that closed it.
bool messageAnsweredWithEnter(Services& services) {
    bool answered = false;
    QTimer::singleShot(0, [&answered] {
        QWidget* box = QApplication::activeModalWidget();
        if (box == nullptr) return;
        QTest::keyClick(box, Qt::Key_Return);
        answered = !box->isVisible();
        if (!answered) qobject_cast<QMessageBox*>(box)->done(0);  // so that the test goes on
    });
    services.messageBox("A message");
    return answered;
}

// The keyboard goes to `window`, to one of its widgets, once the events have been handled.
bool hasKeyboard(QWidget* window) {
    return QTest::qWaitFor([window] {
        return QApplication::activeWindow() == window && window->isAncestorOf(QApplication::focusWidget());
    });
}

// Each window: the key that opens it from the hex pane, whether it disables the main window, and
// whether Escape closes it from a button rather than from where its keyboard starts.
TEST(SecondaryWindows, OpenCloseAndTheMainWindow) {
    const std::tuple<const char*, QKeyCombination, WindowKind, bool, bool> rows[] = {
        {"Jump To", Qt::Key_F1, WindowKind::Jump, true, false},
        {"Find", Qt::Key_F2, WindowKind::Find, true, false},
        {"Copy", Qt::Key_F4, WindowKind::Copy, false, false},
        {"Insert", Qt::Key_Insert, WindowKind::Insert, true, false},
        {"Edit Table", Qt::Key_F12, WindowKind::TableEditor, true, true},
        {"Replace", Qt::ControlModifier | Qt::Key_H, WindowKind::Replace, true, false},
        {"Pointers", Qt::Key_F5, WindowKind::Pointers, false, false},
    };
    for (const auto& [name, key, kind, disablesMain, escapeFromButton] : rows) {
        SCOPED_TRACE(name);
        MainWindow window("");
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        auto& services = dynamic_cast<QtServices&>(window.editor().services);
        // Opened from the text pane, each gives the keyboard back to the text pane.
        const auto open = [&]() -> QWidget* {
            window.textPane()->setFocus();
            QTest::keyClick(window.textPane(), key.key(), key.keyboardModifiers());
            return services.openedWindow(kind);
        };
        QPointer<QWidget> first = open();
        ASSERT_TRUE(first);
        EXPECT_TRUE(hasKeyboard(first));
        EXPECT_EQ(window.isEnabled(), !disablesMain);
        EXPECT_TRUE(messageAnsweredWithEnter(services));
        EXPECT_TRUE(hasKeyboard(first));
        for (QLineEdit* field : first->findChildren<QLineEdit*>()) field->setText("77");

        QWidget* escapeTarget = escapeFromButton ? first->findChild<QPushButton*>() : first->focusWidget();
        QTest::keyClick(escapeTarget, Qt::Key_Escape);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(first.isNull());
        EXPECT_TRUE(window.isEnabled());
        EXPECT_TRUE(hasKeyboard(&window));
        EXPECT_TRUE(window.textPane()->hasFocus());

        // Opened again, it starts afresh; closed by its close box, the main window has the keyboard.
        QPointer<QWidget> second = open();
        ASSERT_TRUE(second);
        for (QLineEdit* field : second->findChildren<QLineEdit*>()) EXPECT_NE(field->text(), "77");
        second->close();
        EXPECT_TRUE(window.isEnabled());
        EXPECT_TRUE(hasKeyboard(&window));

        // Closing the main window closes an open secondary window with it.
        QPointer<QWidget> third = open();
        ASSERT_TRUE(third);
        window.close();
        EXPECT_FALSE(third && third->isVisible());
    }
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
