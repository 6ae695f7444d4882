#pragma once
// What keyboard and screen-reader users need from a window, given once its
// widgets are in place: each caption tied to the field beside it or below it, a
// mnemonic (Alt+letter) for every button, box and captioned field, none used
// twice in the window, and an accessible name for every widget that takes the
// keyboard.
#include <QString>

class QWidget;

namespace tarpon {

void nameWidgetsAndMnemonics(QWidget& window);

// "&Find what:" -> "Find what": a caption as a name is read out.
QString spokenCaption(QString text);

// The letter after a lone "&" in a caption (lower case), or a null QChar.
QChar mnemonicOf(const QString& text);

}  // namespace tarpon
