#pragma once
// The table editor's Qt window: renders the TableEditor model and hands the grid's
// keys and clicks and the fill buttons to its handlers.
#include <array>
#include <functional>

#include "qt/modeless_dialog.h"
#include "table/table_editor.h"

class QPushButton;
class QFrame;

namespace tarpon {

class PaneWidget;

class TableEditorWindow : public ModelessDialog {
public:
    TableEditorWindow(Editor& ed, std::function<void()> refreshMain, QWidget* parent);

    TableEditor& model() { return model_; }
    PaneWidget* grid() const { return grid_; }
    QPushButton* button(int index) const { return buttons_[static_cast<size_t>(index)]; }
    // Writes a table made from a search hit, one step for Ctrl+Z, and shows it.
    void fill(const TableFill& entries);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Esc on a button closes the window the ordinary way, so the main window is enabled again.
    void reject() override { close(); }

private:
    void wireEvents();
    // Brings the widgets in step with the model, and the main window with the editor.
    void sync(bool tableChanged);

    Editor& ed_;
    std::function<void()> refreshMain_;
    TableEditor model_;
    PaneWidget *top_ = nullptr, *side_ = nullptr, *grid_ = nullptr;
    QFrame* line1_ = nullptr;
    std::array<QPushButton*, 3> buttons_{};
    bool loaded_ = false;
};

}  // namespace tarpon
