#include "edit/insert_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/main_window.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes document(const EditorState& s) { return Bytes(s.fileData.begin(), s.fileData.begin() + s.fileSize); }

class InsertWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        EditorState& s = window.editor().s;
        s.fileData.assign({0, 1, 2, 3});
        s.fileSize = 4;
        s.pageTop = 0;
        s.cursorRel = 2;
    }
    void TearDown() override {
        if (insert) insert->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Opens the window as the Insert key does.
    InsertWindow* open() {
        auto& services = dynamic_cast<QtServices&>(window.editor().services);
        services.openWindow(WindowKind::Insert);
        insert = dynamic_cast<InsertWindow*>(services.openedWindow(WindowKind::Insert));
        return insert;
    }
    QRadioButton* option(int index) { return insert->findChildren<QRadioButton*>().at(index); }
    QPushButton* button(const char* caption) {
        for (QPushButton* b : insert->findChildren<QPushButton*>())
            if (b->text() == caption) return b;
        return nullptr;
    }
    bool closed() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return insert.isNull();
    }

    MainWindow window{""};
    QPointer<InsertWindow> insert;
};

TEST_F(InsertWindowTest, EnterInEitherBoxInsertsAndCloses) {
    ASSERT_TRUE(open());
    EXPECT_EQ(insert->windowTitle(), "Insert");
    EXPECT_EQ(insert->size(), QSize(248, 78));
    EXPECT_FALSE(window.isEnabled());
    EXPECT_EQ(insert->focusWidget(), insert->amountBox());
    QTest::keyClicks(insert->amountBox(), "3");
    QTest::keyClicks(insert->fillBox(), "AA");
    QTest::keyClick(insert->fillBox(), Qt::Key_Return);
    EXPECT_EQ(document(window.editor().s), (Bytes{0, 1, 0xAA, 0xAA, 0xAA, 2, 3}));
    EXPECT_EQ(window.editor().v.picHex.runs().size(), 7u);  // repainted
    EXPECT_TRUE(closed());
    EXPECT_TRUE(window.isEnabled());

    // Each opening starts from the designed values; the two option groups are separate.
    ASSERT_TRUE(open());
    EXPECT_EQ(insert->amountBox()->text(), "");
    EXPECT_TRUE(option(0)->isChecked());
    EXPECT_TRUE(option(2)->isChecked());
    QTest::keyClicks(insert->amountBox(), "10");
    QTest::keyClicks(insert->fillBox(), "255");
    QTest::mouseClick(option(1), Qt::LeftButton);  // amount in decimal
    EXPECT_TRUE(option(2)->isChecked());
    QTest::mouseClick(option(3), Qt::LeftButton);  // fill in decimal
    EXPECT_TRUE(option(1)->isChecked());
    QTest::keyClick(insert->amountBox(), Qt::Key_Enter);
    EXPECT_EQ(window.editor().s.fileSize, 17);
    EXPECT_EQ(window.editor().s.fileData[2], 255);
    EXPECT_EQ(window.editor().s.fileData[11], 255);
    EXPECT_EQ(window.editor().s.fileData[12], 0xAA);
    EXPECT_TRUE(closed());
}

TEST_F(InsertWindowTest, EscapeClearAndCancelChangeNothing) {
    for (QLineEdit* (InsertWindow::*box)() const : {&InsertWindow::amountBox, &InsertWindow::fillBox}) {
        ASSERT_TRUE(open());
        QTest::keyClicks((insert->*box)(), "5");
        QTest::keyClick((insert->*box)(), Qt::Key_Escape);
        EXPECT_TRUE(closed());
        EXPECT_TRUE(window.isEnabled());
    }
    ASSERT_TRUE(open());
    QTest::keyClicks(insert->amountBox(), "4");
    QTest::keyClicks(insert->fillBox(), "7");
    QTest::mouseClick(button("Clear"), Qt::LeftButton);
    EXPECT_EQ(insert->amountBox()->text(), "");
    EXPECT_EQ(insert->fillBox()->text(), "");
    EXPECT_EQ(insert->focusWidget(), insert->amountBox());
    EXPECT_FALSE(closed());
    EXPECT_FALSE(window.isEnabled());
    QTest::mouseClick(button("Cancel"), Qt::LeftButton);
    EXPECT_TRUE(closed());
    EXPECT_TRUE(window.isEnabled());
    EXPECT_EQ(document(window.editor().s), (Bytes{0, 1, 2, 3}));
}

}  // namespace
}  // namespace tarpon
