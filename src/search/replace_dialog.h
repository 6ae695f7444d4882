#pragma once
// The "Replace" window: what to find, what to put in its place, how the texts are
// read, and what to do when the two lengths differ. It keeps the main window
// disabled while it is open, as Find does.
#include <array>
#include <functional>
#include <optional>

#include "qt/modeless_dialog.h"
#include "search/replace.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tarpon {

class ReplaceDialog : public ModelessDialog {
public:
    ReplaceDialog(Editor& editor, std::function<void()> refreshMain);

    QLineEdit *txtFind = nullptr, *txtReplace = nullptr, *txtPad = nullptr;
    std::array<QRadioButton*, 5> Opt{};   // Ascii, Table, Hex, Dec, Oct
    std::array<QRadioButton*, 3> Rule{};  // refuse, pad, insert/delete
    QPushButton *cmdNext = nullptr, *cmdReplace = nullptr, *cmdAll = nullptr;

private:
    void buildControls();
    std::optional<ReplaceForm> form();
    void run(const std::function<void(const ReplaceForm&)>& command);

    Editor& editor_;
    std::function<void()> refreshMain_;
};

}  // namespace tarpon
