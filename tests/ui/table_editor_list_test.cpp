// The table editor's list in the real window: below the grid, which keeps its place, it shows the entries the
// grid cannot; a row typed and Enter adds one, Delete or Remove takes the selected one away, a click puts a
// row in the line to be changed, and Escape in the list closes the window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "app/main_window.h"
#include "qt/pane_widget.h"
#include "table/table_editor_window.h"

namespace tarpon {
namespace {

QStringList rowsOf(const QListWidget* list) {
    QStringList rows;
    for (int i = 0; i < list->count(); ++i) rows << list->item(i)->text();
    return rows;
}

TEST(TableEditorList, ShowsAddsAndRemovesRows) {
    MainWindow window("");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EditorState& s = window.editor().s;
    s.table.edit([&](Table& m) { m.set({"\x81\x40", "\xE3\x81\x82"}); });
    s.table.edit([&](Table& m) { m.set({"\xFF", "<END>", EntryKind::EndToken}); });
    auto& services = dynamic_cast<QtServices&>(window.editor().services);
    window.textPane()->setFocus();
    QTest::keyClick(window.textPane(), Qt::Key_F12);
    QPointer<TableEditorWindow> editor = dynamic_cast<TableEditorWindow*>(services.openedWindow(WindowKind::TableEditor));
    ASSERT_TRUE(editor);
    QListWidget* list = editor->list();
    EXPECT_EQ(editor->grid()->geometry(), QRect(24, 24, 265, 297));
    EXPECT_GE(list->geometry().top(), editor->button(0)->geometry().bottom());
    EXPECT_EQ(rowsOf(list), QStringList({QString::fromUtf8("8140=あ"), "/FF=<END>"}));

    QTest::keyClicks(editor->rowEdit(), "8141=b");
    QTest::keyClick(editor->rowEdit(), Qt::Key_Return);
    EXPECT_EQ(rowsOf(list), QStringList({QString::fromUtf8("8140=あ"), "8141=b", "/FF=<END>"}));
    EXPECT_EQ(list->currentItem()->text(), "8141=b");
    list->setFocus();
    list->setCurrentRow(0);
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(rowsOf(list), QStringList({"8141=b", "/FF=<END>"}));
    EXPECT_EQ(s.table.model().find("\x81\x40"), nullptr);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    EXPECT_EQ(editor->rowEdit()->text(), "/FF=<END>");
    QTest::mouseClick(editor->removeButton(), Qt::LeftButton);
    EXPECT_EQ(rowsOf(list), QStringList({"8141=b"}));
    EXPECT_EQ(s.table.letters(0xFF), "");
    QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(rowsOf(list), QStringList({"8141=b", "/FF=<END>"}));

    QTest::keyClick(list, Qt::Key_Escape);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(editor.isNull());
    EXPECT_TRUE(window.isEnabled());
}

}  // namespace
}  // namespace tarpon
