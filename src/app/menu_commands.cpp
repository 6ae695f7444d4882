#include "app/menu_commands.h"

#include "app/file_commands.h"
#include "app/pane_clipboard.h"
#include "app/script_sources.h"
#include "core/edits.h"
#include "core/editor.h"
#include "edit/text_input.h"
#include "edit/undo.h"
#include "script/script_commands.h"
#include "search/find.h"
#include "search/pointers.h"
#include "table/table_commands.h"
#include "view/modes.h"
#include "view/painting.h"

namespace tarpon {

void RunMenuCommand(Editor& ed, int menu, int index) {
    const auto& items = ed.v.menus[static_cast<size_t>(menu)].items;
    if (index < 0 || static_cast<size_t>(index) >= items.size() || !items[static_cast<size_t>(index)].enabled) return;
    endTypingRun(ed.s);
    if (menu == kMenuFile) mnuFile_Click(ed, index);
    else if (menu == kMenuEdit) mnuEdit_Click(ed, index);
    else if (menu == kMenuOption) mnuOption_Click(ed, index);
    else if (menu == kMenuTable) mnuTable_Click(ed, index);
}

void mnuEdit_Click(Editor& ed, int index) {
    switch (index) {
    case kEditUndo: Undo(ed); break;
    case kEditRedo: Redo(ed); break;
    case kEditCopy: CopyFromPane(ed); break;
    case kEditPaste: PasteIntoPane(ed); break;
    default: break;
    }
    RefreshEditMenu(ed);
}

void RefreshEditMenu(Editor& ed) {
    std::vector<MenuItem>& items = ed.v.menus[kMenuEdit].items;
    // Letters still held in the text pane count: Undo writes and then takes them back.
    items[kEditUndo].enabled = ed.s.doc.history.canUndo() || !ed.s.typing.typedLetters.empty();
    items[kEditRedo].enabled = ed.s.doc.history.canRedo();
    items[kEditCopy].enabled = items[kEditPaste].enabled = canUseClipboard(ed.s);
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
    case kOptionFindPrevious: FindPrevious(ed); break;
    case kOptionReplace:
        CommitTypedLetters(ed);  // the window changes bytes
        ed.services.openWindow(WindowKind::Replace);
        break;
    case kOptionFindPointers: ed.services.openWindow(WindowKind::Pointers); break;
    case kOptionFollowPointer: FollowPointer(ed, ed.s.search.pointers); break;
    default:
        (void)ed;
        break;
    }
}

void SwitchViewMode(Editor& ed, int index) {
    CommitTypedLetters(ed);
    lblViewMode_Click(ed, index);
}

void ReadTableFromHere(Editor& ed) {
    CommitTypedLetters(ed);  // written through the letters as they are read now
    if (ed.s.cursor() >= ed.s.doc.fileSize) return;
    ed.s.doc.letters.toggleStart(ed.s.cursor());
    PaintTextPane(ed);
}

void mnuTable_Click(Editor& ed, int index) {
    switch (index) {
    case kTableCreate:
        CommitTypedLetters(ed);  // written through the table as it is now, before it can change
        ed.services.openWindow(WindowKind::TableEditor);
        break;
    case kTableSave:
        SaveTable(ed);
        break;
    case kTableLoad:
        CommitTypedLetters(ed);  // they were typed through the table that is being replaced
        LoadTable(ed);
        break;
    case kTableDumpScript: ed.services.openWindow(WindowKind::DumpScript); break;
    case kTableReadFromHere: ReadTableFromHere(ed); break;
    case kTableInsertScript:
        CommitTypedLetters(ed);  // the insert changes bytes
        InsertScriptFile(ed, scriptSourcesOnDisk);
        break;
    case kTableLoadAs:
        CommitTypedLetters(ed);
        LoadTableAs(ed);
        break;
    case kTableMultiLetters:
        if (ed.s.typing.multiLetters) CommitTypedLetters(ed);  // held letters are written as ending typing does
        ed.s.typing.multiLetters = !ed.s.typing.multiLetters;
        ed.v.menus[kMenuTable].items[kTableMultiLetters].checked = ed.s.typing.multiLetters;
        break;
    default:
        break;
    }
}

}  // namespace tarpon
