#pragma once
// The "Pointers" window: the pointer settings, "Find Pointers To Here" with every
// hit listed (a click or Enter on one moves the cursor there) and "Follow Pointer".
// It leaves the main window usable, so the user can look at each hit.
#include <array>
#include <functional>

#include "qt/modeless_dialog.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace tarpon {

struct Editor;

class PointersDialog : public ModelessDialog {
public:
    PointersDialog(Editor& editor, std::function<void()> refreshMain);

    std::array<QRadioButton*, 3> sizes{};  // 2, 3, 4 bytes
    std::array<QRadioButton*, 2> orders{};  // little-endian, big-endian
    QLineEdit* txtAdd = nullptr;
    QPushButton *cmdFind = nullptr, *cmdFollow = nullptr;
    QListWidget* hits = nullptr;
    QLabel* lblCount = nullptr;

private:
    void buildControls();
    bool readSettings();  // into the editor's pointer settings; false after a message
    void findPointers();

    Editor& editor_;
    std::function<void()> refreshMain_;
};

}  // namespace tarpon
