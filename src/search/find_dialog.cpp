#include "search/find_dialog.h"

#include <QCheckBox>
#include <QComboBox>
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
    setFixedSize(240, 164);
    buildControls();
    buildAlphabetControls();
    txtVal->setFocus();
    // Enter in the search text searches; Esc closes the dialog (QDialog's own handling).
    connect(cmdFind, &QPushButton::clicked, this, guarded([this] { find(); }));
    connect(cmdFindAll, &QPushButton::clicked, this, guarded([this] { findAll(); }));
    connect(Check1, &QCheckBox::toggled, this, [this] { enableAlphabet(); });
    connect(Opt[0], &QRadioButton::toggled, this, [this] { enableAlphabet(); });
    connect(cboAlphabet, &QComboBox::currentIndexChanged, this, [this] { enableAlphabet(); });
    enableAlphabet();
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
    cmdFind->setDefault(true);  // Enter anywhere in the window finds
    auto* label = new QLabel("Wild Card:", this);
    label->setFont(bold());
    label->setGeometry(120, 64, 65, 17);
    txtWildcard = new QLineEdit(this);
    txtWildcard->setGeometry(192, 64, 33, 19);
    Check1 = new QCheckBox("Relative Search:", this);
    Check1->setFont(bold());
    Check1->setGeometry(88, 88, 137, 13);
}

void FindDialog::buildAlphabetControls() {
    auto* label = new QLabel("Alphabet:", this);
    label->setFont(bold());
    label->setGeometry(8, 112, 62, 17);
    cboAlphabet = new QComboBox(this);
    cboAlphabet->addItems({"ASCII", "Hiragana", "Katakana", QString::fromUtf8("Custom\u2026")});
    cboAlphabet->setGeometry(72, 110, 89, 21);
    cmdFindAll = new QPushButton("Find All", this);
    cmdFindAll->setGeometry(168, 112, 57, 17);
    cmdFindAll->setAutoDefault(false);
    txtAlphabet = new QLineEdit(this);
    txtAlphabet->setGeometry(8, 136, 225, 19);
    txtAlphabet->setPlaceholderText("the custom alphabet's letters, in order");
    txtAlphabet->setText(QString::fromStdString(editor_.s.search.customAlphabet));
    // Kept as typed, for the next opening, whether or not a search used it.
    connect(txtAlphabet, &QLineEdit::textEdited, this,
            [this](const QString& text) { editor_.s.search.customAlphabet = utf8Text(text); });
}

void FindDialog::enableAlphabet() {
    const bool relativeText = Check1->isChecked() && Opt[0]->isChecked();
    cboAlphabet->setEnabled(relativeText);
    cmdFindAll->setEnabled(relativeText);
    txtAlphabet->setEnabled(relativeText && cboAlphabet->currentIndex() == static_cast<int>(AlphabetKind::Custom));
}

std::optional<Alphabet> FindDialog::readAlphabet() {
    switch (static_cast<AlphabetKind>(cboAlphabet->currentIndex())) {
    case AlphabetKind::Hiragana: return hiraganaAlphabet();
    case AlphabetKind::Katakana: return katakanaAlphabet();
    case AlphabetKind::Custom: break;
    default: return Alphabet{};
    }
    editor_.s.search.customAlphabet = utf8Text(txtAlphabet->text());
    std::string problem;
    auto alphabet = customAlphabet(editor_.s.search.customAlphabet, &problem);
    if (!alphabet) editor_.services.messageBox(problem);
    return alphabet;
}

std::optional<FindForm> FindDialog::readForm() {
    if (txtVal->text().isEmpty()) return std::nullopt;  // nothing to search for, and nothing to say
    FindForm form;
    for (size_t i = 0; i < Opt.size(); ++i)
        if (Opt[i]->isChecked()) form.kind = static_cast<PatternKind>(i);
    form.relative = Check1->isChecked();
    if (form.relative && form.kind == PatternKind::Ascii) {
        auto alphabet = readAlphabet();
        if (!alphabet) return std::nullopt;
        form.alphabet = std::move(*alphabet);
    }
    if (findTextIsUtf8(editor_, form)) {
        form.text = utf8Text(txtVal->text());
        form.wildcard = utf8Text(txtWildcard->text());
        return form;
    }
    const auto text = latin1Text(txtVal->text(), editor_.services, "the search text");
    const auto wildcard = text ? latin1Text(txtWildcard->text(), editor_.services, "the wild card") : std::nullopt;
    if (!wildcard) return std::nullopt;
    form.text = *text;
    form.wildcard = *wildcard;
    return form;
}

void FindDialog::find() {
    const auto form = readForm();
    if (!form) return;
    cmdFind_Click(editor_, *form);
    if (refreshMain_) refreshMain_();
}

// The list takes the dialog's place, so that the main window is usable while the user looks at the hits.
void FindDialog::findAll() {
    const auto form = readForm();
    if (!form) return;
    std::optional<HitList> hits = cmdFindAll_Click(editor_, *form);
    if (refreshMain_) refreshMain_();
    if (!hits || !showHits) return;
    const auto show = showHits;
    close();
    show(std::move(*hits));
}

}  // namespace tarpon
