#include "search/replace_dialog.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "core/editor.h"
#include "qt/text_fields.h"
#include "search/find.h"

namespace tarpon {
namespace {

QLineEdit* lineEdit(QWidget* parent, const QRect& place) {
    auto* field = new QLineEdit(parent);
    field->setGeometry(place);
    return field;
}

QPushButton* button(QWidget* parent, const char* caption, int left) {
    auto* b = new QPushButton(caption, parent);
    b->setGeometry(left, 136, 89, 21);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

ReplaceDialog::ReplaceDialog(Editor& editor, std::function<void()> refreshMain)
    : ModelessDialog(editor.services, true), editor_(editor), refreshMain_(std::move(refreshMain)) {
    setWindowTitle("Replace");
    setFixedSize(304, 164);
    buildControls();
    txtFind->setFocus();
    const auto next = [this](const ReplaceForm& f) { ReplaceNext(editor_, f); };
    connect(cmdReplace, &QPushButton::clicked, this, [this, next] { run(next); });
    connect(cmdAll, &QPushButton::clicked, this, [this] { run([this](const ReplaceForm& f) { ReplaceAll(editor_, f); }); });
    connect(cmdNext, &QPushButton::clicked, this, [this] {
        run([this](const ReplaceForm& f) {
            cmdFind_Click(editor_, FindForm{f.kind, f.find, "", false});
        });
    });
}

void ReplaceDialog::buildControls() {
    auto* findLabel = new QLabel("Find:", this);
    findLabel->setGeometry(8, 8, 70, 19);
    txtFind = lineEdit(this, QRect(88, 8, 209, 19));
    auto* replaceLabel = new QLabel("Replace with:", this);
    replaceLabel->setGeometry(8, 32, 78, 19);
    txtReplace = lineEdit(this, QRect(88, 32, 209, 19));
    static constexpr std::array<const char*, 5> kKinds = {"Ascii", "Table", "Hex", "Dec", "Oct"};
    auto* kinds = new QButtonGroup(this);
    for (size_t i = 0; i < Opt.size(); ++i) {
        Opt[i] = new QRadioButton(kKinds[i], this);
        Opt[i]->setGeometry(8 + 58 * static_cast<int>(i), 58, 56, 15);
        kinds->addButton(Opt[i]);
    }
    Opt[0]->setChecked(true);
    static constexpr std::array<const char*, 3> kRules = {
        "Same length only", "Pad a shorter one with (hex):", "Insert/delete bytes (moves everything after it)"};
    auto* rules = new QButtonGroup(this);
    for (size_t i = 0; i < Rule.size(); ++i) {
        Rule[i] = new QRadioButton(kRules[i], this);
        Rule[i]->setGeometry(8, 80 + 17 * static_cast<int>(i), i == 1 ? 180 : 290, 15);
        rules->addButton(Rule[i]);
    }
    Rule[0]->setChecked(true);
    txtPad = lineEdit(this, QRect(190, 97, 25, 17));
    txtPad->setText("00");
    txtPad->setMaxLength(2);
    cmdNext = button(this, "Find Next", 8);
    cmdReplace = button(this, "Replace", 106);
    cmdAll = button(this, "Replace All", 204);
    cmdReplace->setDefault(true);  // Enter anywhere in the window replaces
}

std::optional<ReplaceForm> ReplaceDialog::form() {
    ReplaceForm f;
    for (size_t i = 0; i < Opt.size(); ++i)
        if (Opt[i]->isChecked()) f.kind = static_cast<PatternKind>(i);
    for (size_t i = 0; i < Rule.size(); ++i)
        if (Rule[i]->isChecked()) f.rule = static_cast<LengthRule>(i);
    f.pad = txtPad->text().toLatin1().toStdString();
    if (findTextIsUtf8(editor_, f.kind)) {
        f.find = utf8Text(txtFind->text());
        f.replacement = utf8Text(txtReplace->text());
        return f;
    }
    const auto find = latin1Text(txtFind->text(), editor_.services, "the text to find");
    const auto with = find ? latin1Text(txtReplace->text(), editor_.services, "the replacement") : std::nullopt;
    if (!with) return std::nullopt;
    f.find = *find;
    f.replacement = *with;
    return f;
}

void ReplaceDialog::run(const std::function<void(const ReplaceForm&)>& command) {
    const std::optional<ReplaceForm> f = form();
    if (!f) return;
    runCatchingOutOfMemory(editor_.services, [&] { command(*f); });
    if (refreshMain_) refreshMain_();
}

}  // namespace tarpon
