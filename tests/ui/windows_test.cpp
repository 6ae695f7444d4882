// Every secondary window, opened by its key from the main window: whether it holds the
// main window disabled, where the keyboard goes, messages while it is open, closing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/main_window.h"
#include "qt/pane_widget.h"

namespace tarpon {
namespace {

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

TEST(SecondaryWindows, OpenCloseAndTheMainWindow) {
    struct Row {
        const char* name;
        Qt::Key key;  // pressed in the hex pane
        WindowKind kind;
        bool disablesMain;
        bool escapeFromButton;  // Escape closes it from a button, not from where the keyboard starts
    };
    const Row rows[] = {
        {"Jump To", Qt::Key_F1, WindowKind::Jump, true, false},
        {"Find", Qt::Key_F2, WindowKind::Find, true, false},
        {"Copy", Qt::Key_F4, WindowKind::Copy, false, false},
        {"Insert", Qt::Key_Insert, WindowKind::Insert, true, false},
        {"Edit Table", Qt::Key_F12, WindowKind::TableEditor, true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MainWindow window("");
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        auto& services = dynamic_cast<QtServices&>(window.editor().services);
        const auto open = [&]() -> QWidget* {
            QTest::keyClick(window.hexPane(), row.key);
            return services.openedWindow(row.kind);
        };
        QPointer<QWidget> first = open();
        ASSERT_TRUE(first);
        EXPECT_TRUE(hasKeyboard(first));
        EXPECT_EQ(window.isEnabled(), !row.disablesMain);
        EXPECT_TRUE(messageAnsweredWithEnter(services));
        EXPECT_TRUE(hasKeyboard(first));
        for (QLineEdit* field : first->findChildren<QLineEdit*>()) field->setText("77");

        QWidget* escapeTarget = row.escapeFromButton ? first->findChild<QPushButton*>() : first->focusWidget();
        QTest::keyClick(escapeTarget, Qt::Key_Escape);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(first.isNull());
        EXPECT_TRUE(window.isEnabled());
        EXPECT_TRUE(hasKeyboard(&window));

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
