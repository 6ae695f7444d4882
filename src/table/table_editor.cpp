#include "table/table_editor.h"

#include <algorithm>
#include <cmath>

#include "core/editor.h"
#include "core/number_text.h"
#include "core/rounding.h"
#include "core/text_coding.h"
#include "screen/keys.h"
#include "screen/style.h"
#include "table/table_list.h"
#include "table/tbl_file.h"
#include "view/letter_fit.h"
#include "view/painting.h"

namespace tarpon {
namespace {

constexpr char kCaption[] = "Edit Table";
constexpr char kDualCaption[] = " - Dual Letters";

// Narrower grids than this would make the cell width vanish.
constexpr double kMinGridWidth = 17;

double cellWidth(const TableEditor& t) { return t.PicHex.width() / 17.0; }

int clampEntry(int64_t index) { return static_cast<int>(std::clamp<int64_t>(index, 0, 255)); }

// What a grid cell shows, as UTF-8: the letters fitted to one cell, "." when there
// are none, and "." for each letter that cannot be drawn.
FittedLetter cellText(const std::string& entry, bool utf8, const Table* kinds, int b) {
    if (entry.empty()) return {".", false, false, false, false};
    const char key = static_cast<char>(b);
    const TableEntry* known = kinds ? kinds->find(std::string_view(&key, 1)) : nullptr;
    return fitLetter(entry, utf8, known ? known->kind : EntryKind::Letter, 1);
}

void setCaption(TableEditor& t) { t.caption = t.dualLetters ? std::string(kCaption) + kDualCaption : kCaption; }

void tableChanged(Editor& ed, TableEditor& t) {
    PaintTextPane(ed);
    frmTable::paintTableHex(t, ed.s.table.charTable(), ed.s.table.utf8(), &ed.s.table.model());
}

// The step keeps the letters as the table keeps them, so that undoing gives them back.
void setEntry(TableState& table, int index, const std::string& value, TableStep& step) {
    const std::string before = table.letters(static_cast<size_t>(index));
    if (before == value) return;
    table.setLetters(static_cast<size_t>(index), value);
    step.push_back({index, before, table.letters(static_cast<size_t>(index))});
}

// Keeps a step that changed something for Undo; a new change drops what could be redone.
void keepStep(Editor& ed, TableEditor& t, TableStep step) {
    if (step.empty()) return;
    t.undoSteps.push_back(std::move(step));
    t.redoSteps.clear();
    tableChanged(ed, t);
}

std::string utf8FromLatin1(const std::string& latin1) {
    std::string out;
    for (const char c : latin1) out += utf8Of(static_cast<uint8_t>(c));
    return out;
}

// The table's letters have just become UTF-8: the grid's steps that kept Latin-1 letters
// are respelled, so that undoing and redoing them stays right.
void respellSteps(TableEditor& t) {
    for (std::vector<TableStep>* steps : {&t.undoSteps, &t.redoSteps})
        for (TableStep& step : *steps)
            for (EntryChange& c : step)
                if (c.index != kRowChange) c.before = utf8FromLatin1(c.before), c.after = utf8FromLatin1(c.after);
}

// A change made in the list makes the table's letters UTF-8: the steps kept before follow.
void followSpelling(Editor& ed, TableEditor& t, bool wasUtf8) {
    if (!wasUtf8 && ed.s.table.utf8()) respellSteps(t);
}

void replayChange(Editor& ed, TableEditor& t, const EntryChange& c, bool undo) {
    if (c.index == kRowChange) {
        const bool wasUtf8 = ed.s.table.utf8();
        ed.s.table.edit([&](Table& table) { replayRowChange(table, RowChange{c.before, c.after}, undo); });
        followSpelling(ed, t, wasUtf8);
    } else {
        ed.s.table.setLetters(static_cast<size_t>(c.index), undo ? c.before : c.after);
    }
}

// Undo (from undoSteps to redoSteps) or redo (the other way).
void replayStep(Editor& ed, TableEditor& t, bool undo) {
    std::vector<TableStep>& from = undo ? t.undoSteps : t.redoSteps;
    if (from.empty()) return;
    TableStep step = std::move(from.back());
    from.pop_back();
    if (undo)
        for (auto c = step.rbegin(); c != step.rend(); ++c) replayChange(ed, t, *c, true);
    else
        for (const EntryChange& c : step) replayChange(ed, t, c, false);
    (undo ? t.redoSteps : t.undoSteps).push_back(std::move(step));
    tableChanged(ed, t);
}

// Runs a list edit on the editor's table; a change becomes a step, a problem a message.
template <typename Edit>
bool listEdit(Editor& ed, TableEditor& t, const std::string& row, const char* failed, Edit edit) {
    RowChange change;
    const bool wasUtf8 = ed.s.table.utf8();
    const std::string problem = ed.s.table.edit([&](Table& table) { return edit(table, row, &change); });
    if (!problem.empty()) {
        ed.s.table.spellUtf8(wasUtf8);  // nothing changed: the letters keep their spelling
        ed.services.messageBox("\"" + row + "\" was not " + failed + ": " + problem + ".");
        return false;
    }
    followSpelling(ed, t, wasUtf8);
    if (change.before == change.after) return false;
    keepStep(ed, t, TableStep{{kRowChange, change.before, change.after}});
    return true;
}

}  // namespace

TableEditor::TableEditor()
    : caption(kCaption),
      PicTop({0, 0, 289, 25}, kHeadBack, kWindowDefault, kSystemWindowText),
      PicOffset({0, 24, 25, 297}, kHeadBack, kCourier, kSystemWindowText),
      PicHex({24, 24, 265, 297}, kWhite, kCourier, kMarkBlue),
      Line1{23, 0, 24},
      cmd{Button{{8, 328, 81, 17}, "A-Z"}, Button{{104, 328, 81, 17}, "a-z"}, Button{{200, 328, 81, 17}, "0-9"}} {
    ShpTbl[0].height = 20;
    ShpTbl[0].rop = RasterOp::MaskNotPen;
    ShpTbl[0].fill = kMarkBlue;
    ShpTbl[1].visible = false;
}

namespace frmTable {

void clearRepeats(TableState& table, const std::string& szRepeats, TableStep& step) {
    for (size_t i = 0; i < 256; ++i)
        if (table.letters(i) == szRepeats) setEntry(table, static_cast<int>(i), "", step);
}

void paintTableHead(TableEditor& t, bool offsetMode) {
    t.PicTop.clear();
    const double cw = cellWidth(t);
    for (int c = 0; c < 16; ++c)
        t.PicTop.drawText(roundHalfEven(c * cw + cw / 2) + 25, 5, PadNumber(c, offsetMode, 1));
}

void paintTableSide(TableEditor& t, bool offsetMode) {
    t.PicOffset.clear();
    for (int r = 0; r < 16; ++r) t.PicOffset.drawText(7, 18 * r + 5, PadNumber(r, offsetMode, 1));
}

void paintTableHex(TableEditor& t, const CharTable& table, bool utf8, const Table* kinds) {
    t.PicHex.clear();
    const double cw = cellWidth(t);
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 16; ++c) {
            const FittedLetter cell = cellText(table[static_cast<size_t>(16 * r + c)], utf8, kinds, 16 * r + c);
            const double x = roundHalfEven(c * cw + cw / 2);
            t.PicHex.drawUtf8TextWithin(x, 18 * r + 5, cell.text, roundHalfEven((c + 1) * cw + cw / 2) - x,
                                        cell.narrowed);
        }
}

void SetTblCur(TableEditor& t) {
    const double cw = cellWidth(t);
    Mark& box = t.ShpTbl[0];
    box.width = cw + cw / 17 + 1;
    box.left = (t.tblCursor % 16) * cw + cw / 4;
    box.top = (t.tblCursor / 16) * 18 + 2;
    box.height = 20;
}

void Form_Load(Editor& ed, TableEditor& t) {
    SetTblCur(t);
    paintTableHead(t, ed.s.view.offsetMode);
    paintTableSide(t, ed.s.view.offsetMode);
    paintTableHex(t, ed.s.table.charTable(), ed.s.table.utf8(), &ed.s.table.model());
    ed.services.setMainWindowEnabled(false);
}

void Form_Resize(Editor& ed, TableEditor& t, double outerWidth) {
    t.PicHex.geom.width = std::max(kMinGridWidth, outerWidth - t.PicOffset.width() - 10);
    t.PicTop.geom.width = std::max(1.0, outerWidth - 11);
    paintTableHead(t, ed.s.view.offsetMode);
    paintTableHex(t, ed.s.table.charTable(), ed.s.table.utf8(), &ed.s.table.model());
    SetTblCur(t);
}

void Form_Unload(Editor& ed, TableEditor& /*t*/) { ed.services.setMainWindowEnabled(true); }

bool PicHex_KeyDown(Editor& ed, TableEditor& t, int keyCode, int shift) {
    int64_t cursor = t.tblCursor;
    switch (keyCode) {
    case kKeyUp: cursor -= 16; break;
    case kKeyDown: cursor += 16; break;
    case kKeyLeft: cursor -= 1; break;
    case kKeyRight: cursor += 1; break;
    default: break;
    }
    t.tblCursor = clampEntry(cursor);
    SetTblCur(t);
    if ((shift & kCtrl) != 0 || keyCode == kKeyCtrl) t.dualLetters = !t.dualLetters;
    setCaption(t);
    if ((shift & kCtrl) != 0 && (keyCode == 'Z' || keyCode == 'Y'))
        replayStep(ed, t, keyCode == 'Z' && (shift & kShift) == 0);
    if (keyCode == kKeyDelete) {
        TableStep step;
        setEntry(ed.s.table, t.tblCursor, "", step);
        keepStep(ed, t, std::move(step));
        return true;
    }
    return (shift & (kCtrl | kAlt)) != 0;
}

void PicHex_KeyPress(Editor& ed, TableEditor& t, int k) {
    if (k < 0 || k > 255) return;
    const std::string entry = ed.s.table.letters(static_cast<size_t>(t.tblCursor));
    TableStep step;
    if (k == kKeyEscape) {
        setEntry(ed.s.table, t.tblCursor, "", step);
    } else {
        // A UTF-8 table gets the character as UTF-8, so that its letters stay UTF-8 text.
        const std::string ch = ed.s.table.utf8() ? utf8Of(static_cast<char32_t>(k))
                                              : std::string(1, static_cast<char>(static_cast<uint8_t>(k)));
        const std::string text = t.dualLetters ? entry + ch : ch;
        clearRepeats(ed.s.table, text, step);
        setEntry(ed.s.table, t.tblCursor, text, step);
    }
    keepStep(ed, t, std::move(step));
}

void PicHex_MouseDown(TableEditor& t, double x, double y) {
    const double cw = cellWidth(t);
    const int64_t column = roundToInt64((x - cw / 2) / cw);
    const int64_t row = roundToInt64(y) / 18;
    t.tblCursor = clampEntry(std::clamp<int64_t>(row, -1000, 1000) * 16 + std::clamp<int64_t>(column, -1000, 1000));
    SetTblCur(t);
}

void cmd_Click(Editor& ed, TableEditor& t, int index) {
    static constexpr struct {
        char first;
        int count;
    } kRuns[] = {{'A', 26}, {'a', 26}, {'0', 10}};
    if (index < 0 || index > 2) return;
    const auto& run = kRuns[index];
    TableStep step;  // a whole fill is one step
    for (int j = 0; j < run.count && t.tblCursor + j <= 255; ++j) {
        const std::string letter(1, static_cast<char>(run.first + j));
        clearRepeats(ed.s.table, letter, step);
        setEntry(ed.s.table, t.tblCursor + j, letter, step);
    }
    keepStep(ed, t, std::move(step));
}

bool FillEntries(Editor& ed, TableEditor& t, const TableFill& fill) {
    const bool wasUtf8 = ed.s.table.utf8();
    bool respelled = false;
    TableStep step;
    const TableFill prepared = prepareTableFill(ed.s.table, fill, &respelled);
    if (!wasUtf8 && ed.s.table.utf8()) respellSteps(t);  // before this fill's own step, which is UTF-8 already
    for (const TableFillEntry& entry : prepared)
        if (entry.index >= 0 && entry.index <= 255) setEntry(ed.s.table, entry.index, entry.letters, step);
    if (!fill.empty()) t.tblCursor = clampEntry(fill.front().index);
    SetTblCur(t);
    const bool changed = !step.empty();
    keepStep(ed, t, std::move(step));
    if (!changed && wasUtf8 != ed.s.table.utf8()) tableChanged(ed, t);
    if (respelled)
        ed.services.messageBox("The table now keeps its letters as UTF-8, since these letters have no Latin-1 "
                               "byte: its other letters stay the same, and saving writes a UTF-8 file.");
    return changed;
}

void UndoStep(Editor& ed, TableEditor& t, bool undo) { replayStep(ed, t, undo); }

bool ListRow_Set(Editor& ed, TableEditor& t, const std::string& row) {
    return listEdit(ed, t, row, "set", [](Table& table, std::string_view r, RowChange* c) {
        return applyEntryRow(table, r, c);
    });
}

bool ListRow_Remove(Editor& ed, TableEditor& t, const std::string& row) {
    return listEdit(ed, t, row, "removed", [](Table& table, std::string_view r, RowChange* c) {
        return removeEntryRow(table, r, c);
    });
}

bool ChooseTable(Editor& ed, TableEditor& t, size_t part) {
    EditorState& s = ed.s;
    if (!s.table.source.present || part == s.table.source.part) return false;
    const std::string problem =
        s.table.edit([&](Table& table) { return readLogicalTable(table, s.table.source, part); });
    if (!problem.empty()) {
        const std::vector<std::string>& names = s.table.source.tables;
        const std::string name = part < names.size() ? "@" + names[part] : "That table";
        ed.services.messageBox(name + " was not chosen:\n" + problem);
        return false;
    }
    t.undoSteps.clear();
    t.redoSteps.clear();
    tableChanged(ed, t);
    return true;
}

}  // namespace frmTable
}  // namespace tarpon
