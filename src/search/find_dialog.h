#pragma once
// The find dialog: collects the search text and options and hands them to cmdFind_Click.
#include <array>
#include <functional>

#include "qt/modeless_dialog.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tarpon {

struct Editor;

class FindDialog : public ModelessDialog {
public:
    // `refreshMain` brings the main window in step after a search moved the cursor.
    FindDialog(Editor& editor, std::function<void()> refreshMain);

    QLineEdit* txtVal = nullptr;
    QLineEdit* txtWildcard = nullptr;
    std::array<QRadioButton*, 5> Opt{};  // Ascii, Table, Hex, Dec, Oct
    QPushButton* cmdFind = nullptr;
    QCheckBox* Check1 = nullptr;

private:
    void buildControls();
    void find();

    Editor& editor_;
    std::function<void()> refreshMain_;
};

}  // namespace tarpon
