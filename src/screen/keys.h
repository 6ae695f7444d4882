#pragma once
// The key codes, shift bits and mouse buttons the handlers receive: the classic
// desktop numbers, which the Qt key map produces from Qt's own events.
namespace tarpon {

enum KeyCode {
    kKeyBackspace = 8,
    kKeyTab = 9,
    kKeyEnter = 13,
    kKeyShift = 16,
    kKeyCtrl = 17,
    kKeyAlt = 18,
    kKeyEscape = 27,
    kKeyPageUp = 33,
    kKeyPageDown = 34,
    kKeyEnd = 35,
    kKeyHome = 36,
    kKeyLeft = 37,
    kKeyUp = 38,
    kKeyRight = 39,
    kKeyDown = 40,
    kKeyInsert = 45,
    kKeyDelete = 46,
    kKeyF1 = 112,
};

enum ShiftBits { kShift = 1, kCtrl = 2, kAlt = 4 };

enum MouseButtons { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };

}  // namespace tarpon
