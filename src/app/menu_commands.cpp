#include "app/menu_commands.h"

#include "core/editor.h"
#include "edit/text_input.h"
#include "edit/undo.h"
#include "search/find.h"
#include "table/table_commands.h"
#include "view/modes.h"

namespace tarpon {

void mnuEdit_Click(Editor& ed, int index) {
    if (index == kEditUndo) Undo(ed);
    else if (index == kEditRedo) Redo(ed);
    RefreshEditMenu(ed);
}

void RefreshEditMenu(Editor& ed) {
    std::vector<MenuItem>& items = ed.v.menus[kMenuEdit].items;
    // Letters still held in the text pane count: Undo writes and then takes them back.
    items[kEditUndo].enabled = ed.s.history.canUndo() || !ed.s.typedLetters.empty();
    items[kEditRedo].enabled = ed.s.history.canRedo();
}

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

void SwitchViewMode(Editor& ed, int index) {
    CommitTypedLetters(ed);
    lblViewMode_Click(ed, index);
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
        CommitTypedLetters(ed);  // they were typed through the table that is being replaced
        LoadTable(ed);
        break;
    case kTableLoadAs:
        CommitTypedLetters(ed);
        LoadTableAs(ed);
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
