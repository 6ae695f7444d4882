#pragma once
// A window shown without blocking that, optionally, keeps the main window disabled
// while it is open. Closing it in any way (Escape, close box, a button) destroys it,
// so the next opening starts from the designed values.
#include <QDialog>

#include "ui/services.h"

namespace tarpon {

class ModelessDialog : public QDialog {
public:
    ModelessDialog(Services& services, bool disablesMain, QWidget* parent = nullptr)
        : QDialog(parent), services_(services), disablesMain_(disablesMain) {}

    void done(int result) override {
        QDialog::done(result);
        deleteLater();
    }

protected:
    void showEvent(QShowEvent* event) override {
        QDialog::showEvent(event);
        if (disablesMain_) services_.setMainWindowEnabled(false);
    }
    void hideEvent(QHideEvent* event) override {
        if (disablesMain_) services_.setMainWindowEnabled(true);
        QDialog::hideEvent(event);
    }

private:
    Services& services_;
    bool disablesMain_;
};

}  // namespace tarpon
