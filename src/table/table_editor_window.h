#pragma once
// The table editor's Qt window: renders the TableEditor model and hands the grid's
// keys and clicks and the fill buttons to its handlers.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "qt/modeless_dialog.h"
#include "table/table_editor.h"

class QComboBox;
class QLabel;
class QPushButton;
class QFrame;
class QLineEdit;
class QListWidget;

namespace tarpon {

class PaneWidget;

class TableEditorWindow : public ModelessDialog {
public:
    TableEditorWindow(Editor& ed, std::function<void()> refreshMain, QWidget* parent);

    TableEditor& model() { return model_; }
    PaneWidget* grid() const { return grid_; }
    QPushButton* button(int index) const { return buttons_[static_cast<size_t>(index)]; }
    // The list of the entries the grid cannot show whole, the row being typed, Set and Remove.
    QListWidget* list() const { return list_; }
    QLineEdit* rowEdit() const { return rowEdit_; }
    QPushButton* setButton() const { return setButton_; }
    QPushButton* removeButton() const { return removeButton_; }
    // The table file's logical tables, shown when its file names them ("@name" lines).
    QComboBox* chooser() const { return chooser_; }
    // Writes a table made from a search hit, one step for Ctrl+Z, and shows it.
    void fill(const TableFill& entries);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Esc on a button closes the window the ordinary way, so the main window is enabled again.
    void reject() override { close(); }

private:
    void wireEvents();
    void makeList();
    void makeChooser();
    void placeList();
    // Fills the chooser from the table's file; shown only when the file names its tables.
    void fillChooser();
    // Set: the typed row; Remove: the selected row, or the typed one when none is selected.
    void setRow();
    void removeRow();
    // Fills the list from the table when its rows changed; selects `wanted` (or keeps the place).
    void fillList(const QString& wanted = {});
    // Brings the widgets in step with the model, and the main window with the editor.
    void sync(bool tableChanged);

    Editor& ed_;
    std::function<void()> refreshMain_;
    TableEditor model_;
    PaneWidget *top_ = nullptr, *side_ = nullptr, *grid_ = nullptr;
    QFrame* line1_ = nullptr;
    std::array<QPushButton*, 3> buttons_{};
    QListWidget* list_ = nullptr;
    QLineEdit* rowEdit_ = nullptr;
    QPushButton *setButton_ = nullptr, *removeButton_ = nullptr;
    QLabel* chooserCaption_ = nullptr;
    QComboBox* chooser_ = nullptr;
    std::vector<std::string> rows_;  // what the list shows
    bool loaded_ = false;
};

}  // namespace tarpon
