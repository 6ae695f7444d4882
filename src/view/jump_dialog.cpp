#include "view/jump_dialog.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "core/editor.h"
#include "qt/text_fields.h"
#include "view/cursor.h"

namespace tarpon {

JumpDialog::JumpDialog(Editor& editor, std::function<void()> refreshMain, QWidget* parent)
    : ModelessDialog(editor.services, true, parent), editor_(editor), refreshMain_(std::move(refreshMain)) {
    setWindowTitle("Jump To");
    setFixedSize(223, 80);
    txtVal_ = new QLineEdit(this);
    txtVal_->setGeometry(8, 8, 209, 19);
    const char* captions[3] = {"Hex", "Dec", "Oct"};
    for (int i = 0; i < 3; ++i) {
        opt_[i] = new QRadioButton(captions[i], this);
        opt_[i]->setGeometry(8 + 48 * i, 32, 41, 13);
        connect(opt_[i], &QRadioButton::clicked, this, [this, i] { Opt_Click(i); });
    }
    auto* jump = new QPushButton("Jump", this);
    jump->setGeometry(152, 32, 65, 17);
    jump->setAutoDefault(false);
    jump->setDefault(true);
    connect(jump, &QPushButton::clicked, this, [this] { cmdJump_Click(); });
    check1_ = new QCheckBox("Relative Jump", this);
    // 8 px wider than designed: Qt's check box and its gap are that much wider than
    // Windows' and would cut the caption's last letter (nothing lies to its right).
    check1_->setGeometry(8, 56, 97, 17);
    txtVal_->installEventFilter(this);
    opt_[0]->setChecked(true);
    Opt_Click(0);
    txtVal_->setFocus();
}

void JumpDialog::Opt_Click(int index) {
    radix_ = static_cast<Radix>(index);
    opt_[index]->setChecked(true);
    txtVal_->setText(QString::fromLatin1(filterForRadix(txtVal_->text().toLatin1().toStdString(), radix_)));
}

void JumpDialog::cmdJump_Click() {
    const std::optional<std::string> text = latin1Text(txtVal_->text(), editor_.services, "the offset");
    if (!text) return;
    const std::optional<int64_t> target = jumpTarget(*text, radix_, check1_->isChecked(), editor_.s.cursor());
    if (!target) {
        editor_.services.messageBox("That offset is too large.");
        return;
    }
    MoveCursor(editor_, *target);
    refreshMain_();
}

bool JumpDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtVal_ && handleEnterEscape(event, [this] { cmdJump_Click(); })) return true;
    return QDialog::eventFilter(watched, event);
}

}  // namespace tarpon
