#pragma once
// The editor's services carried out with Qt.
#include <QPointer>
#include <array>
#include <functional>

#include "ui/services.h"

class QMainWindow;
class QWidget;

namespace tarpon {

struct Editor;

class QtServices : public Services {
public:
    explicit QtServices(QMainWindow& window) : window_(window) {}
    // The editor the windows work on, and how to bring the main window in step after they change it.
    void attach(Editor& editor, std::function<void()> refreshMain);

    void messageBox(const std::string& text) override;
    void openFileMenu() override;
    void resizeMainWindow(int width, int height) override;
    void closeMainWindow() override;
    void setMainWindowEnabled(bool enabled) override;
    void openWindow(WindowKind kind) override;
    std::string runFileDialog(const FileDialogRequest& request) override;
    void setClipboardText(const std::string& text) override;

    // Closes every secondary window, as the main window closes.
    void closeWindows();
    QWidget* openedWindow(WindowKind kind) const { return windows_[static_cast<size_t>(kind)]; }

private:
    QWidget* createWindow(WindowKind kind);

    QMainWindow& window_;
    Editor* editor_ = nullptr;
    std::function<void()> refreshMain_;
    std::array<QPointer<QWidget>, 5> windows_;
};

}  // namespace tarpon
