// The table editor's chooser of logical tables in the real window: hidden for a file without "@name" lines,
// shown under its caption (Alt+T) for one with them, apart from the other controls; choosing a table by
// keyboard changes what the main window's text pane and the editor's list show.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "app/main_window.h"
#include "qt/pane_widget.h"
#include "table/table_editor_window.h"
#include "table/tbl_file.h"
#include "view/painting.h"

namespace tarpon {
namespace {

TableEditorWindow* openTableEditor(MainWindow& window) {
    auto& services = dynamic_cast<QtServices&>(window.editor().services);
    window.textPane()->setFocus();
    QTest::keyClick(window.textPane(), Qt::Key_F12);
    return dynamic_cast<TableEditorWindow*>(services.openedWindow(WindowKind::TableEditor));
}

void readTable(EditorState& s, std::string_view bytes) {
    s.table.replace(Table());
    s.table.edit([&](Table& m) { readTbl(bytes, m, &s.table.source); });
}

TEST(TableEditorChooser, ChoosingATableChangesTheTextPane) {
    MainWindow window("");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EditorState& s = window.editor().s;
    s.doc.fileData.assign(1, 0x01);
    s.doc.fileSize = 1;
    s.view.viewMode = true;
    readTable(s, "01=a\n");
    QPointer<TableEditorWindow> editor = openTableEditor(window);
    ASSERT_TRUE(editor);
    EXPECT_TRUE(editor->chooser()->isHidden()) << "a file without names";
    editor->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    readTable(s, "@main\n01=a\n@items\n01=x\n8140=y\n");
    PaintTextPane(window.editor());
    editor = openTableEditor(window);
    ASSERT_TRUE(editor);
    ASSERT_TRUE(QTest::qWaitForWindowActive(editor));
    QComboBox* chooser = editor->chooser();
    ASSERT_TRUE(chooser->isVisible());
    EXPECT_EQ(chooser->count(), 2);
    EXPECT_EQ(chooser->currentText(), "@main");
    QLabel* label = nullptr;
    for (QLabel* l : editor->findChildren<QLabel*>())
        if (l->buddy() == chooser) label = l;
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), "&Table:");
    EXPECT_FALSE(chooser->accessibleName().isEmpty());
    const QWidget* others[] = {editor->grid(),      editor->button(0),    editor->button(1),
                               editor->button(2),   editor->list(),       editor->rowEdit(),
                               editor->setButton(), editor->removeButton()};
    for (const QWidget* row : {static_cast<const QWidget*>(chooser), static_cast<const QWidget*>(label)}) {
        EXPECT_TRUE(editor->rect().contains(row->geometry()));
        for (const QWidget* other : others)
            EXPECT_FALSE(row->geometry().intersects(other->geometry())) << other->metaObject()->className();
    }
    EXPECT_FALSE(label->geometry().intersects(chooser->geometry()));
    EXPECT_TRUE(editor->rect().contains(editor->removeButton()->geometry()));
    EXPECT_EQ(window.editor().v.PicText.runs()[0].text, "a");
    EXPECT_EQ(editor->list()->count(), 0);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_T, Qt::AltModifier);
    EXPECT_TRUE(chooser->hasFocus());
    const uint64_t document = s.doc.history.stateId();
    QTest::keyClick(chooser, Qt::Key_Down);
    EXPECT_EQ(chooser->currentText(), "@items");
    EXPECT_EQ(s.table.source.part, 1u);
    EXPECT_EQ(window.editor().v.PicText.runs()[0].text, "x");
    ASSERT_EQ(editor->list()->count(), 1) << "the list shows the chosen table's longer keys";
    EXPECT_EQ(editor->list()->item(0)->text(), "8140=y");
    EXPECT_EQ(s.doc.history.stateId(), document);
    EXPECT_FALSE(window.editor().s.modified());

    editor->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace
}  // namespace tarpon
