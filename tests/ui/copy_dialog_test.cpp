#include "copy/copy_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "app/main_window.h"
#include "ui/qt/pane_widget.h"
#include "view/cursor.h"

namespace tarpon {
namespace {

QAction* copyAction(MainWindow& window) { return window.menuBar()->actions()[1]->menu()->actions()[4]; }

CopyDialog* openCopy(MainWindow& window) {
    copyAction(window)->trigger();
    auto* dialog = dynamic_cast<CopyDialog*>(
        static_cast<QtServices&>(window.editor().services).openedWindow(WindowKind::Copy));
    if (dialog) QApplication::processEvents();
    return dialog;
}

// The main window with its counting document, the cursor at 0x42 and the anchor at 0x40.
struct Shown {
    Shown() : window("") {
        window.show();
        (void)QTest::qWaitForWindowExposed(&window);
        window.editor().s.selAnchor = 0x40;
        MoveCursor(window.editor(), 0x42);
        window.refresh();
    }
    MainWindow window;
};

TEST(CopyDialog, CopiesTheRangeToTheClipboardAndCloses) {
    Shown shown;
    ASSERT_TRUE(copyAction(shown.window)->isEnabled());
    EXPECT_EQ(copyAction(shown.window)->shortcut(), QKeySequence(Qt::Key_F4));
    QPointer<CopyDialog> dialog = openCopy(shown.window);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->windowTitle(), "Copy");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    EXPECT_TRUE(shown.window.isEnabled());
    EXPECT_EQ(dialog->offsetField(0)->text(), "40");
    EXPECT_EQ(dialog->offsetField(1)->text(), "42");
    EXPECT_TRUE(dialog->offsetOption(0)->isChecked());
    EXPECT_TRUE(dialog->typeOption(0)->isChecked());

    QTest::keyClicks(dialog->beforeField(), "$");
    QTest::keyClicks(dialog->afterField(), ", ");
    EXPECT_EQ(dialog->example()->text(), "Ex   $19, $19, $19, ");
    QTest::mouseClick(dialog->copyButton(), Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text(), "$64, $65, $66, ");
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());
}

TEST(CopyDialog, ByteZeroReachesTheClipboardAsCharacterZero) {
    Shown shown;
    shown.window.editor().s.offsetMode = false;  // decimal offsets open the dialog on "Ascii"
    shown.window.editor().s.selAnchor = 0;
    MoveCursor(shown.window.editor(), 2);
    CopyDialog* dialog = openCopy(shown.window);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->offsetOption(1)->isChecked());
    EXPECT_TRUE(dialog->typeOption(1)->isChecked());
    EXPECT_EQ(dialog->example()->text(), "Ex   YYY");
    QTest::mouseClick(dialog->copyButton(), Qt::LeftButton);
    const QString text = QApplication::clipboard()->text();
    ASSERT_EQ(text.size(), 3);
    EXPECT_EQ(text[0], QChar(0));
    EXPECT_EQ(text[1], QChar(1));
    EXPECT_EQ(text[2], QChar(2));
}

TEST(CopyDialog, FieldsFilterKeysSwitchRadixAndSwap) {
    Shown shown;
    CopyDialog* dialog = openCopy(shown.window);
    ASSERT_TRUE(dialog);
    QLineEdit* from = dialog->offsetField(0);
    from->clear();
    QTest::keyClicks(from, "1fg9-");
    EXPECT_EQ(from->text(), "1F9");
    QTest::keyClick(from, Qt::Key_Backspace);
    QTest::keyClicks(from, "9abcdefab");
    EXPECT_EQ(from->text(), "1F9ABCDE");  // eight characters at most
    from->setText("1F9");
    QTest::mouseClick(dialog->offsetOption(1), Qt::LeftButton);
    EXPECT_EQ(from->text(), "19");
    EXPECT_EQ(dialog->offsetField(1)->text(), "42");
    QTest::mouseDClick(dialog->offsetLabel(1), Qt::LeftButton);
    EXPECT_EQ(from->text(), "42");
    EXPECT_EQ(dialog->offsetField(1)->text(), "19");
    QTest::mouseClick(dialog->typeOption(2), Qt::LeftButton);
    EXPECT_EQ(dialog->example()->text(), "Ex   YYY");

    // Reversed decimal range 42..19 as table letters; bytes without letters give nothing.
    shown.window.editor().s.charTable[0x2A] = "star";
    shown.window.editor().s.charTable[0x13] = "ex";
    QApplication::clipboard()->setText("old");
    QTest::mouseClick(dialog->copyButton(), Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text(), "starex");
}

TEST(CopyDialog, ReopeningOnlyRaisesAndRefusalsKeepItOpen) {
    Shown shown;
    CopyDialog* dialog = openCopy(shown.window);
    ASSERT_TRUE(dialog);
    dialog->offsetField(0)->setText("7");
    EXPECT_EQ(openCopy(shown.window), dialog);
    EXPECT_EQ(dialog->offsetField(0)->text(), "7");

    // Fields that read outside the document: a message box, the dialog stays.
    dialog->offsetField(0)->setText("FFFF");
    dialog->offsetField(1)->setText("FFFFF");
    QString message;
    QTimer::singleShot(0, [&message] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            message = box->text();
            box->close();
        }
    });
    QApplication::clipboard()->setText("old");
    QTest::mouseClick(dialog->copyButton(), Qt::LeftButton);
    EXPECT_EQ(message, "The range lies outside the file");
    EXPECT_EQ(QApplication::clipboard()->text(), "old");
    EXPECT_TRUE(dialog->isVisible());
}

}  // namespace
}  // namespace tarpon
