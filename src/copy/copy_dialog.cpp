#include "copy/copy_dialog.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QValidator>
#include <functional>

#include "core/editor.h"
#include "qt/key_map.h"
#include "qt/pane_widget.h"
#include "qt/text_fields.h"

namespace tarpon {
namespace {

std::string latin1(const QString& text) { return text.toLatin1().toStdString(); }

// Holds an offset field to the digits of the chosen radix, for pasted text as for typed.
class OffsetValidator : public QValidator {
public:
    OffsetValidator(std::function<OffsetRadix()> radix, QObject* parent)
        : QValidator(parent), radix_(std::move(radix)) {}
    State validate(QString& input, int& /*pos*/) const override {
        const QByteArray bytes = input.toUtf8();
        const std::optional<std::string> accepted =
            acceptedOffsetText(std::string_view(bytes.data(), static_cast<size_t>(bytes.size())), radix_());
        if (!accepted) return Invalid;
        input = QString::fromLatin1(accepted->data(), static_cast<qsizetype>(accepted->size()));
        return Acceptable;
    }

private:
    std::function<OffsetRadix()> radix_;
};
QString fromLatin1(const std::string& text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

CopyDialog::CopyDialog(Editor& editor, QWidget* mainWindow)
    : ModelessDialog(editor.services, false), editor_(editor) {
    setWindowTitle("Copy");
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    connect(mainWindow, &QObject::destroyed, this, [this] {
        hide();
        deleteLater();
    });
    setFixedSize(264, 160);
    buildWidgets();
    fill(copyFormOpening(editor_.s));
    updateExample();
    wireEvents();
}

void CopyDialog::buildWidgets() {
    const char* labels[] = {"From Offset:", "To Offset:"};
    for (int i = 0; i < 2; ++i) {
        const auto k = static_cast<size_t>(i);
        Label_[k] = new QLabel(labels[i], this);
        Label_[k]->setGeometry(8, 16 + 24 * i, 70, 19);
        txtOffset_[k] = new QLineEdit(this);
        txtOffset_[k]->setGeometry(80, 16 + 24 * i, 81, 19);
        txtOffset_[k]->setMaxLength(8);
        txtOffset_[k]->setValidator(new OffsetValidator([this] { return form().offsetRadix; }, txtOffset_[k]));
    }
    auto* frame1 = new QGroupBox(this);
    frame1->setGeometry(176, 16, 81, 56);
    const char* radixes[] = {"Hex Offset", "Dec Offset", "Oct Offset"};
    for (int i = 0; i < 3; ++i) {
        OptOffset_[static_cast<size_t>(i)] = new QRadioButton(radixes[i], frame1);
        OptOffset_[static_cast<size_t>(i)]->setGeometry(4, 4 + 16 * i, 76, 16);
    }
    auto* before = new QLabel("Before each Value:", this);
    before->setGeometry(8, 80, 100, 17);
    txtBefore_ = new QLineEdit(this);
    txtBefore_->setGeometry(8, 104, 97, 19);
    auto* after = new QLabel("After Each Value", this);
    after->setGeometry(112, 80, 92, 17);
    txtAfter_ = new QLineEdit(this);
    txtAfter_->setGeometry(112, 104, 89, 19);
    const char* types[] = {"Value", "Ascii", "Table"};
    for (int i = 0; i < 3; ++i) {
        OptType_[static_cast<size_t>(i)] = new QRadioButton(types[i], this);
        OptType_[static_cast<size_t>(i)]->setGeometry(208, 80 + 16 * i, 56, 16);
    }
    lblExample_ = new QLabel(this);
    lblExample_->setGeometry(16, 136, 153, 17);
    lblExample_->setFont(toQFont(FontSpec{"Courier New", 11, false}));
    lblExample_->setTextFormat(Qt::PlainText);
    cmdCopy_ = new QPushButton("Copy To Clip", this);
    cmdCopy_->setGeometry(184, 128, 73, 25);
    cmdCopy_->setDefault(true);
    setTabOrder(txtOffset_[0], txtOffset_[1]);
}

void CopyDialog::wireEvents() {
    for (QLineEdit* field : txtOffset_) field->installEventFilter(this);
    for (QLabel* label : Label_) label->installEventFilter(this);
    for (int i = 0; i < 3; ++i) {
        connect(OptOffset_[static_cast<size_t>(i)], &QRadioButton::clicked, this, [this, i] {
            CopyForm f = form();
            OptOffset_Click(f, i);
            fill(f);
        });
        connect(OptType_[static_cast<size_t>(i)], &QRadioButton::clicked, this, [this] { updateExample(); });
    }
    connect(txtBefore_, &QLineEdit::textChanged, this, [this] { updateExample(); });
    connect(txtAfter_, &QLineEdit::textChanged, this, [this] { updateExample(); });
    connect(cmdCopy_, &QPushButton::clicked, this, guarded([this] {
                const std::optional<CopyForm> f = formToCopy();
                if (f && cmdCopy_Click(editor_, *f)) close();
            }));
}

CopyForm CopyDialog::form() const {
    CopyForm f;
    f.txtOffset = {latin1(txtOffset_[0]->text()), latin1(txtOffset_[1]->text())};
    for (int i = 0; i < 3; ++i) {
        if (OptOffset_[static_cast<size_t>(i)]->isChecked()) f.offsetRadix = static_cast<OffsetRadix>(i);
        if (OptType_[static_cast<size_t>(i)]->isChecked()) f.type = static_cast<CopyType>(i);
    }
    f.txtBefore = latin1(txtBefore_->text());
    f.txtAfter = latin1(txtAfter_->text());
    return f;
}

std::optional<CopyForm> CopyDialog::formToCopy() const {
    CopyForm f = form();
    if (copyTextIsUtf8(editor_.s, f.type)) {
        f.txtBefore = utf8Text(txtBefore_->text());
        f.txtAfter = utf8Text(txtAfter_->text());
        return f;
    }
    const auto before = latin1Text(txtBefore_->text(), editor_.services, "\"Before each Value\"");
    const auto after = before ? latin1Text(txtAfter_->text(), editor_.services, "\"After Each Value\"") : std::nullopt;
    if (!after) return std::nullopt;
    f.txtBefore = *before;
    f.txtAfter = *after;
    return f;
}

void CopyDialog::fill(const CopyForm& f) {
    for (size_t i = 0; i < 2; ++i) txtOffset_[i]->setText(fromLatin1(f.txtOffset[i]));
    OptOffset_[static_cast<size_t>(f.offsetRadix)]->setChecked(true);
    OptType_[static_cast<size_t>(f.type)]->setChecked(true);
    txtBefore_->setText(fromLatin1(f.txtBefore));
    txtAfter_->setText(fromLatin1(f.txtAfter));
}

void CopyDialog::updateExample() {
    // The preview shows the texts as typed; a character that cannot be copied is refused on copying.
    const CopyForm f = form();
    const std::string example = UpdateCopyExample(f.type, utf8Text(txtBefore_->text()), utf8Text(txtAfter_->text()));
    lblExample_->setText(QString::fromUtf8(example.data(), static_cast<qsizetype>(example.size())));
}

bool CopyDialog::filterOffsetKey(QLineEdit* field, QKeyEvent* event) {
    // Only typed characters are filtered: Tab, Backspace, Delete, Enter, Escape, the
    // arrows and the Ctrl clipboard keys do their usual work in the field and the window.
    const QString text = event->text();
    if (text.size() != 1 || !isTypedCharacter(text.at(0).unicode(), shiftStateOf(event->modifiers()))) return false;
    const int ch = charCodeOf(*event);  // -1 outside Latin-1: never a digit
    const int received = ch < 0 ? 0 : txtOffset_KeyPress(latin1(field->text()), form().offsetRadix, ch);
    if (received == 0) return true;
    if (received == ch) return false;
    field->insert(QString(QChar(received)));
    return true;
}

bool CopyDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        for (QLineEdit* field : txtOffset_)
            if (watched == field) return filterOffsetKey(field, static_cast<QKeyEvent*>(event));
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        for (QLabel* label : Label_)
            if (watched == label) {
                CopyForm f = form();
                Label_DblClick(f);
                fill(f);
                return true;
            }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace tarpon
