#pragma once
// The base of the editor's five secondary windows: shown without blocking, it
// (optionally) keeps the main window disabled while it is open, and when it closes
// it gives the keyboard back to the main window's pane that had it when the window
// opened. Closing it in any way (Escape, close box, a button) destroys it, so the
// next opening starts from the designed values.
#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <functional>

#include "core/progress.h"
#include "qt/window_access.h"
#include "screen/services.h"

namespace tarpon {

class ModelessDialog : public QDialog {
public:
    ModelessDialog(Services& services, bool disablesMain, QWidget* parent = nullptr)
        : QDialog(parent), services_(services), disablesMain_(disablesMain) {}

    // Where the keyboard goes when the window closes; the main window sets it on opening.
    std::function<void()> returnKeyboard;

    void done(int result) override {
        QDialog::done(result);
        deleteLater();
    }

protected:
    // A command of the window, for connect(): a failed allocation in it is a message,
    // and the document stays.
    template <typename F>
    auto guarded(F command) {
        return [this, command] { runCatchingOutOfMemory(services_, command); };
    }
    // The text boxes' keys: Enter runs `onEnter`, Escape closes the window.
    bool handleEnterEscape(QEvent* event, const std::function<void()>& onEnter) {
        if (event->type() != QEvent::KeyPress) return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) runCatchingOutOfMemory(services_, onEnter);
        else if (key == Qt::Key_Escape) close();
        else return false;
        return true;
    }
    // Enter runs the window's default button (QDialog's own rule), except in a list,
    // where it has already chosen the list's item.
    void keyPressEvent(QKeyEvent* event) override {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && qobject_cast<QAbstractItemView*>(QApplication::focusWidget())) return event->accept();
        QDialog::keyPressEvent(event);
    }
    void showEvent(QShowEvent* event) override {
        if (!named_) nameWidgetsAndMnemonics(*this), named_ = true;
        QDialog::showEvent(event);
        if (disablesMain_) services_.setMainWindowEnabled(false);
    }
    void hideEvent(QHideEvent* event) override {
        if (disablesMain_) services_.setMainWindowEnabled(true);
        QDialog::hideEvent(event);
        if (returnKeyboard) std::exchange(returnKeyboard, nullptr)();
    }

private:
    Services& services_;
    bool disablesMain_;
    bool named_ = false;
};

}  // namespace tarpon
