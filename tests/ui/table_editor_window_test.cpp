#include "table/table_editor_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include "app/main_window.h"
#include "qt/pane_widget.h"

namespace tarpon {
namespace {

QAction* tableMenuAction(MainWindow& window, int index) {
    return window.menuBar()->actions()[kMenuTable]->menu()->actions()[index];
}

TableEditorWindow* openTableEditor() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* editor = dynamic_cast<TableEditorWindow*>(w); editor && editor->isVisible()) return editor;
    return nullptr;
}

TEST(TableEditorWindow, EditsTheSharedTableWhileTheMainWindowWaits) {
    MainWindow window("");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::keyClick(window.textPane(), 'q');  // ASCII view: the code is written
    EXPECT_EQ(window.editor().s.fileData[0], 'q');
    window.editor().s.viewMode = true;
    tableMenuAction(window, 0)->trigger();
    TableEditorWindow* dialog = openTableEditor();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    EXPECT_FALSE(window.isEnabled());
    EXPECT_TRUE(dialog->isEnabled());
    EXPECT_EQ(dialog->grid()->geometry(), QRect(24, 24, 265, 297));

    // Click the cell of 0x41 and type: the start-up document's byte 0x41 shows the letter.
    QTest::mouseClick(dialog->grid(), Qt::LeftButton, {}, QPoint(static_cast<int>(265.0 / 17 * 1.5), 18 * 4 + 5));
    QTest::keyClick(dialog->grid(), 'A');
    EXPECT_EQ(window.editor().s.charTable[0x41], "A");
    EXPECT_EQ(window.editor().v.PicText.runs()[0x41].text, "A");
    const QImage grid = dialog->grid()->grab().toImage();  // a pale box over the white grid
    const Mark& box = dialog->model().ShpTbl[0];
    EXPECT_EQ(grid.pixelColor(static_cast<int>(box.left) + 2, static_cast<int>(box.top) + 1), QColor(255, 255, 63));
    QTest::keyClick(dialog->grid(), Qt::Key_Control);
    EXPECT_EQ(dialog->windowTitle(), "Edit Table - Dual Letters");
    dialog->close();
    QApplication::processEvents();
    EXPECT_TRUE(window.isEnabled());

    // Opened again it starts afresh; Esc on a button closes it and enables the main window.
    tableMenuAction(window, 0)->trigger();
    dialog = openTableEditor();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->model().tblCursor, 0);
    EXPECT_EQ(dialog->windowTitle(), "Edit Table");
    QTest::keyClick(dialog->button(2), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_TRUE(window.isEnabled());

    QAction* multi = tableMenuAction(window, 4);
    multi->trigger();
    EXPECT_TRUE(window.editor().s.multiLetters && multi->isChecked());
}

}  // namespace
}  // namespace tarpon
