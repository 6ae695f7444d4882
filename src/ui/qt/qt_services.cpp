#include "ui/qt/qt_services.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>

namespace tarpon {

void QtServices::messageBox(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kAppTitle), QString::fromLocal8Bit(text),
                    QMessageBox::Ok, &window_);
    box.exec();
}

void QtServices::openFileMenu() {
    QMenuBar* bar = window_.menuBar();
    if (!bar->actions().isEmpty()) bar->setActiveAction(bar->actions().first());
}

void QtServices::resizeMainWindow(int width, int height) { window_.resize(width, height); }

void QtServices::closeMainWindow() { window_.close(); }

}  // namespace tarpon
