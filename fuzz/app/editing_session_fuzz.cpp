// libFuzzer target for a whole editing session: a random document, then random steps in every
// pane and window, the clipboard, Replace and the pointer commands included. After each step
// the cursor is not negative, the page starts at a non-negative multiple of 16 and holds the
// cursor's row, and the document fits in its storage; at the end,
// undoing every change gives back the first document. Each step gets storage of exactly the
// document's length, an empty document's spare byte poisoned: AddressSanitizer reports any read outside.
#include <fuzzer/FuzzedDataProvider.h>
#include <sanitizer/asan_interface.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/menu_commands.h"
#include "copy/copy_format.h"
#include "edit/hex_input.h"
#include "edit/insert_delete.h"
#include "edit/text_input.h"
#include "edit/text_pane.h"
#include "edit/undo.h"
#include "edit/value_input.h"
#include "search/find.h"
#include "search/pointers.h"
#include "search/replace.h"
#include "table/table_editor.h"
#include "table/tbl_file.h"
#include "test_editor.h"
#include "view/cursor.h"
#include "view/geometry.h"
#include "view/modes.h"
#include "view/painting.h"
#include "view/value_panes.h"

namespace tarpon {
namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

void repaintAndCheck(Editor& ed) {
    RepaintAll(ed);
    PlaceMarks(ed);
    PaintValuePanes(ed);
    const EditorState& s = ed.s;
    check(s.cursor() >= 0);
    check(s.view.pageTop >= 0 && s.view.pageTop % 16 == 0);
    check(s.doc.fileSize >= 0 && static_cast<size_t>(s.doc.fileSize) <= s.doc.fileData.size());
    if (rowsThatFit(ed.v.picOffset.height()) > 0) check(s.view.cursorRel >= 0 && cursorRowShown(ed));
}

int keyCode(FuzzedDataProvider& in) {
    static constexpr int kKeys[] = {13, 27, 33, 34, 35, 36, 37, 38, 39, 40, 45, 46, 9, 8, 16, 17};
    return in.ConsumeBool() ? in.PickValueInArray(kKeys) : in.ConsumeIntegralInRange(-1, 300);
}

int character(FuzzedDataProvider& in) {
    return in.ConsumeIntegralInRange(0, 9) == 0 ? in.ConsumeIntegral<int>() : in.ConsumeIntegral<uint8_t>();
}

// A point in or near the pane, now and then anywhere at all.
double coordinate(FuzzedDataProvider& in, double extent) {
    if (in.ConsumeIntegralInRange(0, 15) == 0) return in.ConsumeFloatingPoint<double>();
    if (!(extent > 0 && extent < 1e6)) extent = 0;  // a squeezed window's panes
    return in.ConsumeFloatingPointInRange(-40.0, extent + 40.0);
}

void click(Editor& ed, FuzzedDataProvider& in) {
    using Handler = void (*)(Editor&, int, int, double, double);
    static constexpr Handler kHandlers[] = {PicHex_MouseDown, PicText_MouseDown, picBinary_MouseDown,
                                            PicHex_MouseMove, PicText_MouseMove};
    const int which = in.ConsumeIntegralInRange(0, 4), button = in.ConsumeIntegralInRange(0, 4);
    const int shift = in.ConsumeIntegralInRange(0, 7);
    const Pane& pane = which % 3 == 0 ? ed.v.picHex : which % 3 == 1 ? ed.v.PicText : ed.v.picBinary;
    const double x = coordinate(in, pane.width()), y = coordinate(in, pane.height());
    kHandlers[which](ed, button, shift, x, y);
}

test::FakeServices& te(Editor& ed) { return static_cast<test::FakeServices&>(ed.services); }

void step(Editor& ed, FuzzedDataProvider& in, int command) {
    const auto upTo = [&in](int most) { return in.ConsumeIntegralInRange(0, most); };
    const auto shift = [&upTo] { return upTo(7); };
    const auto text = [&in](size_t most) { return in.ConsumeRandomLengthString(most); };
    switch (command) {  // braced initialisers take their fields from `in` in order
    case 0: PicHex_KeyDown(ed, keyCode(in), shift()); break;
    case 1: PicHex_KeyPress(ed, character(in)); break;
    case 2: PicText_KeyPress(ed, character(in)); break;
    case 3: PicText_KeyDown(ed, keyCode(in), shift()); break;
    case 4: click(ed, in); break;
    case 5: {  // a value pane
        const int ch = character(in);
        switch (upTo(4)) {
        case 0: picDec_KeyPress(ed, ch); break;
        case 1: picOct_KeyPress(ed, ch); break;
        case 2: picOffsetval_KeyPress(ed, ch); break;
        case 3: picDec_KeyDown(ed, keyCode(in), shift()); break;
        default: picOct_KeyDown(ed, keyCode(in), shift()); break;
        }
        break;
    }
    case 6: lblOffSetMode_Click(ed); break;
    case 7: SwitchViewMode(ed, upTo(1)); break;
    case 8: mnuTable_Click(ed, kTableMultiLetters); break;
    case 9: {  // the table editor, a few inputs
        TableEditor t;
        const Pane& grid = t.PicHex;
        frmTable::Form_Load(ed, t);
        for (int i = in.ConsumeIntegralInRange(1, 8); i > 0; --i) {
            switch (upTo(3)) {
            case 0: frmTable::PicHex_KeyDown(ed, t, keyCode(in), shift()); break;
            case 1: frmTable::PicHex_KeyPress(ed, t, character(in)); break;
            case 2: frmTable::PicHex_MouseDown(t, coordinate(in, grid.width()), coordinate(in, grid.height())); break;
            default: frmTable::cmd_Click(ed, t, upTo(2)); break;
            }
        }
        frmTable::Form_Unload(ed, t);
        break;
    }
    case 10: cmdFind_Click(ed, {static_cast<PatternKind>(upTo(4)), text(12), text(3), in.ConsumeBool()}); break;
    case 11: mnuOption_Click(ed, kOptionFindAgain); break;
    case 12: {
        CopyForm form = copyFormOpening(ed.s);
        if (in.ConsumeBool()) form.txtOffset = {text(10), text(10)};
        const auto radix = static_cast<OffsetRadix>(upTo(2));
        cmdCopy_Click(ed, {form.txtOffset, radix, static_cast<CopyType>(upTo(2)), text(4), text(4)});
        break;
    }
    case 13: cmdOff_MouseDown(ed, upTo(3), 1, 0); break;
    case 14: ed.v.VScroll.setValue(in.ConsumeIntegral<int>()); break;
    case 15: ed.v.VScroll.scrollTo(in.ConsumeIntegral<int>()); break;
    case 16: MoveCursor(ed, in.ConsumeIntegral<int64_t>()); break;
    case 17: ed.services.resizeMainWindow(upTo(3010) - 10, upTo(3010) - 10); break;
    // Mostly small amounts; a long text now and then tries the size limit.
    case 18: InsertBytes(ed, {text(upTo(15) == 0 ? 10 : 3), in.ConsumeBool(), text(4), in.ConsumeBool()}); break;
    case 19: DeleteByte(ed); break;
    case 20: Undo(ed); break;
    case 21: Redo(ed); break;
    case 22: {  // the clipboard in the hex or text pane
        ed.s.view.focusPane = in.ConsumeBool() ? InputPane::Hex : InputPane::Text;
        te(ed).clipboard = text(24);
        RefreshEditMenu(ed);
        RunMenuCommand(ed, kMenuEdit, in.ConsumeBool() ? kEditCopy : kEditPaste);
        break;
    }
    case 23: {  // Replace at the cursor or everywhere, any length rule
        const ReplaceForm form{static_cast<PatternKind>(upTo(4)), text(6), text(6), static_cast<LengthRule>(upTo(2)),
                               text(3)};
        if (in.ConsumeBool()) ReplaceAll(ed, form);
        else ReplaceNext(ed, form);
        break;
    }
    case 24: mnuOption_Click(ed, kOptionFindPrevious); break;
    case 25: {  // a table of a few lines of the input's own
        ed.s.table.replace(Table());
        ed.s.table.edit([&](Table& m) { readTbl(text(48), m); });
        break;
    }
    case 26: {  // Copy in the text pane through the table, pasted back where it came from: no change
        if (ed.s.doc.fileSize == 0 || !ed.s.table.utf8()) break;
        ed.s.view.viewMode = true;
        ed.s.view.focusPane = InputPane::Text;
        const int64_t from = in.ConsumeIntegralInRange<int64_t>(0, ed.s.doc.fileSize - 1);
        ed.s.view.selAnchor = static_cast<int32_t>(from);
        MoveCursor(ed, in.ConsumeIntegralInRange<int64_t>(from, ed.s.doc.fileSize - 1));
        const auto document = [&] { return std::vector<uint8_t>(ed.s.document().begin(), ed.s.document().end()); };
        const std::vector<uint8_t> before = document();
        const size_t messages = te(ed).messages.size();
        RunMenuCommand(ed, kMenuEdit, kEditCopy);
        ed.s.view.selAnchor = static_cast<int32_t>(from);
        MoveCursor(ed, from);
        RunMenuCommand(ed, kMenuEdit, kEditPaste);
        check(te(ed).messages.size() == messages);
        check(document() == before);
        break;
    }
    default:
        FollowPointer(ed, {2 + upTo(2), in.ConsumeBool(), in.ConsumeIntegralInRange<int64_t>(-70000, 70000)});
        break;
    }
}

}  // namespace
}  // namespace tarpon

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarpon;
    FuzzedDataProvider in(data, size);
    test::TestEditor te;
    Editor& ed = te.ed;
    const std::vector<uint8_t> original = in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange(0, 600));
    te.setDocument(original);
    MoveCursor(ed, in.ConsumeIntegralInRange<int64_t>(-20, 700));
    repaintAndCheck(ed);
    for (int steps = 0; steps < 200 && in.remaining_bytes() > 0; ++steps) {
        ed.s.doc.fileData = ByteStore(ed.s.doc.fileData.begin(), ed.s.doc.fileData.end());  // one byte for an empty document
        const int command = in.ConsumeIntegralInRange(0, 27);
        // Only inserting, undoing and redoing (which may insert) may write an empty document's spare byte.
        const bool guardSpare = ed.s.doc.fileSize == 0 && command != 18 && command != 20 && command != 21;
        if (guardSpare) ASAN_POISON_MEMORY_REGION(ed.s.doc.fileData.data(), 1);
        step(ed, in, command);
        repaintAndCheck(ed);
        if (guardSpare) ASAN_UNPOISON_MEMORY_REGION(ed.s.doc.fileData.data(), 1);
    }
    while (ed.s.doc.history.canUndo()) Undo(ed);
    check(te.document() == original);
    check(!ed.s.modified());
    return 0;
}
