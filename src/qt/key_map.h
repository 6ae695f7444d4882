#pragma once
// Qt's key events in the editor's terms: the classic key codes, shift bits
// 1 Shift / 2 Ctrl / 4 Alt, and one Latin-1 character code per typed character.
#include <Qt>

class QKeyEvent;

namespace tarpon {

int keyCodeOf(const QKeyEvent& event);       // 0 when the key has no code of its own
int shiftStateOf(Qt::KeyboardModifiers mods);
int charCodeOf(const QKeyEvent& event);      // -1: no character, or one outside Latin-1
int mouseButtonsOf(Qt::MouseButtons buttons);

}  // namespace tarpon
