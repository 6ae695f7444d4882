#pragma once
// A filled, borderless rectangle laid over a pane, combined with the pane's pixels
// by a raster operation rather than painted in its own colour.
#include "screen/style.h"

namespace tarpon {

enum class RasterOp {
    MaskNotPen,  // destination AND NOT fill: pale yellow over white
    NotXorPen,   // NOT (destination XOR fill): deep blue over white
};

struct Mark {
    double left = 0, top = 0, width = 0, height = 0;
    bool visible = true;
    RasterOp rop = RasterOp::MaskNotPen;
    Rgb fill = kMarkBlue;
    friend bool operator==(const Mark&, const Mark&) = default;
};

}  // namespace tarpon
