#pragma once
// The "Jump To" window: modeless, keeps the main window disabled while open and
// stays open after a jump so that a relative step can be repeated.
#include <functional>

#include "qt/modeless_dialog.h"
#include "view/jump.h"

class QLineEdit;
class QRadioButton;
class QCheckBox;

namespace tarpon {

struct Editor;

class JumpDialog : public ModelessDialog {
public:
    JumpDialog(Editor& editor, std::function<void()> refreshMain, QWidget* parent = nullptr);

    void cmdJump_Click();
    void Opt_Click(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Editor& editor_;
    std::function<void()> refreshMain_;
    Radix radix_ = Radix::Hex;
    QLineEdit* txtVal_;
    QRadioButton* opt_[3];
    QCheckBox* check1_;
};

}  // namespace tarpon
