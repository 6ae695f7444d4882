#include "app/menu_commands.h"

#include "app/editor.h"

namespace tarpon {

void mnuOption_Click(Editor& ed, int index) {
    switch (index) {
    case kOptionJump:
        ed.services.openWindow(WindowKind::Jump);
        break;
    case kOptionCopy:
        ed.services.openWindow(WindowKind::Copy);
        break;
    default:
        (void)ed;
        break;
    }
}

void mnuTable_Click(Editor& ed, int index) {
    switch (index) {
    default:
        (void)ed;
        break;
    }
}

}  // namespace tarpon
