#include "view/cursor.h"

#include <algorithm>
#include <limits>

#include "core/edits.h"
#include "core/editor.h"
#include "core/rounding.h"
#include "screen/keys.h"
#include "view/geometry.h"
#include "view/painting.h"

namespace tarpon {
namespace {

constexpr int64_t kMaxOffset = std::numeric_limits<int32_t>::max();

int64_t clearLow4(int64_t v) { return v & ~int64_t{15}; }

int64_t forwardTop(const EditorState& s, const MainView& v, int64_t pos) {
    const int n = rowsThatFit(v.picOffset.height());
    if ((pos - s.view.pageTop) / 16 >= n - 1) return clearLow4(pos) - clearLow4(s.view.cursorRel);
    return s.view.pageTop;
}

int64_t backwardTop(const EditorState& s, int64_t pos) {
    if (s.view.cursorRel <= 32) return clearLow4(pos) - 16;
    if (pos < s.view.pageTop) {
        int64_t rel = s.view.cursorRel;
        if (rel > pos) rel = colOf(s.view.cursorRel) + 32;
        if (rel > pos) rel = 0;
        return clearLow4(pos - rel);
    }
    return s.view.pageTop;
}

// Fewer than 32 bytes after the page top: show the 32-byte block holding the last byte.
int64_t limitTop(int64_t newTop, int32_t fileSize) {
    if (newTop < 0) newTop = 0;
    if (int64_t{fileSize} - 1 - newTop >= 32) return newTop;
    const int64_t top = (int64_t{fileSize} - 1) & ~int64_t{31};
    return std::max<int64_t>(top, 0);
}

// The page never leaves the target's row off the page: the top is at most the
// target's row, and at least as far down as keeps that row among the rows that fit.
int64_t keepRowOnPage(int64_t top, int64_t pos, int rowsShown) {
    const int64_t row = clearLow4(pos);
    const int64_t lowest = std::max<int64_t>(row - int64_t{16} * (std::max(rowsShown, 1) - 1), 0);
    return std::clamp(top, lowest, row);
}

void positionScrollBar(Editor& ed) {
    EditorState& s = ed.s;
    if (s.view.scrollBusy) return;
    s.view.scrollBusy = true;
    if (s.doc.fileSize > 1) {
        const double f = std::min(1.0, static_cast<double>(s.cursor()) / (s.doc.fileSize - 1));
        ed.v.VScroll.setValue(static_cast<int>(roundToInt64(f * 65535 - 32768)));
    }
    s.view.scrollBusy = false;
}

}  // namespace

void MoveCursor(Editor& ed, int64_t target) {
    EditorState& s = ed.s;
    const int64_t pos = std::clamp<int64_t>(target, 0, kMaxOffset);
    endTypingRun(s);  // typing that moves on opens the run again after its move
    const int64_t cur = s.cursor();
    int64_t newTop = s.view.pageTop;
    if (pos == 0) newTop = 0;
    else if (pos > cur) newTop = forwardTop(s, ed.v, pos);
    else if (pos < cur) newTop = backwardTop(s, pos);
    const int64_t top = limitTop(newTop, s.doc.fileSize);
    s.view.pageTop = static_cast<int32_t>(keepRowOnPage(top, pos, rowsThatFit(ed.v.picOffset.height())));
    s.view.cursorRel = static_cast<int32_t>(pos - s.view.pageTop);
    positionScrollBar(ed);
    PlaceMarks(ed);
    RepaintAll(ed);
}

bool cursorRowShown(const Editor& ed) {
    return ed.s.view.cursorRel >= 0 && rowFits(rowOf(ed.s.view.cursorRel), ed.v.picOffset.height());
}

void cmdOff_MouseDown(Editor& ed, int index, int /*button*/, int shift) {
    static constexpr int64_t kSteps[4] = {-256, -16, 16, 256};
    if (index < 0 || index > 3) return;
    const int64_t target = std::clamp<int64_t>(ed.s.cursor() + kSteps[index],
                                               std::numeric_limits<int32_t>::min(), kMaxOffset);
    if (shift == 0) ed.s.view.selAnchor = static_cast<int32_t>(target);
    MoveCursor(ed, target);
}

void Pane_MouseWheel(Editor& ed, int notches, int shift) {
    EditorState& s = ed.s;
    const int64_t rowsPerNotch = (shift & (kShift | kCtrl)) != 0 ? 16 : 3;
    const int64_t cursor = s.cursor();
    const int64_t lastRow = clearLow4(std::max<int64_t>(int64_t{s.doc.fileSize} - 1, 0));
    const int64_t target = std::clamp(cursor - int64_t{notches} * rowsPerNotch * 16, int64_t{colOf(cursor)},
                                      std::max(lastRow, clearLow4(cursor)) + colOf(cursor));
    if (target == cursor) return;
    if (s.view.selAnchor == cursor) s.view.selAnchor = static_cast<int32_t>(target);
    // The page moves with the cursor, so that MoveCursor finds it where it belongs.
    s.view.pageTop = static_cast<int32_t>(std::max<int64_t>(s.view.pageTop + (target - cursor), 0));
    s.view.cursorRel = static_cast<int32_t>(target - s.view.pageTop);
    MoveCursor(ed, target);
}

void VScroll_Change(Editor& ed) {
    EditorState& s = ed.s;
    if (s.view.scrollBusy) return;
    s.view.scrollBusy = true;
    if (s.doc.fileSize > 0) {
        int64_t step = roundToInt64(16.0 / s.doc.fileSize * 65535);
        ed.v.VScroll.setSmallStep(static_cast<int>(std::clamp<int64_t>(step == 0 ? 1 : step, 1, 32767)));
        const double f = (ed.v.VScroll.value() + 32768) / 65535.0;
        const int64_t t = roundToInt64(s.doc.fileSize * f);
        MoveCursor(ed, clearLow4(t) + colOf(s.view.cursorRel));
    }
    s.view.scrollBusy = false;
}

void VScroll_Scroll(Editor& ed) { VScroll_Change(ed); }

void wireScrollBar(Editor& ed) {
    ed.v.VScroll.onChange = [&ed] { VScroll_Change(ed); };
    ed.v.VScroll.onScroll = [&ed] { VScroll_Scroll(ed); };
}

}  // namespace tarpon
