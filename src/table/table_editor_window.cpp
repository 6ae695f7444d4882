#include "table/table_editor_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "core/editor.h"
#include "core/rounding.h"
#include "qt/pane_widget.h"
#include "screen/keys.h"
#include "table/table_list.h"

namespace tarpon {
namespace {

// The resize rule counts the window's outer width; a sizable window's frame adds
// 3 pixels on each side to the client area Qt reports.
constexpr int kFrameWidth = 6;

// The list of the other entries lies below the grid and its buttons, which keep their places;
// the chooser of the file's logical tables, when it is shown, lies between them and moves the list down.
constexpr int kListTop = kTableEditorHeight + 4, kListHeight = 136;
constexpr int kRowTop = kListTop + kListHeight + 6, kRowHeight = 24;
constexpr int kWindowHeight = kRowTop + kRowHeight + 6;
constexpr int kMargin = 8, kRowButtonWidth = 64, kMinWindowWidth = 240;
constexpr int kChooserRow = kRowHeight + 6, kCaptionWidth = 44;

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
    setMinimumSize(kMinWindowWidth, kWindowHeight);
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
    makeList();
    makeChooser();
    wireEvents();
    resize(kTableEditorWidth, kWindowHeight);
    sync(false);
}

void TableEditorWindow::makeList() {
    list_ = new QListWidget(this);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setUniformItemSizes(true);  // thousands of kanji rows stay quick
    list_->setToolTip("Entries with longer keys, end tokens, line breaks and linked entries. Delete removes one.");
    rowEdit_ = new QLineEdit(this);
    rowEdit_->setPlaceholderText("8140=text  /FF=<END>");
    setButton_ = new QPushButton("Set", this);
    removeButton_ = new QPushButton("Remove", this);
    for (QPushButton* button : {setButton_, removeButton_}) button->setAutoDefault(false);
    list_->setAccessibleName("Entries with longer keys");
    grid_->setAccessibleName("Letters of the one-byte keys");
    rowEdit_->setAccessibleName("Entry to set");
    list_->installEventFilter(this);
    rowEdit_->installEventFilter(this);
    setTabOrder(grid_, list_);
    setTabOrder(list_, rowEdit_);
    setTabOrder(rowEdit_, setButton_);
    setTabOrder(setButton_, removeButton_);
    placeList();
}

void TableEditorWindow::makeChooser() {
    chooserCaption_ = new QLabel("&Table:", this);
    chooser_ = new QComboBox(this);
    chooserCaption_->setBuddy(chooser_);
    chooser_->setAccessibleName("Logical table");
    chooser_->setToolTip("The logical tables the table file holds (its @name lines): the window reads the "
                         "document through the one chosen.");
    chooserCaption_->hide();
    chooser_->hide();
    setTabOrder(grid_, chooser_);
    setTabOrder(chooser_, list_);
}

void TableEditorWindow::placeList() {
    const int inner = std::max(width(), kMinWindowWidth) - 2 * kMargin;
    const int shift = chooser_ && !chooser_->isHidden() ? kChooserRow : 0;
    if (chooser_) {
        chooserCaption_->setGeometry(kMargin, kListTop, kCaptionWidth, kRowHeight);
        chooser_->setGeometry(kMargin + kCaptionWidth + 4, kListTop, inner - kCaptionWidth - 4, kRowHeight);
    }
    list_->setGeometry(kMargin, kListTop + shift, inner, kListHeight);
    const int editWidth = inner - 2 * (kRowButtonWidth + 4);
    const int rowTop = kRowTop + shift;
    rowEdit_->setGeometry(kMargin, rowTop, editWidth, kRowHeight);
    setButton_->setGeometry(kMargin + editWidth + 4, rowTop, kRowButtonWidth, kRowHeight);
    removeButton_->setGeometry(kMargin + editWidth + kRowButtonWidth + 8, rowTop, kRowButtonWidth, kRowHeight);
}

void TableEditorWindow::fillChooser() {
    const TableSource& source = ed_.s.table.source;
    const bool shown = source.present && !source.tables.empty();
    QStringList names;
    if (shown)
        for (const std::string& name : source.tables) names << QString::fromStdString("@" + name);
    QStringList listed;
    for (int i = 0; i < chooser_->count(); ++i) listed << chooser_->itemText(i);
    const QSignalBlocker quiet(chooser_);
    if (listed != names) {
        chooser_->clear();
        chooser_->addItems(names);
    }
    if (shown) chooser_->setCurrentIndex(static_cast<int>(source.part));
    if (shown == !chooser_->isHidden()) return;
    chooserCaption_->setVisible(shown);
    chooser_->setVisible(shown);
    const int height = kWindowHeight + (shown ? kChooserRow : 0);
    setMinimumSize(kMinWindowWidth, height);
    if (this->height() < height || !shown) resize(width(), height);
    placeList();
}

bool TableEditorWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == rowEdit_) return handleEnterEscape(event, [this] { setRow(); });
    if (watched != list_ || event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool ctrl = key->modifiers().testFlag(Qt::ControlModifier);
    if (key->key() == Qt::Key_Delete) removeRow();
    else if (key->key() == Qt::Key_Escape) close();
    else if (ctrl && (key->key() == Qt::Key_Z || key->key() == Qt::Key_Y)) {
        const bool undo = key->key() == Qt::Key_Z && !key->modifiers().testFlag(Qt::ShiftModifier);
        frmTable::UndoStep(ed_, model_, undo);
        sync(true);
    } else {
        return false;
    }
    return true;
}

void TableEditorWindow::setRow() {
    const QString row = rowEdit_->text();
    if (frmTable::ListRow_Set(ed_, model_, row.toStdString())) sync(true);
    fillList(row);
}

void TableEditorWindow::removeRow() {
    QListWidgetItem* selected = list_->currentItem();
    const QString row = selected && selected->isSelected() ? selected->text() : rowEdit_->text();
    if (frmTable::ListRow_Remove(ed_, model_, row.toStdString())) sync(true);
}

void TableEditorWindow::fillList(const QString& wanted) {
    std::vector<std::string> rows = longEntryRows(ed_.s.table.model());
    if (rows != rows_) {
        const int place = list_->currentRow();
        rows_ = std::move(rows);
        const QSignalBlocker quiet(list_);
        list_->clear();
        for (const std::string& row : rows_) list_->addItem(QString::fromStdString(row));
        if (place >= 0 && list_->count() > 0) list_->setCurrentRow(std::min(place, list_->count() - 1));
    }
    if (wanted.isEmpty()) return;
    const QList<QListWidgetItem*> found = list_->findItems(wanted, Qt::MatchExactly);
    if (!found.isEmpty()) list_->setCurrentItem(found.front());
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
    connect(chooser_, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && frmTable::ChooseTable(ed_, model_, static_cast<size_t>(index))) sync(true);
        else fillChooser();  // back to the table read
    });
    connect(setButton_, &QPushButton::clicked, this, [this] { setRow(); });
    connect(removeButton_, &QPushButton::clicked, this, [this] { removeRow(); });
    // A row chosen in the list is there to be changed in the line below it.
    connect(list_, &QListWidget::currentTextChanged, rowEdit_, &QLineEdit::setText);
    connect(list_, &QListWidget::itemActivated, this, [this] { rowEdit_->setFocus(Qt::OtherFocusReason); });
}

void TableEditorWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (loaded_) return;
    loaded_ = true;
    nameWidgetsAndMnemonics(*this);
    frmTable::Form_Load(ed_, model_);
    // Disabling the main window disables the windows it owns as well; this one stays usable.
    setEnabled(true);
    sync(false);
}

void TableEditorWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    frmTable::Form_Resize(ed_, model_, width() + kFrameWidth);
    if (list_) placeList();
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
    if (tableChanged || rows_.empty()) fillList();
    fillChooser();
    if (tableChanged && refreshMain_) refreshMain_();
}

}  // namespace tarpon
