#include "qt/qt_services.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QMessageBox>
#include <QPushButton>

#include "core/dialog_service.h"
#include "qt/designed_font.h"
#include "qt/long_work.h"
#include "qt/window_access.h"

namespace tarpon {
namespace {

// Runs a modal dialog, then gives the keyboard back to the window that had it
// (a dialog of the editor's, or the main window): once the modal dialog is gone
// nothing else activates that window, and typing would go nowhere.
// When no window has the keyboard yet (a dialog that has just closed, the start-up
// window not yet activated), the main window gets it.
int execReturningFocus(QDialog& dialog, QWidget& mainWindow) {
    QPointer<QWidget> previous = QApplication::activeWindow();
    if (!previous) previous = &mainWindow;
    const int result = dialog.exec();
    if (previous && previous->isVisible()) previous->activateWindow();
    return result;
}

}  // namespace

QtServices::QtServices(QMainWindow& window) : window_(window), progressDelayMs_(kProgressDelayMs) {}

WorkEnd QtServices::runLongWork(const std::string& caption, const std::function<void(const KeepGoing&)>& work) {
    ++longWork_;
    struct Done {
        int& count;
        ~Done() { --count; }
    } done{longWork_};
    return runWithProgress(window_.isVisible() ? &window_ : nullptr, QString::fromUtf8(caption), work,
                           progressDelayMs_);
}

void QtServices::messageBox(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kAppTitle), QString::fromLocal8Bit(text),
                    QMessageBox::Ok, window_.isVisible() ? &window_ : nullptr);
    execReturningFocus(box, window_);
}

int QtServices::ask(const std::string& text, const std::vector<std::string>& buttons, int defaultButton,
                    int escapeButton) {
    QMessageBox box(QMessageBox::Question, QString::fromUtf8(kAppTitle), QString::fromLocal8Bit(text),
                    QMessageBox::NoButton, window_.isVisible() ? &window_ : nullptr);
    std::vector<QPushButton*> added;
    for (const std::string& caption : buttons)
        added.push_back(box.addButton(QString::fromLocal8Bit(caption), QMessageBox::ActionRole));
    const auto at = [&](int i) { return i >= 0 && i < static_cast<int>(added.size()) ? added[i] : nullptr; };
    box.setDefaultButton(at(defaultButton));
    box.setEscapeButton(at(escapeButton));
    nameWidgetsAndMnemonics(box);  // Alt+S, Alt+D, Alt+C at "Save changes?"
    execReturningFocus(box, window_);
    for (size_t i = 0; i < added.size(); ++i)
        if (box.clickedButton() == added[i]) return static_cast<int>(i);
    return escapeButton;
}

void QtServices::openFileMenu() {
    QMenuBar* bar = window_.menuBar();
    if (!bar->actions().isEmpty()) bar->setActiveAction(bar->actions().first());
}

void leaveMenuBarWhenMenusClose(QMenuBar& bar) {
    // Escape closes a menu but leaves the menu bar holding the keyboard with no menu
    // shown, so the next keys would go nowhere. Once no menu is open any more, the bar
    // is told Escape once again, which gives the keyboard back to the pane that had it.
    for (QAction* action : bar.actions()) {
        if (!action->menu()) continue;
        QObject::connect(action->menu(), &QMenu::aboutToHide, &bar, [bar = &bar] {
            QTimer::singleShot(0, bar, [bar] {
                if (QApplication::activePopupWidget() || !bar->hasFocus()) return;
                QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QApplication::sendEvent(bar, &escape);
            });
        });
    }
}

void QtServices::resizeMainWindow(int width, int height) { window_.resize(width, height); }

void QtServices::closeMainWindow() { window_.close(); }

void QtServices::setMainWindowEnabled(bool enabled) {
    window_.setEnabled(enabled);
    // The keyboard goes back to the main window when the window that disabled it closes.
    if (enabled && window_.isVisible()) window_.activateWindow();
}

void QtServices::openWindow(WindowKind kind) {
    QPointer<QWidget>& slot = windows_[static_cast<size_t>(kind)];
    if (!slot && createWindow_) {
        slot = createWindow_(kind);
        if (slot) UseDesignedFont(*slot);
    }
    if (!slot) return;
    slot->show();
    slot->raise();
    slot->activateWindow();
}

void QtServices::closeWindows() {
    for (QPointer<QWidget>& window : windows_)
        if (window) window->close();
}

std::string QtServices::runFileDialog(const FileDialogRequest& request) {
    QFileDialog dialog(window_.isVisible() ? &window_ : nullptr, QString::fromLocal8Bit(request.title));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save || !request.fileMustExist ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    QStringList filters;
    for (const auto& [description, pattern] : request.filters)
        filters << QString::fromLocal8Bit(nameFilter(description, pattern));
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    if (!request.defaultExtension.empty()) dialog.setDefaultSuffix(QString::fromLocal8Bit(request.defaultExtension));
    const QString start = QString::fromLocal8Bit(request.startPath);
    if (!start.isEmpty()) {
        const QFileInfo info(start);
        if (info.isDir()) dialog.setDirectory(start);
        else {
            dialog.setDirectory(info.absolutePath());
            dialog.selectFile(info.fileName());
        }
    }
    const bool accepted = execReturningFocus(dialog, window_) == QDialog::Accepted;
    if (!accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first().toLocal8Bit().toStdString();
}

void QtServices::setClipboardText(const std::string& text) {
    QApplication::clipboard()->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

std::string QtServices::clipboardUtf8Text() { return QApplication::clipboard()->text().toUtf8().toStdString(); }

void QtServices::setClipboardUtf8Text(const std::string& text) {
    QApplication::clipboard()->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

}  // namespace tarpon
