#include "search/find_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "app/main_window.h"
#include "app/menu_commands.h"

namespace tarpon {
namespace {

struct FindWindow {
    FindWindow() {
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        Editor& ed = window.editor();
        const uint8_t doc[] = {0x00, 0x41, 0x42, 0x00, 0x61, 0x62, 0x00};
        ed.s.fileData.assign(std::begin(doc), std::end(doc));
        ed.s.fileSize = static_cast<int32_t>(std::size(doc));
        mnuOption_Click(ed, kOptionFind);
        dialog = static_cast<FindDialog*>(dynamic_cast<QtServices&>(ed.services).openedWindow(WindowKind::Find));
    }
    int64_t cursor() { return window.editor().s.cursor(); }
    MainWindow window{""};
    FindDialog* dialog = nullptr;
};

TEST(FindDialog, OpensFreshAndDisablesTheMainWindowUntilClosed) {
    FindWindow w;
    ASSERT_NE(w.dialog, nullptr);
    EXPECT_EQ(w.dialog->windowTitle(), "Find");
    EXPECT_EQ(w.dialog->size(), QSize(240, 104));
    EXPECT_EQ(w.dialog->txtVal->geometry(), QRect(8, 8, 225, 19));
    EXPECT_EQ(w.dialog->Check1->text(), "Relative Search:");
    EXPECT_TRUE(w.dialog->Opt[2]->isChecked());
    EXPECT_FALSE(w.dialog->Check1->isChecked());
    EXPECT_TRUE(w.dialog->isEnabled());
    EXPECT_TRUE(QTest::qWaitForWindowActive(w.dialog));
    EXPECT_TRUE(w.dialog->txtVal->hasFocus());
    EXPECT_FALSE(w.window.isEnabled());
    w.dialog->Opt[0]->setChecked(true);
    w.dialog->Check1->setChecked(true);
    w.dialog->txtVal->setText("AB");
    QTest::keyClick(w.dialog->txtVal, Qt::Key_Escape);
    EXPECT_FALSE(w.dialog->isVisible());
    EXPECT_TRUE(w.window.isEnabled());

    // Opened again, it starts from its designed values.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    mnuOption_Click(w.window.editor(), kOptionFind);
    auto* again = static_cast<FindDialog*>(
        dynamic_cast<QtServices&>(w.window.editor().services).openedWindow(WindowKind::Find));
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->Opt[2]->isChecked());
    EXPECT_FALSE(again->Check1->isChecked());
    EXPECT_TRUE(again->txtVal->text().isEmpty());
    again->close();
}

TEST(FindDialog, EnterSearchesFromTheCursorAndFindAgainWorksAfterClosing) {
    FindWindow w;
    ASSERT_NE(w.dialog, nullptr);
    QTest::keyClicks(w.dialog->txtVal, "41 42");
    QTest::keyClick(w.dialog->txtVal, Qt::Key_Return);
    EXPECT_EQ(w.cursor(), 1);

    // Relative: "AB" finds "ab" too; the dialog stays open for the next press.
    w.dialog->txtVal->setText("AB");
    w.dialog->Opt[0]->setChecked(true);
    w.dialog->Check1->setChecked(true);
    w.dialog->cmdFind->click();
    EXPECT_EQ(w.cursor(), 4);
    w.dialog->close();
    EXPECT_TRUE(w.window.isEnabled());
    mnuOption_Click(w.window.editor(), kOptionFindAgain);
    EXPECT_EQ(w.cursor(), 1);
}

TEST(FindDialog, NoResultsMessageCanBeAnsweredWhileTheMainWindowIsDisabled) {
    FindWindow w;
    ASSERT_NE(w.dialog, nullptr);
    QString shown;
    bool enabled = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        shown = box->text();
        enabled = box->isEnabled();
        box->accept();
    });
    w.dialog->txtVal->setText("99");
    w.dialog->cmdFind->click();
    EXPECT_EQ(shown, "No Results Found");
    EXPECT_TRUE(enabled);
    EXPECT_EQ(w.cursor(), 0);
    w.dialog->close();
}

// Answers the next message box and keeps its text.
QString answerNextMessage() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return {};
    const QString text = box->text();
    box->accept();
    return text;
}

// A character that no byte stands for is refused with its name, not searched for as "?";
// through a UTF-8 table, a Table search takes it as the letters it is.
TEST(FindDialog, CharactersBeyondLatin1AreRefusedOrReadThroughAUtf8Table) {
    FindWindow w;
    ASSERT_NE(w.dialog, nullptr);
    Editor& ed = w.window.editor();
    ed.s.fileData[5] = 0x80;
    ed.s.charTable[0x80] = "\xE3\x81\x82";  // あ
    QString shown;
    QTimer::singleShot(0, [&] { shown = answerNextMessage(); });
    w.dialog->txtVal->setText(QString::fromUtf8("a\xE3\x81\x82"));
    w.dialog->Opt[0]->setChecked(true);
    w.dialog->cmdFind->click();
    EXPECT_EQ(shown, QString::fromUtf8("The character \"\xE3\x81\x82\" (U+3042) in the search text has no one-byte "
                                       "(Latin-1) code, so it cannot stand for a byte."));
    EXPECT_TRUE(ed.s.searchPattern.empty());

    ed.s.tableUtf8 = true;
    w.dialog->txtVal->setText(QString::fromUtf8("\xE3\x81\x82"));
    w.dialog->Opt[1]->setChecked(true);
    w.dialog->cmdFind->click();
    EXPECT_EQ(w.cursor(), 5);
    w.dialog->close();
}

TEST(QtServices, AskReturnsTheButtonChosen) {
    MainWindow window{""};
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (const auto& [key, expected] : std::vector<std::pair<Qt::Key, int>>{{Qt::Key_Return, 2}, {Qt::Key_Escape, 1}}) {
        QString text;
        QTimer::singleShot(0, [&, key = key] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            text = box->text();
            QTest::keyClick(box, key);
        });
        EXPECT_EQ(window.editor().services.ask("Save changes?", {"Save", "Cancel", "Discard"}, 2, 1), expected);
        EXPECT_EQ(text, "Save changes?");
    }
}

}  // namespace
}  // namespace tarpon
