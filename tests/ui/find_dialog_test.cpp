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

}  // namespace
}  // namespace tarpon
