#include "app/menu_commands.h"

#include "app/editor.h"
#include "search/find.h"

namespace tarpon {

void mnuOption_Click(Editor& ed, int index) {
    switch (index) {
    case kOptionFind: ed.services.openWindow(WindowKind::Find); break;
    case kOptionFindAgain: FindAgain(ed); break;
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
