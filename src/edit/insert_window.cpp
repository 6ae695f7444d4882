#include "edit/insert_window.h"

#include <QButtonGroup>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "core/editor.h"
#include "qt/text_fields.h"
#include "edit/insert_delete.h"

namespace tarpon {
namespace {

void addLabel(QWidget* parent, const char* caption, int left, int top, int width) {
    auto* label = new QLabel(caption, parent);
    label->setGeometry(left, top, width, 17);
}

}  // namespace

InsertWindow::InsertWindow(Editor& editor, std::function<void()> refreshMain)
    : ModelessDialog(editor.services, true), editor_(editor), refreshMain_(std::move(refreshMain)) {
    setWindowTitle("Insert");
    setFixedSize(248, 78);
    addLabel(this, "Amount:", 24, 8, 41);
    addLabel(this, "Fill Value:", 16, 32, 49);
    txtAmount_ = addBox(8);
    txtFill_ = addBox(32);
    optHex1_ = addOption("Hex", 160, 8);
    optDec1_ = addOption("Dec", 201, 8);
    optHex2_ = addOption("Hex", 160, 32);
    optDec2_ = addOption("Dec", 201, 32);
    for (auto [hex, dec] : {std::pair{optHex1_, optDec1_}, std::pair{optHex2_, optDec2_}}) {
        auto* group = new QButtonGroup(this);
        group->addButton(hex);
        group->addButton(dec);
        hex->setChecked(true);
    }
    const char* captions[3] = {"Cancel", "Clear", "Okay"};
    const QRect places[3] = {{8, 56, 57, 17}, {80, 56, 73, 17}, {168, 56, 73, 17}};
    QPushButton* cmd[3];
    for (int i = 0; i < 3; ++i) {
        cmd[i] = new QPushButton(captions[i], this);
        cmd[i]->setGeometry(places[i]);
        cmd[i]->setAutoDefault(false);  // Enter is handled by the boxes themselves
        connect(cmd[i], &QPushButton::clicked, this, guarded([this, i] { cmd_Click(i); }));
        cmd[i]->setDefault(i == kOkay);
    }
    QWidget* order[] = {txtAmount_, txtFill_, optHex1_, optDec1_, optHex2_, optDec2_, cmd[kOkay], cmd[kCancel],
                        cmd[kClear]};
    for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
    txtAmount_->setFocus();
}

QLineEdit* InsertWindow::addBox(int top) {
    auto* box = new QLineEdit(this);
    box->setGeometry(80, top, 73, 19);
    box->installEventFilter(this);
    return box;
}

QRadioButton* InsertWindow::addOption(const char* caption, int left, int top) {
    auto* option = new QRadioButton(caption, this);
    option->setGeometry(left, top, 41, 13);
    return option;
}

void InsertWindow::cmd_Click(int index) {
    switch (index) {
    case kCancel:
        close();
        break;
    case kClear:
        txtAmount_->clear();
        txtFill_->clear();
        txtAmount_->setFocus();
        break;
    case kOkay: {
        const auto amount = latin1Text(txtAmount_->text(), editor_.services, "\"Amount\"");
        const auto fill = amount ? latin1Text(txtFill_->text(), editor_.services, "\"Fill Value\"") : std::nullopt;
        if (!fill) return;
        const InsertForm form{*amount, optHex1_->isChecked(), *fill, optHex2_->isChecked()};
        // A refused amount leaves the window open so that it can be corrected.
        if (InsertBytes(editor_, form)) close();
        break;
    }
    default:
        return;
    }
    repaintMain();
}

void InsertWindow::repaintMain() {
    RepaintFromInsertWindow(editor_);
    if (refreshMain_) refreshMain_();
}




bool InsertWindow::eventFilter(QObject* watched, QEvent* event) {
    // Both boxes: Enter inserts, Escape closes; every other key is typed as it is.
    if ((watched == txtAmount_ || watched == txtFill_) && handleEnterEscape(event, [this] { cmd_Click(kOkay); }))
        return true;
    return QDialog::eventFilter(watched, event);
}

}  // namespace tarpon
