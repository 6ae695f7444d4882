#pragma once
// The "Copy" dialog: a range of the document put on the clipboard as text. It is
// modeless and leaves the main window usable; it closes itself after a copy.
#include <array>
#include <optional>

#include "copy/copy_format.h"
#include "qt/modeless_dialog.h"

class QLabel;
class QLineEdit;
class QRadioButton;
class QPushButton;

namespace tarpon {

struct Editor;

class CopyDialog : public ModelessDialog {
public:
    // Owned by no window, so it stays usable while another dialog disables the main
    // window; it goes when `mainWindow` is destroyed and never keeps the program running.
    CopyDialog(Editor& editor, QWidget* mainWindow);

    QLineEdit* offsetField(int index) const { return txtOffset_[static_cast<size_t>(index)]; }
    QLabel* offsetLabel(int index) const { return Label_[static_cast<size_t>(index)]; }
    QRadioButton* offsetOption(int index) const { return OptOffset_[static_cast<size_t>(index)]; }
    QRadioButton* typeOption(int index) const { return OptType_[static_cast<size_t>(index)]; }
    QLineEdit* beforeField() const { return txtBefore_; }
    QLineEdit* afterField() const { return txtAfter_; }
    QLabel* example() const { return lblExample_; }
    QPushButton* copyButton() const { return cmdCopy_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWidgets();
    void wireEvents();
    CopyForm form() const;
    // The form with the before- and after-texts as the copy takes them; nothing
    // after a message when one holds a character that cannot be copied.
    std::optional<CopyForm> formToCopy() const;
    void fill(const CopyForm& form);
    void updateExample();
    bool filterOffsetKey(QLineEdit* field, QKeyEvent* event);

    Editor& editor_;
    std::array<QLabel*, 2> Label_{};
    std::array<QLineEdit*, 2> txtOffset_{};
    std::array<QRadioButton*, 3> OptOffset_{};
    std::array<QRadioButton*, 3> OptType_{};
    QLineEdit *txtBefore_ = nullptr, *txtAfter_ = nullptr;
    QLabel* lblExample_ = nullptr;
    QPushButton* cmdCopy_ = nullptr;
};

}  // namespace tarpon
