#pragma once
// The table editor: the 256 entries of the character table as a 16 x 16 grid,
// with a selected cell, typing into it, and the A-Z / a-z / 0-9 fills. Everything
// the window shows is plain data here; the Qt window only renders it.
#include <array>
#include <string>
#include <vector>

#include "core/char_table.h"
#include "core/table.h"
#include "core/table_fill.h"
#include "core/table_state.h"
#include "screen/main_view.h"

namespace tarpon {

struct Editor;

// One undoable change of the table editor: the entries it changed, each before and after.
struct EntryChange {
    int index = 0;  // the grid's entry, or kRowChange
    std::string before, after;
};
// A change made in the list: `before` and `after` are rows in the table file's syntax ("" for no entry).
inline constexpr int kRowChange = -1;
using TableStep = std::vector<EntryChange>;

struct TableEditor {
    TableEditor();

    std::string caption;
    int tblCursor = 0;         // the selected entry, 0..255
    bool dualLetters = false;  // typed characters are appended instead of replacing
    Pane PicTop, PicOffset, PicHex;
    std::array<Mark, 2> ShpTbl;  // 0: the selected cell; 1 is never shown
    VLine Line1;
    std::array<Button, 3> cmd;  // "A-Z", "a-z", "0-9"
    std::vector<TableStep> undoSteps, redoSteps;  // while the window is open
};

// The window's designed client size.
inline constexpr int kTableEditorWidth = 294;
inline constexpr int kTableEditorHeight = 348;

namespace frmTable {

// Empties every entry whose letters are exactly `szRepeats`, noting each in `step`.
void clearRepeats(TableState& table, const std::string& szRepeats, TableStep& step);

void paintTableHead(TableEditor& t, bool offsetMode);
void paintTableSide(TableEditor& t, bool offsetMode);
// `utf8`: the letters are UTF-8 text (else Latin-1).
// `kinds`: the table whose one-byte entries say which letters are end tokens and line breaks.
void paintTableHex(TableEditor& t, const CharTable& table, bool utf8, const Table* kinds = nullptr);
void SetTblCur(TableEditor& t);

void Form_Load(Editor& ed, TableEditor& t);
// outerWidth: the window's width including its frame.
void Form_Resize(Editor& ed, TableEditor& t, double outerWidth);
void Form_Unload(Editor& ed, TableEditor& t);

// Arrows move the selected cell, Ctrl switches dual letters, Delete empties the
// entry, Ctrl+Z undoes and Ctrl+Y or Ctrl+Shift+Z redoes the last change. True when
// the key is done with (the table may have changed): Delete, and every key with Ctrl
// or Alt, which never becomes a letter.
bool PicHex_KeyDown(Editor& ed, TableEditor& t, int keyCode, int shift);
void PicHex_KeyPress(Editor& ed, TableEditor& t, int k);
void PicHex_MouseDown(TableEditor& t, double x, double y);
void cmd_Click(Editor& ed, TableEditor& t, int index);
// Writes a fill (a table made from a search hit) as one undoable step and selects
// its first entry. Entries for other bytes stay; the table becomes UTF-8 first when
// the fill's letters need it (see prepareTableFill), and a message says so when that
// respelled letters above 0x7F. True when an entry changed.
bool FillEntries(Editor& ed, TableEditor& t, const TableFill& fill);
// The list of the other entries: Set applies a typed row ("8140=text"), Remove removes
// the entry a row names. Each change is one step for Ctrl+Z; a row that cannot be
// applied gets a message that says why. True when the table changed.
// Ctrl+Z (undo) and Ctrl+Y (redo) of the grid, for the list.
void UndoStep(Editor& ed, TableEditor& t, bool undo);
bool ListRow_Set(Editor& ed, TableEditor& t, const std::string& row);
bool ListRow_Remove(Editor& ed, TableEditor& t, const std::string& row);
// Makes the table file's logical table `part` (from 0) the one everything reads the
// document through, keeping the edits of the one left for saving. Not an edit of the
// document; the editor's Ctrl+Z steps, which were the other table's, are dropped. A
// table that cannot be chosen gets a message that says why. True when it changed.
bool ChooseTable(Editor& ed, TableEditor& t, size_t part);

}  // namespace frmTable
}  // namespace tarpon
