#pragma once
// The "&Option" and "&Table" menus.

namespace tarpon {

struct Editor;

enum EditMenuIndex { kEditUndo = 0, kEditRedo = 1, kEditCopy = 3, kEditPaste = 4 };
enum OptionMenuIndex {
    kOptionJump = 0,
    kOptionFind = 2,
    kOptionFindAgain = 3,
    kOptionFindPrevious = 4,
    kOptionReplace = 5,
    kOptionFindPointers = 6,
    kOptionFollowPointer = 7,
    kOptionCopy = 8
};
enum TableMenuIndex { kTableCreate = 0, kTableSave = 2, kTableLoad = 3, kTableMultiLetters = 4, kTableLoadAs = 6,
                      kTableDumpScript = 8, kTableInsertScript = 9, kTableReadFromHere = 11 };

// Any menu command: it ends the typing run first, so typing after it is a step of its own.
void RunMenuCommand(Editor& ed, int menu, int index);
void mnuEdit_Click(Editor& ed, int index);
// Undo and Redo are enabled while there is something to undo or redo; Copy and Paste
// while the hex or text pane has the keyboard and the document has bytes.
void RefreshEditMenu(Editor& ed);
void mnuOption_Click(Editor& ed, int index);
void mnuTable_Click(Editor& ed, int index);
// "Read Table From Here": the cursor's byte starts a letter in Table view (a key
// read before it ends there), or no longer does when it was chosen before. A new
// document clears every such choice.
void ReadTableFromHere(Editor& ed);
// The text pane's "Ascii" and "Table" captions; table letters still held are written first.
void SwitchViewMode(Editor& ed, int index);

}  // namespace tarpon
