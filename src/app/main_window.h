#pragma once
// The main window: Qt widgets placed and rendered from the editor's MainView, and
// every widget event handed to the editor's handlers.
#include <QMainWindow>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/editor.h"
#include "core/table_fill.h"
#include "qt/qt_services.h"

class QLabel;
class QPushButton;
class QScrollBar;
class QAction;
class QFrame;

namespace tarpon {

class PaneWidget;
struct HitList;

class MainWindow : public QMainWindow {
public:
    explicit MainWindow(const std::string& commandLinePath);
    ~MainWindow() override;

    Editor& editor() { return editor_; }
    PaneWidget* hexPane() const { return hex_; }
    PaneWidget* textPane() const { return text_; }
    PaneWidget* paneWidget(const Pane& pane) const { return widgetOf(pane); }
    QLabel* offsetModeLabel() const { return offsetModeLabel_; }
    std::array<QLabel*, 2> viewModeLabels() const { return viewModeLabels_; }

    // Brings every widget in step with the editor's view after a handler ran.
    void refresh();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void sayWhereTheCursorIs();
    PaneWidget* addPane(const Pane& pane, const std::array<Mark, 2>* marks);
    QLabel* addLabel(const Label& label);
    void buildWidgets();
    void buildMenus();
    void wireEvents();
    void wirePanes();
    void wireValuePanes();
    PaneWidget* widgetOf(const Pane& pane) const;
    QWidget* createWindow(WindowKind kind);
    void showHits(HitList hits);
    void tableFromHit(const TableFill& fill);
    PaneWidget* inputPaneWidget(InputPane pane) const;
    void giveKeyboardTo(InputPane pane);
    void runMenu(int menu, int item);
    void syncGeometry();
    void syncScrollBar();

    QtServices services_;
    Editor editor_;
    QWidget* central_ = nullptr;
    PaneWidget *head_ = nullptr, *offset_ = nullptr, *hex_ = nullptr, *text_ = nullptr;
    std::vector<std::pair<PaneWidget*, const Pane*>> panes_;
    std::vector<std::pair<QLabel*, const Label*>> labels_;
    QLabel* offsetModeLabel_ = nullptr;
    std::array<QLabel*, 2> viewModeLabels_{};
    std::array<QPushButton*, 4> pageButtons_{};
    QScrollBar* scroll_ = nullptr;
    QFrame *line1_ = nullptr, *lineBoarder_ = nullptr;
    std::vector<std::vector<QAction*>> menuActions_;
    bool syncingScroll_ = false;
};

}  // namespace tarpon
