#include "qt/window_access.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSet>

namespace tarpon {
namespace {

bool takesKeyboard(const QWidget* w) { return (w->focusPolicy() & Qt::TabFocus) != 0; }

// The field a caption names: the nearest one that takes the keyboard on its row to
// its right, else just below it.
QWidget* fieldOf(const QLabel* label) {
    const QRect at = label->geometry();
    QWidget* best = nullptr;
    int bestDistance = 0;
    for (QObject* o : label->parentWidget()->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w == label || !takesKeyboard(w) || qobject_cast<QAbstractButton*>(w)) continue;
        const QRect g = w->geometry();
        const bool sameRow = g.top() < at.bottom() && at.top() < g.bottom() && g.left() >= at.left();
        const bool below = g.top() >= at.top() && g.top() - at.bottom() <= 12 && g.left() < at.right() &&
                           at.left() < g.right();
        if (!sameRow && !below) continue;
        const int distance = sameRow ? g.left() - at.right() : g.top() - at.bottom() + 1000;
        if (!best || distance < bestDistance) best = w, bestDistance = distance;
    }
    return best;
}

QString textOf(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    return {};
}

void setTextOf(QWidget* w, const QString& text) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setText(text);
    else if (auto* l = qobject_cast<QLabel*>(w)) l->setText(text);
}

// Puts "&" before the first letter of the caption not yet used in the window, word starts first.
void giveMnemonic(QWidget* w, QSet<QChar>& used) {
    const QString text = textOf(w);
    if (text.isEmpty() || !mnemonicOf(text).isNull()) return;
    for (const bool wordStart : {true, false})
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i).toLower();
            if (!c.isLetterOrNumber() || used.contains(c)) continue;
            if (wordStart && i > 0 && text.at(i - 1).isLetterOrNumber()) continue;
            used.insert(c);
            setTextOf(w, QString(text).insert(i, '&'));
            return;
        }
}

}  // namespace

QChar mnemonicOf(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) != '&') continue;
        if (text.at(i + 1) != '&') return text.at(i + 1).toLower();
        ++i;
    }
    return {};
}

QString spokenCaption(QString text) {
    text.replace("&&", "\x01").remove('&').replace("\x01", "&");
    text = text.trimmed();
    if (text.endsWith(':')) text.chop(1);
    return text;
}

void nameWidgetsAndMnemonics(QWidget& window) {
    QList<QWidget*> captioned;
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (label->text().isEmpty() || label->buddy()) continue;
        QWidget* field = fieldOf(label);
        if (!field || field->property("captioned").toBool()) continue;
        field->setProperty("captioned", true);
        label->setBuddy(field);
        if (field->accessibleName().isEmpty()) field->setAccessibleName(spokenCaption(label->text()));
        captioned.push_back(label);
    }
    QList<QWidget*> named;
    for (QAbstractButton* b : window.findChildren<QAbstractButton*>()) named.push_back(b);
    named += captioned;
    QSet<QChar> used;
    for (QWidget* w : named)
        if (const QChar m = mnemonicOf(textOf(w)); !m.isNull()) used.insert(m);
    for (QWidget* w : named) giveMnemonic(w, used);
    const QString title = spokenCaption(window.windowTitle());
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!takesKeyboard(w) || !w->accessibleName().isEmpty()) continue;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) w->setAccessibleName(spokenCaption(b->text()));
        else if (qobject_cast<QAbstractItemView*>(w)) w->setAccessibleName(title + " list");
        else if (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w)) w->setAccessibleName(title + " field");
        else w->setAccessibleName(title);
    }
}

}  // namespace tarpon
