#include "search/pointers_dialog.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "core/editor.h"
#include "core/plain_number.h"
#include "search/pointers.h"

namespace tarpon {
namespace {

QString offsetText(int64_t offset) { return QStringLiteral("0x%1").arg(offset, 8, 16, QLatin1Char('0')).toUpper().replace("0X", "0x"); }

QString addText(int64_t add) { return add < 0 ? "-" + offsetText(-add) : offsetText(add); }

}  // namespace

PointersDialog::PointersDialog(Editor& editor, std::function<void()> refreshMain)
    : ModelessDialog(editor.services, false), editor_(editor), refreshMain_(std::move(refreshMain)) {
    setWindowTitle("Pointers");
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(264, 232);
    buildControls();
    const PointerSettings& p = editor_.s.search.pointers;
    sizes[static_cast<size_t>(std::clamp(p.size, 2, 4) - 2)]->setChecked(true);
    orders[p.bigEndian ? 1 : 0]->setChecked(true);
    txtAdd->setText(addText(p.add));
    connect(cmdFind, &QPushButton::clicked, this, guarded([this] { findPointers(); }));
    connect(cmdFollow, &QPushButton::clicked, this, [this] {
        if (!readSettings()) return;
        FollowPointer(editor_, editor_.s.search.pointers);
        refreshMain_();
    });
    const auto go = [this](QListWidgetItem* item) {
        GoToPointerHit(editor_, item->data(Qt::UserRole).toLongLong());
        refreshMain_();
    };
    connect(hits, &QListWidget::itemClicked, this, go);
    connect(hits, &QListWidget::itemActivated, this, go);
    findPointers();
}

void PointersDialog::buildControls() {
    static constexpr std::array<const char*, 3> kSizes = {"2 bytes", "3 bytes", "4 bytes"};
    auto* sizeGroup = new QButtonGroup(this);
    for (size_t i = 0; i < sizes.size(); ++i) {
        sizes[i] = new QRadioButton(kSizes[i], this);
        sizes[i]->setGeometry(8 + 64 * static_cast<int>(i), 8, 62, 15);
        sizeGroup->addButton(sizes[i]);
    }
    static constexpr std::array<const char*, 2> kOrders = {"Little-endian", "Big-endian"};
    auto* orderGroup = new QButtonGroup(this);
    for (size_t i = 0; i < orders.size(); ++i) {
        orders[i] = new QRadioButton(kOrders[i], this);
        orders[i]->setGeometry(8 + 96 * static_cast<int>(i), 28, 94, 15);
        orderGroup->addButton(orders[i]);
    }
    auto* addLabel = new QLabel("Added to a value:", this);
    addLabel->setGeometry(8, 50, 100, 19);
    txtAdd = new QLineEdit(this);
    txtAdd->setGeometry(112, 50, 144, 19);
    cmdFind = new QPushButton("Find Pointers To Here", this);
    cmdFind->setGeometry(8, 76, 140, 21);
    cmdFind->setAutoDefault(false);
    cmdFind->setDefault(true);
    cmdFollow = new QPushButton("Follow Pointer", this);
    cmdFollow->setGeometry(156, 76, 100, 21);
    cmdFollow->setAutoDefault(false);
    lblCount = new QLabel(this);
    lblCount->setGeometry(8, 102, 248, 17);
    hits = new QListWidget(this);
    hits->setGeometry(8, 122, 248, 102);
}

bool PointersDialog::readSettings() {
    const std::optional<int64_t> add = readPlainNumber(txtAdd->text().trimmed().toStdString());
    if (!add) {
        editor_.services.messageBox("\"Added to a value\" must be a number: decimal, or hexadecimal after 0x or $.");
        return false;
    }
    PointerSettings& p = editor_.s.search.pointers;
    for (size_t i = 0; i < sizes.size(); ++i)
        if (sizes[i]->isChecked()) p.size = static_cast<int>(i) + 2;
    p.bigEndian = orders[1]->isChecked();
    p.add = *add;
    return true;
}

void PointersDialog::findPointers() {
    hits->clear();
    if (!readSettings()) return;
    const int64_t cursor = editor_.s.cursor();
    const PointerHits found = findPointersTo(editor_.s, cursor, editor_.s.search.pointers);
    for (const int64_t at : found.at) {
        auto* item = new QListWidgetItem(offsetText(at), hits);
        item->setData(Qt::UserRole, QVariant::fromValue<qlonglong>(at));
    }
    QString count = found.at.empty() ? QStringLiteral("No pointer to %1.").arg(offsetText(cursor))
                                     : QStringLiteral("%1 pointer%2 to %3%4")
                                           .arg(found.at.size())
                                           .arg(found.at.size() == 1 ? "" : "s")
                                           .arg(offsetText(cursor))
                                           .arg(found.more ? " (the first ones; there are more)." : ":");
    if (!encodePointer(cursor, editor_.s.search.pointers)) count = "The cursor's offset does not fit these settings.";
    lblCount->setText(count);
}

}  // namespace tarpon
