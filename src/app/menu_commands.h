#pragma once
// The "&Option" and "&Table" menus.

namespace tarpon {

struct Editor;

enum EditMenuIndex { kEditUndo = 0, kEditRedo = 1 };
enum OptionMenuIndex { kOptionJump = 0, kOptionFind = 2, kOptionFindAgain = 3, kOptionCopy = 4 };
enum TableMenuIndex { kTableCreate = 0, kTableSave = 2, kTableLoad = 3, kTableMultiLetters = 4, kTableLoadAs = 6 };

void mnuEdit_Click(Editor& ed, int index);
// Undo and Redo are enabled while there is something to undo or redo.
void RefreshEditMenu(Editor& ed);
void mnuOption_Click(Editor& ed, int index);
void mnuTable_Click(Editor& ed, int index);
// The text pane's "Ascii" and "Table" captions; table letters still held are written first.
void SwitchViewMode(Editor& ed, int index);

}  // namespace tarpon
