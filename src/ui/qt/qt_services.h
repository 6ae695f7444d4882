#pragma once
// The editor's services carried out with Qt.
#include "ui/services.h"

class QMainWindow;

namespace tarpon {

class QtServices : public Services {
public:
    explicit QtServices(QMainWindow& window) : window_(window) {}
    void messageBox(const std::string& text) override;
    void openFileMenu() override;
    void resizeMainWindow(int width, int height) override;
    void closeMainWindow() override;

private:
    QMainWindow& window_;
};

}  // namespace tarpon
