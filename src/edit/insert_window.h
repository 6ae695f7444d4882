#pragma once
// The "Insert" window: an amount and a fill value, each read in hexadecimal or
// decimal. Shown without blocking; the main window stays disabled while it is open,
// and closing it in any way destroys it, so each opening starts empty.
#include <functional>

#include "qt/modeless_dialog.h"

class QLineEdit;
class QRadioButton;

namespace tarpon {

struct Editor;

class InsertWindow : public ModelessDialog {
public:
    enum Command { kCancel = 0, kClear = 1, kOkay = 2 };

    InsertWindow(Editor& editor, std::function<void()> refreshMain);

    void cmd_Click(int index);

    QLineEdit* amountBox() const { return txtAmount_; }
    QLineEdit* fillBox() const { return txtFill_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* addBox(int top);
    QRadioButton* addOption(const char* caption, int left, int top);
    void repaintMain();

    Editor& editor_;
    std::function<void()> refreshMain_;
    QLineEdit* txtAmount_;
    QLineEdit* txtFill_;
    QRadioButton *optHex1_, *optDec1_, *optHex2_, *optDec2_;
};

}  // namespace tarpon
