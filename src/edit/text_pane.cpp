#include "edit/text_pane.h"

#include <algorithm>
#include <limits>

#include "core/edits.h"
#include "core/editor.h"
#include "edit/hex_input.h"
#include "edit/text_input.h"
#include "view/cursor.h"
#include "view/painting.h"

namespace tarpon {

void PicText_GotFocus(Editor& ed) {
    paneTookKeyboard(ed.s, InputPane::Text);
    for (Mark& m : ed.v.ShpText) m.rop = RasterOp::MaskNotPen;
    for (Mark& m : ed.v.ShpHex) m.rop = RasterOp::NotXorPen;
}

bool PicText_KeyDown(Editor& ed, int keyCode, int shift) {
    if (keyCode == kKeyBackspace && shift == 0 && TakeBackHeldLetter(ed)) return true;
    return PicHex_KeyDown(ed, keyCode, shift);
}

void PicText_MouseDown(Editor& ed, int /*button*/, int shift, double x, double y) {
    // The cursor is placed on the clicked byte first, so the page does not scroll.
    constexpr int64_t kMin = std::numeric_limits<int32_t>::min(), kMax = std::numeric_limits<int32_t>::max();
    const int64_t rel = std::clamp<int64_t>(paneHitPosition(ed.v.PicText, ed.v.picOffset.height(), x, y), kMin - ed.s.view.pageTop,
                                            kMax - ed.s.view.pageTop);
    ed.s.view.cursorRel = static_cast<int32_t>(rel);
    MoveCursor(ed, ed.s.view.pageTop + rel);
    if (shift == 0) ed.s.view.selAnchor = static_cast<int32_t>(ed.s.cursor());
    PlaceMarks(ed);
    ed.s.typing.nibblePending = false;
}

void PicText_MouseMove(Editor& ed, int button, int shift, double x, double y) {
    if (button != 0) PicText_MouseDown(ed, button, shift | 1, x, y);
}

}  // namespace tarpon
