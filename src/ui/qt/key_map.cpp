#include "ui/qt/key_map.h"

#include <QKeyEvent>

namespace tarpon {

int keyCodeOf(const QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    default: break;
    }
    const int key = event.key();
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)) return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 112 + (key - Qt::Key_F1);
    return 0;
}

int shiftStateOf(Qt::KeyboardModifiers mods) {
    int shift = 0;
    if (mods & Qt::ShiftModifier) shift |= 1;
    if (mods & Qt::ControlModifier) shift |= 2;
    if (mods & Qt::AltModifier) shift |= 4;
    return shift;
}

int charCodeOf(const QKeyEvent& event) {
    const QString text = event.text();
    if (text.size() != 1) return -1;
    const char16_t unit = text.at(0).unicode();
    return unit <= 0xFF ? static_cast<int>(unit) : -1;
}

int mouseButtonsOf(Qt::MouseButtons buttons) {
    int bits = 0;
    if (buttons & Qt::LeftButton) bits |= 1;
    if (buttons & Qt::RightButton) bits |= 2;
    if (buttons & Qt::MiddleButton) bits |= 4;
    return bits;
}

}  // namespace tarpon
