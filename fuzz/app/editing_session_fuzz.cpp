// libFuzzer target for a whole editing session: a random document, then random keys,
// typed characters, clicks, inserts, deletes, mode switches, table edits, searches,
// copies, undo and redo. After every step the cursor is not negative, the page starts
// at a non-negative multiple of 16 and holds the cursor's row, and the document fits
// in its storage; at the end, undoing every change gives back the first document.
// Each step gets storage of exactly the document's length, an empty document's
// spare byte poisoned, so that AddressSanitizer reports any read outside it.
#include <fuzzer/FuzzedDataProvider.h>
#include <sanitizer/asan_interface.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
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
#include "table/table_editor.h"
#include "test_editor.h"
#include "view/cursor.h"
#include "view/geometry.h"
#include "view/modes.h"
#include "view/painting.h"
#include "view/value_panes.h"

namespace {

using tarpon::Editor;

void check(bool ok) {
    if (!ok) std::abort();
}

void checkInvariants(const Editor& ed) {
    const tarpon::EditorState& s = ed.s;
    check(s.cursor() >= 0);
    check(s.pageTop >= 0 && s.pageTop % 16 == 0);
    check(s.fileSize >= 0 && static_cast<size_t>(s.fileSize) <= s.fileData.size());
    // The cursor is on the page whenever the panes show a row at all.
    if (tarpon::rowsThatFit(ed.v.picOffset.height()) > 0) check(s.cursorRel >= 0 && tarpon::cursorRowShown(ed));
}

int keyCode(FuzzedDataProvider& in) {
    static constexpr int kKeys[] = {13, 27, 33, 34, 35, 36, 37, 38, 39, 40, 45, 46, 9, 8, 16, 17};
    return in.ConsumeBool() ? kKeys[in.ConsumeIntegralInRange<size_t>(0, std::size(kKeys) - 1)]
                            : in.ConsumeIntegralInRange(-1, 300);
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
    const int which = in.ConsumeIntegralInRange(0, 4);
    const int button = in.ConsumeIntegralInRange(0, 4);
    const int shift = in.ConsumeIntegralInRange(0, 7);
    const tarpon::Pane& pane = which == 0 ? ed.v.picHex : which == 1 ? ed.v.PicText : ed.v.picBinary;
    const double x = coordinate(in, pane.width());
    const double y = coordinate(in, pane.height());
    switch (which) {
    case 0: tarpon::PicHex_MouseDown(ed, button, shift, x, y); break;
    case 1: tarpon::PicText_MouseDown(ed, button, shift, x, y); break;
    case 2: tarpon::picBinary_MouseDown(ed, button, shift, x, y); break;
    case 3: tarpon::PicHex_MouseMove(ed, button, shift, x, y); break;
    default: tarpon::PicText_MouseMove(ed, button, shift, x, y); break;
    }
}

void valuePaneKey(Editor& ed, FuzzedDataProvider& in) {
    const int ch = character(in);
    switch (in.ConsumeIntegralInRange(0, 4)) {
    case 0: tarpon::picDec_KeyPress(ed, ch); break;
    case 1: tarpon::picOct_KeyPress(ed, ch); break;
    case 2: tarpon::picOffsetval_KeyPress(ed, ch); break;
    case 3: tarpon::picDec_KeyDown(ed, keyCode(in), in.ConsumeIntegralInRange(0, 7)); break;
    default: tarpon::picOct_KeyDown(ed, keyCode(in), in.ConsumeIntegralInRange(0, 7)); break;
    }
}

void editTable(Editor& ed, FuzzedDataProvider& in) {
    tarpon::TableEditor t;
    tarpon::frmTable::Form_Load(ed, t);
    const int steps = in.ConsumeIntegralInRange(1, 8);
    for (int i = 0; i < steps; ++i) {
        switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0: tarpon::frmTable::PicHex_KeyDown(ed, t, keyCode(in), in.ConsumeIntegralInRange(0, 7)); break;
        case 1: tarpon::frmTable::PicHex_KeyPress(ed, t, character(in)); break;
        case 2:
            tarpon::frmTable::PicHex_MouseDown(t, coordinate(in, t.PicHex.width()),
                                               coordinate(in, t.PicHex.height()));
            break;
        default: tarpon::frmTable::cmd_Click(ed, t, in.ConsumeIntegralInRange(0, 2)); break;
        }
    }
    tarpon::frmTable::Form_Unload(ed, t);
}

void find(Editor& ed, FuzzedDataProvider& in) {
    tarpon::FindForm form;
    form.kind = static_cast<tarpon::PatternKind>(in.ConsumeIntegralInRange(0, 4));
    form.text = in.ConsumeRandomLengthString(12);
    form.wildcard = in.ConsumeRandomLengthString(3);
    form.relative = in.ConsumeBool();
    tarpon::cmdFind_Click(ed, form);
}

void copy(Editor& ed, FuzzedDataProvider& in) {
    tarpon::CopyForm form = tarpon::copyFormOpening(ed.s);
    if (in.ConsumeBool()) {
        form.txtOffset[0] = in.ConsumeRandomLengthString(10);
        form.txtOffset[1] = in.ConsumeRandomLengthString(10);
    }
    form.offsetRadix = static_cast<tarpon::OffsetRadix>(in.ConsumeIntegralInRange(0, 2));
    form.type = static_cast<tarpon::CopyType>(in.ConsumeIntegralInRange(0, 2));
    form.txtBefore = in.ConsumeRandomLengthString(4);
    form.txtAfter = in.ConsumeRandomLengthString(4);
    tarpon::cmdCopy_Click(ed, form);
}

void insert(Editor& ed, FuzzedDataProvider& in) {
    tarpon::InsertForm form;
    // Mostly small amounts; a long text now and then tries the size limit.
    form.amount = in.ConsumeRandomLengthString(in.ConsumeIntegralInRange(0, 15) == 0 ? 10 : 3);
    form.amountHex = in.ConsumeBool();
    form.fill = in.ConsumeRandomLengthString(4);
    form.fillHex = in.ConsumeBool();
    tarpon::InsertBytes(ed, form);
}

void step(Editor& ed, FuzzedDataProvider& in, int command) {
    switch (command) {
    case 0: tarpon::PicHex_KeyDown(ed, keyCode(in), in.ConsumeIntegralInRange(0, 7)); break;
    case 1: tarpon::PicHex_KeyPress(ed, character(in)); break;
    case 2: tarpon::PicText_KeyPress(ed, character(in)); break;
    case 3: tarpon::PicText_KeyDown(ed, keyCode(in), in.ConsumeIntegralInRange(0, 7)); break;
    case 4: click(ed, in); break;
    case 5: valuePaneKey(ed, in); break;
    case 6: tarpon::lblOffSetMode_Click(ed); break;
    case 7: tarpon::SwitchViewMode(ed, in.ConsumeIntegralInRange(0, 1)); break;
    case 8: tarpon::mnuTable_Click(ed, tarpon::kTableMultiLetters); break;
    case 9: editTable(ed, in); break;
    case 10: find(ed, in); break;
    case 11: tarpon::mnuOption_Click(ed, tarpon::kOptionFindAgain); break;
    case 12: copy(ed, in); break;
    case 13: tarpon::cmdOff_MouseDown(ed, in.ConsumeIntegralInRange(0, 3), 1, 0); break;
    case 14: ed.v.VScroll.setValue(in.ConsumeIntegral<int>()); break;
    case 15: ed.v.VScroll.scrollTo(in.ConsumeIntegral<int>()); break;
    case 16: tarpon::MoveCursor(ed, in.ConsumeIntegral<int64_t>()); break;
    case 17: ed.services.resizeMainWindow(in.ConsumeIntegralInRange(-10, 3000), in.ConsumeIntegralInRange(-10, 3000)); break;
    case 18: insert(ed, in); break;
    case 19: tarpon::DeleteByte(ed); break;
    case 20: tarpon::Undo(ed); break;
    default: tarpon::Redo(ed); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    tarpon::test::TestEditor te;
    Editor& ed = te.ed;
    const std::vector<uint8_t> original = in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange(0, 600));
    te.setDocument(original);
    tarpon::MoveCursor(ed, in.ConsumeIntegralInRange<int64_t>(-20, 700));
    tarpon::RepaintAll(ed);
    checkInvariants(ed);
    for (int steps = 0; steps < 200 && in.remaining_bytes() > 0; ++steps) {
        tarpon::EditorState& s = ed.s;
        tarpon::ByteStore exact(s.fileData.begin(), s.fileData.end());  // one byte for an empty document
        s.fileData.swap(exact);
        const int command = in.ConsumeIntegralInRange(0, 21);
        // Only inserting (and undoing or redoing, which may insert) may write the
        // spare byte of an empty document.
        const bool guardSpare = s.fileSize == 0 && command != 18 && command < 20;
        if (guardSpare) ASAN_POISON_MEMORY_REGION(s.fileData.data(), 1);
        step(ed, in, command);
        tarpon::RepaintAll(ed);
        tarpon::PlaceMarks(ed);
        tarpon::PaintValuePanes(ed);
        if (guardSpare) ASAN_UNPOISON_MEMORY_REGION(s.fileData.data(), 1);
        checkInvariants(ed);
    }
    // Undoing everything gives back the document the session started from.
    while (ed.s.history.canUndo()) tarpon::Undo(ed);
    check(ed.s.fileSize == static_cast<int32_t>(original.size()));
    check(std::equal(original.begin(), original.end(), ed.s.fileData.begin()));
    check(!ed.s.modified());
    return 0;
}
