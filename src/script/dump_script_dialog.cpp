#include "script/dump_script_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <utility>

#include "core/editor.h"
#include "core/plain_number.h"
#include "script/script_commands.h"

namespace tarpon {
namespace {

QString hexText(int64_t v) { return (v < 0 ? QStringLiteral("-0x") : QStringLiteral("0x")) + QString::number(v < 0 ? -v : v, 16).toUpper(); }

}  // namespace

DumpScriptDialog::DumpScriptDialog(Editor& editor, CommandTableLoader loadTables)
    : ModelessDialog(editor.services, false), editor_(editor), loadTables_(std::move(loadTables)) {
    setWindowTitle("Dump Script");
    setFixedSize(288, 196);
    auto* kinds = new QButtonGroup(this);
    const char* kindCaptions[] = {"A range of bytes:", "Strings a pointer table points at:"};
    for (size_t i = 0; i < kind.size(); ++i) {
        kind[i] = new QRadioButton(kindCaptions[i], this);
        kind[i]->setGeometry(8, i == 0 ? 8 : 52, 272, 15);
        kinds->addButton(kind[i]);
    }
    txtFrom = field("From:", 24, 26, 36, 80);
    txtTo = field("To:", 156, 26, 24, 80);
    txtTable = field("Table at:", 24, 70, 56, 64);
    txtCount = field("Pointers:", 156, 70, 52, 68);
    auto* sizeGroup = new QButtonGroup(this);
    const char* sizeCaptions[] = {"2 bytes", "3 bytes", "4 bytes"};
    for (size_t i = 0; i < sizes.size(); ++i) {
        sizes[i] = new QRadioButton(sizeCaptions[i], this);
        sizes[i]->setGeometry(24 + 64 * static_cast<int>(i), 94, 62, 15);
        sizeGroup->addButton(sizes[i]);
    }
    bigEndian = new QCheckBox("Big-endian", this);
    bigEndian->setGeometry(24, 114, 100, 15);
    txtAdd = field("Added:", 156, 112, 40, 80);
    txtLength = field("Longest string (0: to its end token):", 24, 136, 196, 56);
    cmdDump = new QPushButton("Dump...", this);
    cmdDump->setGeometry(200, 164, 80, 23);
    cmdDump->setAutoDefault(false);
    cmdDump->setDefault(true);
    cmdCommands = new QPushButton("From command file...", this);
    cmdCommands->setGeometry(8, 164, 130, 23);
    cmdCommands->setAutoDefault(false);
    connect(cmdCommands, &QPushButton::clicked, this, guarded([this] {
                if (DumpCommandFileToFile(editor_, loadTables_)) close();
            }));
    fill(dumpRequestOpening(editor_));
    connect(cmdDump, &QPushButton::clicked, this, guarded([this] {
                DumpRequest r;
                if (read(r) && DumpScriptToFile(editor_, r)) close();
            }));
}

QLineEdit* DumpScriptDialog::field(const char* caption, int left, int top, int labelWidth, int width) {
    auto* label = new QLabel(caption, this);
    label->setGeometry(left, top, labelWidth, 19);
    auto* edit = new QLineEdit(this);
    edit->setGeometry(left + labelWidth + 4, top, width, 19);
    return edit;
}

void DumpScriptDialog::fill(const DumpRequest& r) {
    kind[r.pointers ? 1 : 0]->setChecked(true);
    txtFrom->setText(hexText(r.from));
    txtTo->setText(hexText(r.to));
    txtTable->setText(hexText(r.tableAt));
    txtCount->setText(QString::number(r.count));
    sizes[static_cast<size_t>(std::clamp(r.p.size, 2, 4) - 2)]->setChecked(true);
    bigEndian->setChecked(r.p.bigEndian);
    txtAdd->setText(hexText(r.p.add));
    txtLength->setText(QString::number(r.maxLength));
}

bool DumpScriptDialog::read(DumpRequest& r) {
    const std::pair<QLineEdit*, int64_t*> fields[] = {{txtFrom, &r.from},   {txtTo, &r.to},       {txtTable, &r.tableAt},
                                                      {txtCount, &r.count}, {txtAdd, &r.p.add},   {txtLength, &r.maxLength}};
    for (const auto& [edit, value] : fields) {
        const std::optional<int64_t> n = readPlainNumber(edit->text().trimmed().toStdString());
        if (!n) {
            editor_.services.messageBox("\"" + edit->text().toStdString() +
                                        "\" is no number: decimal, or hexadecimal after 0x or $.");
            edit->setFocus();
            return false;
        }
        *value = *n;
    }
    r.pointers = kind[1]->isChecked();
    for (size_t i = 0; i < sizes.size(); ++i)
        if (sizes[i]->isChecked()) r.p.size = static_cast<int>(i) + 2;
    r.p.bigEndian = bigEndian->isChecked();
    return true;
}

}  // namespace tarpon
