#include "app/layout.h"

#include "core/editor.h"
#include "core/rounding.h"
#include "view/cursor.h"
#include "view/geometry.h"
#include "view/painting.h"

namespace tarpon {
namespace {

void layoutPanes(MainView& v, int w, int h) {
    const double a = w - 102;
    v.picHex.geom.width = roundHalfEven(a * 355 / 538 - 17);
    v.PicText.geom.left = v.picHex.geom.left + v.picHex.geom.width + 16;
    v.PicText.geom.width = roundHalfEven(a * 183 / 538);
    v.picHead.geom.width = v.PicText.geom.left + v.PicText.geom.width;
    v.lineBoarder.x = v.PicText.geom.left - 1;
    v.picHex.geom.height = h - 136;
    v.PicText.geom.height = v.picOffset.geom.height = v.picHex.geom.height;
    v.vscrollGeom.top = v.picHex.geom.top + 1;
    v.vscrollGeom.height = v.picHex.geom.height - 1;
    v.vscrollGeom.left = v.PicText.geom.left - 17;
    v.lblViewMode[0].geom.left = roundHalfEven(v.PicText.geom.left + v.PicText.geom.width * 40 / 169);
    v.lblViewMode[1].geom.left = roundHalfEven(v.PicText.geom.left + v.PicText.geom.width * 96 / 169);
}

void layoutBottomBand(MainView& v) {
    const double row1 = v.picHex.geom.top + v.picHex.geom.height + 8;
    const double row2 = row1 + 16;
    for (Rect* r : {&v.lblDec.geom, &v.picDec.geom, &v.lblBinary.geom, &v.cmdOff[0].geom,
                    &v.cmdOff[1].geom, &v.lblOffset.geom, &v.picOffsetval.geom, &v.lblpercent.geom})
        r->top = row1;
    for (Rect* r : {&v.lblOct.geom, &v.picBinary.geom, &v.picOct.geom, &v.cmdOff[2].geom,
                    &v.cmdOff[3].geom, &v.lblFilesize.geom, &v.picFilesize.geom, &v.picPercent.geom})
        r->top = row2;
}

}  // namespace

void Form_Resize(Editor& ed, int width, int height, bool minimized) {
    if (minimized) return;
    layoutPanes(ed.v, width, height);
    layoutBottomBand(ed.v);
    // A smaller window can leave the cursor's row below the last row shown: the page follows it.
    if (!cursorRowShown(ed) && rowsThatFit(ed.v.picOffset.height()) > 0) {
        MoveCursor(ed, ed.s.cursor());
        return;
    }
    PlaceMarks(ed);
    RepaintAll(ed);
}

}  // namespace tarpon
