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
#include "view/cursor.h"

namespace tarpon {
namespace {

// The text of the next message box, which is then closed.
void closeNextMessage(QString& message) {
    QTimer::singleShot(0, [&message] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            message = box->text();
            box->close();
        }
    });
}

// The main window on its counting document, the selection from `anchor` to `cursor`.
struct Shown {
    Shown(int32_t anchor, int32_t cursor) : window("") {
        window.show();
        (void)QTest::qWaitForWindowExposed(&window);
        window.editor().s.selAnchor = anchor;
        MoveCursor(window.editor(), cursor);
    }
    QAction* copyItem() { return window.menuBar()->actions()[kMenuOption]->menu()->actions()[4]; }
    CopyDialog* openCopy() {
        copyItem()->trigger();
        return dynamic_cast<CopyDialog*>(
            static_cast<QtServices&>(window.editor().services).openedWindow(WindowKind::Copy));
    }
    MainWindow window;
};

TEST(CopyDialog, CopiesToTheClipboardAndCloses) {
    Shown shown(0x40, 0x42);
    EXPECT_EQ(shown.copyItem()->shortcut(), QKeySequence(Qt::Key_F4));
    QPointer<CopyDialog> dialog = shown.openCopy();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->isVisible() && !dialog->isModal() && shown.window.isEnabled());
    EXPECT_EQ(dialog->offsetField(0)->text() + "-" + dialog->offsetField(1)->text(), "40-42");
    EXPECT_TRUE(dialog->offsetOption(0)->isChecked() && dialog->typeOption(0)->isChecked());
    QTest::keyClicks(dialog->beforeField(), "$");
    QTest::keyClicks(dialog->afterField(), ", ");
    EXPECT_EQ(dialog->example()->text(), "Ex   $19, $19, $19, ");
    QTest::mouseClick(dialog->copyButton(), Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text(), "$64, $65, $66, ");
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());

    // Decimal offsets open on "Ascii"; byte 0 reaches the clipboard as character 0.
    shown.window.editor().s.offsetMode = false;
    MoveCursor(shown.window.editor(), 0);
    dialog = shown.openCopy();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->offsetOption(1)->isChecked() && dialog->typeOption(1)->isChecked());
    dialog->offsetField(1)->setText("2");
    QTest::mouseClick(dialog->copyButton(), Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromLatin1("\0\1\2", 3));
}

TEST(CopyDialog, FieldsFilterKeysSwitchRadixAndSwap) {
    Shown shown(0x40, 0x42);
    CopyDialog* dialog = shown.openCopy();
    ASSERT_TRUE(dialog);
    QLineEdit* from = dialog->offsetField(0);
    from->clear();
    QTest::keyClicks(from, "1fg9-");
    EXPECT_EQ(from->text(), "1F9");
    QTest::keyClick(from, Qt::Key_Backspace);
    QTest::keyClicks(from, "9abcdefab");
    EXPECT_EQ(from->text(), "1F9ABCDE");  // eight characters at most
    // Editing and window keys are the field's own: only typed characters are filtered.
    QTest::keyClick(from, Qt::Key_Home);
    QTest::keyClick(from, Qt::Key_Delete);
    EXPECT_EQ(from->text(), "F9ABCDE");
    QTest::keyClick(from, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(from, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(from->text(), "");
    QTest::keyClick(from, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(from->text(), "F9ABCDE");
    dialog->activateWindow();
    from->setFocus();
    QTest::keyClick(from, Qt::Key_Tab);
    EXPECT_EQ(dialog->focusWidget(), dialog->offsetField(1));
    from->setText("1F9");
    QTest::mouseClick(dialog->offsetOption(1), Qt::LeftButton);
    QTest::mouseDClick(dialog->offsetLabel(1), Qt::LeftButton);
    EXPECT_EQ(from->text() + "-" + dialog->offsetField(1)->text(), "42-19");
    QTest::mouseClick(dialog->typeOption(2), Qt::LeftButton);
    EXPECT_EQ(dialog->example()->text(), "Ex   YYY");
    shown.window.editor().s.charTable[0x2A] = "star";
    shown.window.editor().s.charTable[0x13] = "ex";
    QTest::mouseClick(dialog->copyButton(), Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text(), "starex");  // 42 down to 19; the rest have no letters
}

TEST(CopyDialog, ReopeningOnlyRaisesAndRefusalsKeepItOpen) {
    Shown shown(0, 0);
    CopyDialog* dialog = shown.openCopy();
    ASSERT_TRUE(dialog);
    dialog->offsetField(0)->setText("FFFF");
    EXPECT_EQ(shown.openCopy(), dialog);
    EXPECT_EQ(dialog->offsetField(0)->text(), "FFFF");
    dialog->offsetField(1)->setText("FFFFF");
    QString message;
    closeNextMessage(message);
    QApplication::clipboard()->setText("old");
    QTest::mouseClick(dialog->copyButton(), Qt::LeftButton);
    EXPECT_EQ(message, "The range lies outside the file");
    EXPECT_EQ(QApplication::clipboard()->text(), "old");
    EXPECT_TRUE(dialog->isVisible());
}

// Before- and after-texts with a character no byte stands for: refused for a
// Latin-1 copy, kept for a Table copy through a UTF-8 table.
TEST(CopyDialog, CharactersBeyondLatin1OnlyThroughAUtf8Table) {
    Shown shown(0x41, 0x42);
    Editor& ed = shown.window.editor();
    ed.s.charTable[0x41] = "\xE3\x81\x82";  // あ
    ed.s.charTable[0x42] = "\xC3\xA9";        // é
    CopyDialog* dialog = shown.openCopy();
    ASSERT_TRUE(dialog);
    dialog->beforeField()->setText(QString::fromUtf8("\xE2\x80\xB9"));  // ‹
    QTest::mouseClick(dialog->typeOption(2), Qt::LeftButton);
    QString message;
    closeNextMessage(message);
    QApplication::clipboard()->setText("old");
    QTest::mouseClick(dialog->copyButton(), Qt::LeftButton);
    EXPECT_TRUE(message.contains("U+2039")) << message.toStdString();
    EXPECT_EQ(QApplication::clipboard()->text(), "old");
    ASSERT_TRUE(dialog->isVisible());

    ed.s.tableUtf8 = true;
    QTest::mouseClick(dialog->copyButton(), Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("\xE2\x80\xB9\xE3\x81\x82\xE2\x80\xB9\xC3\xA9"));
}

}  // namespace
}  // namespace tarpon
