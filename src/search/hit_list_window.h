#pragma once
// The hits of "Find All": offset, implied base and preview of each. A click or
// Enter on a row moves the main window's cursor there; the list stays open and
// leaves the main window usable, so the user can look round each hit.
#include <functional>

#include "core/table_fill.h"
#include "qt/modeless_dialog.h"
#include "search/find_all.h"

class QCheckBox;
class QPushButton;
class QTreeWidget;

namespace tarpon {

struct Editor;

class HitListWindow : public ModelessDialog {
public:
    HitListWindow(Editor& editor, std::function<void()> refreshMain, QWidget* parent);

    // Replaces the hits shown.
    void setHits(HitList hits);
    // Fills the table from a hit and shows it for review; the main window wires it.
    std::function<void(const TableFill&)> makeTable;

    QTreeWidget* list() const { return list_; }
    QPushButton* tableButton() const { return tableButton_; }
    QCheckBox* bothCases() const { return bothCases_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void goToRow();
    void tableFromRow();

    Editor& editor_;
    std::function<void()> refreshMain_;
    HitList hits_;
    QTreeWidget* list_ = nullptr;
    QPushButton* tableButton_ = nullptr;
    QCheckBox* bothCases_ = nullptr;
    bool placed_ = false;
};

}  // namespace tarpon
