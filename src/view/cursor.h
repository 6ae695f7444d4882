#pragma once
// The one routine through which every cursor move goes, with the paging rules,
// and the handlers of the paging buttons and the scroll bar.
#include <cstdint>

namespace tarpon {

struct Editor;

void MoveCursor(Editor& ed, int64_t target);
// Whether the cursor's row is among the rows the panes show.
bool cursorRowShown(const Editor& ed);
// Hands the scroll bar's change and scroll events to the handlers below.
void wireScrollBar(Editor& ed);
void cmdOff_MouseDown(Editor& ed, int index, int button, int shift);
void VScroll_Change(Editor& ed);
void VScroll_Scroll(Editor& ed);

}  // namespace tarpon
