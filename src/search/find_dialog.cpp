#include "search/find_dialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "core/editor.h"
#include "qt/pane_widget.h"
#include "qt/text_fields.h"
#include "screen/style.h"
#include "search/find.h"

namespace tarpon {
namespace {

// The designed font in bold, whatever font the application has at the time.
QFont bold() {
    QFont font = toQFont(kWindowDefault);
    font.setBold(true);
    return font;
}

}  // namespace

FindDialog::FindDialog(Editor& editor, std::function<void()> refreshMain)
    : ModelessDialog(editor.services, true), editor_(editor), refreshMain_(std::move(refreshMain)) {
    setWindowTitle("Find");
    setFixedSize(240, 104);
    buildControls();
    txtVal->setFocus();
    // Enter in the search text searches; Esc closes the dialog (QDialog's own handling).
    connect(txtVal, &QLineEdit::returnPressed, this, [this] { find(); });
    connect(cmdFind, &QPushButton::clicked, this, [this] { find(); });
}

void FindDialog::buildControls() {
    txtVal = new QLineEdit(this);
    txtVal->setGeometry(8, 8, 225, 19);
    static constexpr std::array<const char*, 5> kCaptions = {"Ascii", "Table", "Hex", "Dec", "Oct"};
    static constexpr std::array<QRect, 5> kPlaces = {
        QRect(8, 64, 49, 13), QRect(64, 64, 49, 13), QRect(8, 40, 41, 13), QRect(64, 40, 41, 13),
        QRect(120, 40, 41, 13)};
    for (size_t i = 0; i < Opt.size(); ++i) {
        Opt[i] = new QRadioButton(kCaptions[i], this);
        Opt[i]->setGeometry(kPlaces[i]);
    }
    Opt[2]->setChecked(true);
    cmdFind = new QPushButton("Find", this);
    cmdFind->setGeometry(176, 40, 49, 17);
    cmdFind->setAutoDefault(false);
    auto* label = new QLabel("Wild Card:", this);
    label->setFont(bold());
    label->setGeometry(120, 64, 65, 17);
    txtWildcard = new QLineEdit(this);
    txtWildcard->setGeometry(192, 64, 33, 19);
    Check1 = new QCheckBox("Relative Search:", this);
    Check1->setFont(bold());
    Check1->setGeometry(88, 88, 137, 13);
}

void FindDialog::find() {
    FindForm form;
    for (size_t i = 0; i < Opt.size(); ++i)
        if (Opt[i]->isChecked()) form.kind = static_cast<PatternKind>(i);
    if (findTextIsUtf8(editor_, form.kind)) {
        form.text = utf8Text(txtVal->text());
        form.wildcard = utf8Text(txtWildcard->text());
    } else {
        const auto text = latin1Text(txtVal->text(), editor_.services, "the search text");
        const auto wildcard = text ? latin1Text(txtWildcard->text(), editor_.services, "the wild card") : std::nullopt;
        if (!wildcard) return;
        form.text = *text;
        form.wildcard = *wildcard;
    }
    form.relative = Check1->isChecked();
    cmdFind_Click(editor_, form);
    if (refreshMain_) refreshMain_();
}


}  // namespace tarpon
