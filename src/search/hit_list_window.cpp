#include "search/hit_list_window.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <algorithm>

#include "core/editor.h"
#include "core/number_text.h"

namespace tarpon {

HitListWindow::HitListWindow(Editor& editor, std::function<void()> refreshMain, QWidget* parent)
    : ModelessDialog(editor.services, false, parent), editor_(editor), refreshMain_(std::move(refreshMain)) {
    setWindowTitle("Find All");
    setMinimumSize(320, 160);
    resize(480, 300);
    list_ = new QTreeWidget(this);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setHeaderLabels({"Offset", "Base", "Preview"});
    list_->header()->resizeSection(0, 72);
    list_->header()->resizeSection(1, 64);
    tableButton_ = new QPushButton("Table from Hit", this);
    tableButton_->setAutoDefault(false);
    bothCases_ = new QCheckBox("Both Cases", this);
    bothCases_->setToolTip("Fill a-z and A-Z, whatever the case of the search text");
    // The list grows with the window, so that long previews can be read.
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(tableButton_);
    buttons->addWidget(bothCases_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(list_);
    layout->addLayout(buttons);
    connect(list_, &QTreeWidget::itemClicked, this, [this] { goToRow(); });
    connect(list_, &QTreeWidget::itemActivated, this, [this] { goToRow(); });
    connect(tableButton_, &QPushButton::clicked, this, [this] { tableFromRow(); });
}

// The list opens beside the main window, right of it or below it, whichever hides
// less of it once kept on the screen, so that the user sees the panes while choosing hits.
void HitListWindow::showEvent(QShowEvent* event) {
    const bool first = !placed_;
    placed_ = true;
    ModelessDialog::showEvent(event);
    QWidget* main = parentWidget();
    if (!first || !main || !main->screen()) return;
    const QRect room = main->screen()->availableGeometry(), mainFrame = main->frameGeometry();
    const QSize size = frameGeometry().size().expandedTo(this->size());
    const auto keptOnScreen = [&](QPoint at) {
        return QPoint(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() + 1 - size.width())),
                      std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() + 1 - size.height())));
    };
    const auto hidden = [&](QPoint at) {
        const QRect over = QRect(at, size).intersected(mainFrame);
        return over.isEmpty() ? 0 : over.width() * over.height();
    };
    const QPoint right = keptOnScreen({mainFrame.right() + 1, mainFrame.top()});
    const QPoint below = keptOnScreen({mainFrame.left(), mainFrame.bottom() + 1});
    move(hidden(right) <= hidden(below) ? right : below);
}

void HitListWindow::setHits(HitList hits) {
    hits_ = std::move(hits);
    list_->clear();
    for (const RelativeHit& hit : hits_.hits) {
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, QString::fromStdString(offsetText(hit.offset, editor_.s.view.offsetMode)));
        item->setText(1, QString::fromStdString(baseText(hits_, hit)));
        item->setText(2, QString::fromStdString(hit.preview));
    }
    // Both cases are a choice for ASCII only: a sequence is filled whole.
    bothCases_->setVisible(hits_.alphabet.kind == AlphabetKind::Ascii);
    if (list_->topLevelItemCount() > 0) list_->setCurrentItem(list_->topLevelItem(0));
    list_->setFocus();
}

void HitListWindow::goToRow() {
    const int row = list_->indexOfTopLevelItem(list_->currentItem());
    if (row < 0 || row >= static_cast<int>(hits_.hits.size())) return;
    GoToHit(editor_, hits_.hits[static_cast<size_t>(row)].offset);
    if (refreshMain_) refreshMain_();
}

void HitListWindow::tableFromRow() {
    const int row = list_->indexOfTopLevelItem(list_->currentItem());
    if (row < 0 || row >= static_cast<int>(hits_.hits.size()) || !makeTable) return;
    const RelativeHit& hit = hits_.hits[static_cast<size_t>(row)];
    GoToHit(editor_, hit.offset);
    makeTable(tableFromHit(hits_, hit, bothCases_->isChecked()));
}

}  // namespace tarpon
