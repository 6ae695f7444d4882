#include "app/menu_commands.h"

#include "core/editor.h"
#include "search/find.h"
#include "table/table_commands.h"

namespace tarpon {

void mnuOption_Click(Editor& ed, int index) {
    switch (index) {
    case kOptionJump:
        ed.services.openWindow(WindowKind::Jump);
        break;
    case kOptionCopy:
        ed.services.openWindow(WindowKind::Copy);
        break;
    case kOptionFind: ed.services.openWindow(WindowKind::Find); break;
    case kOptionFindAgain: FindAgain(ed); break;
    default:
        (void)ed;
        break;
    }
}

void mnuTable_Click(Editor& ed, int index) {
    switch (index) {
    case kTableCreate:
        ed.services.openWindow(WindowKind::TableEditor);
        break;
    case kTableSave:
        SaveTable(ed);
        break;
    case kTableLoad:
        LoadTable(ed);
        break;
    case kTableMultiLetters:
        ed.s.multiLetters = !ed.s.multiLetters;
        ed.v.menus[kMenuTable].items[kTableMultiLetters].checked = ed.s.multiLetters;
        break;
    default:
        break;
    }
}

}  // namespace tarpon
