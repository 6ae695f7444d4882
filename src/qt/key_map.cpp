#include "qt/key_map.h"

#include <QKeyEvent>

#include "screen/keys.h"

namespace tarpon {

int keyCodeOf(const QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Left: return kKeyLeft;
    case Qt::Key_Up: return kKeyUp;
    case Qt::Key_Right: return kKeyRight;
    case Qt::Key_Down: return kKeyDown;
    case Qt::Key_PageUp: return kKeyPageUp;
    case Qt::Key_PageDown: return kKeyPageDown;
    case Qt::Key_End: return kKeyEnd;
    case Qt::Key_Home: return kKeyHome;
    case Qt::Key_Escape: return kKeyEscape;
    case Qt::Key_Insert: return kKeyInsert;
    case Qt::Key_Delete: return kKeyDelete;
    case Qt::Key_Return:
    case Qt::Key_Enter: return kKeyEnter;
    case Qt::Key_Backspace: return kKeyBackspace;
    case Qt::Key_Tab: return kKeyTab;
    case Qt::Key_Shift: return kKeyShift;
    case Qt::Key_Control: return kKeyCtrl;
    case Qt::Key_Alt: return kKeyAlt;
    default: break;
    }
    const int key = event.key();
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)) return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return kKeyF1 + (key - Qt::Key_F1);
    return 0;
}

int shiftStateOf(Qt::KeyboardModifiers mods) {
    int shift = 0;
    if (mods & Qt::ShiftModifier) shift |= kShift;
    if (mods & Qt::ControlModifier) shift |= kCtrl;
    if (mods & Qt::AltModifier) shift |= kAlt;
    return shift;
}

int charCodeOf(const QKeyEvent& event) {
    // Qt gives Delete the text U+007F; it is an editing key, never a typed character.
    if (event.key() == Qt::Key_Delete) return -1;
    const QString text = event.text();
    if (text.size() != 1) return -1;
    const char16_t unit = text.at(0).unicode();
    return unit <= 0xFF ? static_cast<int>(unit) : -1;
}

int mouseButtonsOf(Qt::MouseButtons buttons) {
    int bits = 0;
    if (buttons & Qt::LeftButton) bits |= kLeftButton;
    if (buttons & Qt::RightButton) bits |= kRightButton;
    if (buttons & Qt::MiddleButton) bits |= kMiddleButton;
    return bits;
}

}  // namespace tarpon
