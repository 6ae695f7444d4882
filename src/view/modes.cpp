#include "view/modes.h"

#include "core/editor.h"
#include "view/painting.h"
#include "view/value_panes.h"

namespace tarpon {

void lblOffSetMode_Click(Editor& ed) {
    ed.v.lblOffSetMode.caption = ed.s.view.offsetMode ? "Offset - DEC" : "Offset - HEX";
    ed.s.view.offsetMode = !ed.s.view.offsetMode;
    PaintFileSize(ed);
    RepaintAll(ed);
}

void lblViewMode_Click(Editor& ed, int index) {
    constexpr Rgb kSelected{176, 0, 0};
    const bool table = index != 0;
    ed.v.lblViewMode[1].textColor = table ? kSelected : kSystemWindowText;
    ed.v.lblViewMode[0].textColor = table ? kSystemWindowText : kSelected;
    ed.s.view.viewMode = table;
    PaintTextPane(ed);
}

}  // namespace tarpon
