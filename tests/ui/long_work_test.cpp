// Long work in the real window: its progress window shows, and Cancel leaves the
// document and its undo history as they were.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/main_window.h"
#include "core/editor_state.h"
#include "qt/pane_widget.h"
#include "qt/qt_services.h"
#include "search/replace.h"

namespace tarpon {
namespace {

QProgressDialog* shownProgress() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QProgressDialog*>(w); dialog && dialog->isVisible()) return dialog;
    return nullptr;
}

TEST(LongWork, ReplaceAllShowsItsProgressAndCancelChangesNothing) {
    MainWindow window("");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    Editor& ed = window.editor();
    // The largest document, every byte a match: long enough to be caught running.
    const int32_t size = kMaxFileSize - 16;
    ed.s.doc.fileData.assign(static_cast<size_t>(size), 'a');
    ed.s.doc.fileSize = size;
    dynamic_cast<QtServices&>(ed.services).setProgressDelay(0);

    bool shown = false, modal = false, mainRepainted = false;
    QTimer watch;  // runs inside the work's wait, as the user would
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (QProgressDialog* dialog = shownProgress(); dialog && !shown) {
            shown = true;
            modal = dialog->windowModality() == Qt::ApplicationModal;
            window.hexPane()->repaint();  // the main window still paints
            mainRepainted = true;
            if (auto* cancel = dialog->findChild<QPushButton*>()) cancel->click();
        }
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->done(0);
    });
    watch.start(2);
    const int64_t replaced = ReplaceAll(ed, {PatternKind::Ascii, "a", "b", LengthRule::Refuse});
    watch.stop();

    EXPECT_TRUE(shown) << "the progress window showed while the work ran";
    EXPECT_TRUE(modal) << "nothing else takes input meanwhile";
    EXPECT_TRUE(mainRepainted);
    EXPECT_EQ(replaced, 0);
    EXPECT_EQ(std::count(ed.s.doc.fileData.begin(), ed.s.doc.fileData.begin() + size, 'a'), size);
    EXPECT_FALSE(ed.s.doc.history.canUndo());
    EXPECT_EQ(shownProgress(), nullptr) << "the progress window is gone once the work has stopped";
}

}  // namespace
}  // namespace tarpon
