#pragma once
// The editor's services carried out with Qt.
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "screen/services.h"

class QMainWindow;
class QMenuBar;

namespace tarpon {

// Gives the keyboard back to the window's panes when the last open menu closes.
void leaveMenuBarWhenMenusClose(QMenuBar& bar);

class QtServices : public Services {
public:
    explicit QtServices(QMainWindow& window);
    // Makes the secondary window of a kind; the main window, which knows them all, hands it in.
    using WindowFactory = std::function<QWidget*(WindowKind)>;
    void setWindowFactory(WindowFactory factory) { createWindow_ = std::move(factory); }

    void messageBox(const std::string& text) override;
    int ask(const std::string& text, const std::vector<std::string>& buttons, int defaultButton,
            int escapeButton) override;
    void openFileMenu() override;
    void resizeMainWindow(int width, int height) override;
    void closeMainWindow() override;
    void setMainWindowEnabled(bool enabled) override;
    void openWindow(WindowKind kind) override;
    std::string runFileDialog(const FileDialogRequest& request) override;
    void setClipboardText(const std::string& text) override;
    void setClipboardUtf8Text(const std::string& text) override;
    std::string clipboardUtf8Text() override;
    WorkEnd runLongWork(const std::string& caption, const std::function<void(const KeepGoing&)>& work) override;

    // True while long work runs: the main window then refuses to close.
    bool runningLongWork() const { return longWork_ > 0; }
    // How long work runs before its progress window shows (kProgressDelayMs).
    void setProgressDelay(int ms) { progressDelayMs_ = ms; }

    // Closes every secondary window, as the main window closes.
    void closeWindows();
    QWidget* openedWindow(WindowKind kind) const { return windows_[static_cast<size_t>(kind)]; }

private:
    QMainWindow& window_;
    WindowFactory createWindow_;
    std::array<QPointer<QWidget>, kWindowKinds> windows_;
    int longWork_ = 0;
    int progressDelayMs_;
};

}  // namespace tarpon
