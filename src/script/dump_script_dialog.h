#pragma once
// The "Dump Script" window: a range, or a pointer table with its settings, then
// "Dump..." asks where to save the script; "From command file..." dumps the blocks of a
// Cartographer command file instead. The main window stays usable (its file
// chooser is a child of the main window, which must then be enabled).
#include <array>

#include "qt/modeless_dialog.h"
#include "script/block_dump.h"
#include "script/script_dump.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tarpon {

struct Editor;

class DumpScriptDialog : public ModelessDialog {
public:
    // `loadTables` finds and loads a command file's tables for "From command file...".
    DumpScriptDialog(Editor& editor, CommandTableLoader loadTables);

    std::array<QRadioButton*, 2> kind{};  // a range, a pointer table
    QLineEdit *txtFrom = nullptr, *txtTo = nullptr, *txtTable = nullptr, *txtCount = nullptr;
    QLineEdit *txtAdd = nullptr, *txtLength = nullptr;
    std::array<QRadioButton*, 3> sizes{};
    QCheckBox* bigEndian = nullptr;
    QPushButton* cmdDump = nullptr;
    QPushButton* cmdCommands = nullptr;  // "From command file..."

private:
    // A caption and its field beside it, `width` pixels wide.
    QLineEdit* field(const char* caption, int left, int top, int labelWidth, int width);
    void fill(const DumpRequest& r);
    bool read(DumpRequest& r);  // false after a message naming the field

    Editor& editor_;
    CommandTableLoader loadTables_;
};

}  // namespace tarpon
