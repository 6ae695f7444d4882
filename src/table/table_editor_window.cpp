#include "table/table_editor_window.h"

#include <QCloseEvent>
#include <QFrame>
#include <QPushButton>

#include "core/editor.h"
#include "core/rounding.h"
#include "qt/pane_widget.h"

namespace tarpon {
namespace {

// The resize rule counts the window's outer width; a sizable window's frame adds
// 3 pixels on each side to the client area Qt reports.
constexpr int kFrameWidth = 6;

QRect toQRect(const Rect& r) {
    return QRect(static_cast<int>(roundHalfEven(r.left)), static_cast<int>(roundHalfEven(r.top)),
                 static_cast<int>(roundHalfEven(r.width)), static_cast<int>(roundHalfEven(r.height)));
}

}  // namespace

TableEditorWindow::TableEditorWindow(Editor& ed, std::function<void()> refreshMain, QWidget* parent)
    // Its Form_Load and Form_Unload disable and enable the main window themselves.
    : ModelessDialog(ed.services, false, parent), ed_(ed), refreshMain_(std::move(refreshMain)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setSizeGripEnabled(false);
    setMinimumSize(120, kTableEditorHeight);
    top_ = new PaneWidget(model_.PicTop, nullptr, this);
    side_ = new PaneWidget(model_.PicOffset, nullptr, this);
    grid_ = new PaneWidget(model_.PicHex, &model_.ShpTbl, this);
    grid_->setFocusPolicy(Qt::StrongFocus);
    line1_ = new QFrame(this);
    line1_->setFrameShape(QFrame::VLine);
    line1_->setFrameShadow(QFrame::Plain);
    for (size_t i = 0; i < buttons_.size(); ++i) {
        buttons_[i] = new QPushButton(QString::fromLatin1(model_.cmd[i].caption), this);
        buttons_[i]->setAutoDefault(false);
        buttons_[i]->setGeometry(toQRect(model_.cmd[i].geom));
    }
    setTabOrder(buttons_[2], buttons_[1]);
    setTabOrder(buttons_[1], buttons_[0]);
    setTabOrder(buttons_[0], grid_);
    wireEvents();
    resize(kTableEditorWidth, kTableEditorHeight);
    sync(false);
}

void TableEditorWindow::wireEvents() {
    grid_->onKeyDown = [this](int keyCode, int shift) {
        const bool emptied = frmTable::PicHex_KeyDown(ed_, model_, keyCode, shift);
        sync(emptied);
        return emptied;
    };
    grid_->onKeyPress = [this](int ch) {
        frmTable::PicHex_KeyPress(ed_, model_, ch);
        sync(true);
    };
    grid_->onMouseDown = [this](int, int, double x, double y) {
        grid_->setFocus(Qt::MouseFocusReason);
        frmTable::PicHex_MouseDown(model_, x, y);
        sync(false);
    };
    for (size_t i = 0; i < buttons_.size(); ++i) {
        const int index = static_cast<int>(i);
        connect(buttons_[i], &QPushButton::clicked, this, [this, index] {
            frmTable::cmd_Click(ed_, model_, index);
            sync(true);
        });
    }
}

void TableEditorWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (loaded_) return;
    loaded_ = true;
    frmTable::Form_Load(ed_, model_);
    // Disabling the main window disables the windows it owns as well; this one stays usable.
    setEnabled(true);
    sync(false);
}

void TableEditorWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    frmTable::Form_Resize(ed_, model_, width() + kFrameWidth);
    sync(false);
}

void TableEditorWindow::closeEvent(QCloseEvent* event) {
    if (loaded_) frmTable::Form_Unload(ed_, model_);
    loaded_ = false;
    event->accept();
}

void TableEditorWindow::fill(const TableFill& entries) {
    frmTable::FillEntries(ed_, model_, entries);
    sync(true);
}

void TableEditorWindow::sync(bool tableChanged) {
    setWindowTitle(QString::fromLatin1(model_.caption));
    top_->setGeometry(toQRect(model_.PicTop.geom));
    side_->setGeometry(toQRect(model_.PicOffset.geom));
    grid_->setGeometry(toQRect(model_.PicHex.geom));
    line1_->setGeometry(static_cast<int>(model_.Line1.x), static_cast<int>(model_.Line1.y1), 1,
                        static_cast<int>(model_.Line1.y2 - model_.Line1.y1 + 1));
    line1_->raise();
    for (PaneWidget* pane : {top_, side_, grid_}) pane->refresh();
    if (tableChanged && refreshMain_) refreshMain_();
}

}  // namespace tarpon
