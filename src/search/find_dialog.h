#pragma once
// The find dialog: collects the search text and options and hands them to cmdFind_Click,
// or, for a relative text search, to cmdFindAll_Click.
#include <array>
#include <functional>
#include <optional>

#include "qt/modeless_dialog.h"
#include "search/find.h"
#include "search/find_all.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tarpon {

struct Editor;

class FindDialog : public ModelessDialog {
public:
    // `refreshMain` brings the main window in step after a search moved the cursor.
    FindDialog(Editor& editor, std::function<void()> refreshMain);

    // Shows the hits of "Find All"; the dialog has closed when it is called.
    std::function<void(HitList)> showHits;

    QLineEdit* txtVal = nullptr;
    QLineEdit* txtWildcard = nullptr;
    std::array<QRadioButton*, 5> Opt{};  // Ascii, Table, Hex, Dec, Oct
    QPushButton* cmdFind = nullptr;
    QCheckBox* Check1 = nullptr;
    QComboBox* cboAlphabet = nullptr;  // ASCII, Hiragana, Katakana, Custom…
    QLineEdit* txtAlphabet = nullptr;  // the custom sequence
    QPushButton* cmdFindAll = nullptr;

private:
    void buildControls();
    void buildAlphabetControls();
    // The alphabet choice and Find All serve relative text searches only.
    void enableAlphabet();
    // The form as the controls say; nothing after a message when a text cannot be read.
    std::optional<FindForm> readForm();
    std::optional<Alphabet> readAlphabet();
    void find();
    void findAll();

    Editor& editor_;
    std::function<void()> refreshMain_;
};

}  // namespace tarpon
