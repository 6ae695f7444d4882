#pragma once
// The windows are laid out in pixels for the font they were designed with, so their
// controls keep that font whatever size the desktop's font has: with a 16-point
// system font, captions such as "Page Down" or "From Offset:" would be cut off.
// Menus, message boxes and file choosers lay themselves out and keep the desktop's.
#include <QWidget>

namespace tarpon {

// Gives `window` and every control in it without a font of its own the designed
// window font (Arial 11 px). Call it once the window's controls exist.
void UseDesignedFont(QWidget& window);

}  // namespace tarpon
