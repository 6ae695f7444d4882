#include "app/layout.h"

#include <gtest/gtest.h>

#include "test_editor.h"

namespace tarpon {
namespace {

using test::TestEditor;

TEST(Layout, StartupSize) {
    TestEditor t;
    const MainView& v = t.ed.v;
    EXPECT_EQ(v.picHex.geom, (Rect{88, 32, 328, 334}));
    EXPECT_EQ(v.PicText.geom, (Rect{432, 32, 178, 334}));
    EXPECT_EQ(v.picOffset.geom.height, 334);
    EXPECT_EQ(v.PicText.geom.left + v.PicText.geom.width, 625 - 15);
    EXPECT_EQ(v.picHead.geom.width, 610);
    EXPECT_EQ(v.lineBoarder.x, 431);
    EXPECT_EQ(v.vscrollGeom, (Rect{415, 33, 17, 333}));
    EXPECT_EQ(v.lblViewMode[0].geom.left, 474);
    EXPECT_EQ(v.lblViewMode[1].geom.left, 533);
    EXPECT_EQ(v.lblDec.geom.top, 374);
    for (const Rect* r : {&v.picDec.geom, &v.lblBinary.geom, &v.cmdOff[0].geom, &v.cmdOff[1].geom,
                          &v.lblOffset.geom, &v.picOffsetval.geom, &v.lblpercent.geom})
        EXPECT_EQ(r->top, 374);
    for (const Rect* r : {&v.lblOct.geom, &v.picOct.geom, &v.picBinary.geom, &v.cmdOff[2].geom,
                          &v.cmdOff[3].geom, &v.lblFilesize.geom, &v.picFilesize.geom, &v.picPercent.geom})
        EXPECT_EQ(r->top, 390);
    // Designed lefts never move.
    EXPECT_EQ(v.picOffsetval.geom.left, 432);
    EXPECT_EQ(v.cmdOff[3].geom.left, 192);
}

TEST(Layout, MinimumSizeAndMinimised) {
    TestEditor t;
    Form_Resize(t.ed, kMinWidth, kMinHeight, false);
    const MainView& v = t.ed.v;
    EXPECT_EQ(v.picHex.geom.width, 325);
    EXPECT_EQ(v.picHex.geom.height, 184);
    EXPECT_EQ(v.PicText.geom.left + v.PicText.geom.width, 620 - 15);
    EXPECT_GT(v.PicText.geom.width, 0);
    EXPECT_EQ(v.lblDec.geom.top, 32 + 184 + 8);
    const MainView before = v;
    Form_Resize(t.ed, 100, 100, true);
    EXPECT_EQ(v.picHex.geom, before.picHex.geom);
    EXPECT_EQ(v.lblOct.geom, before.lblOct.geom);
}

}  // namespace
}  // namespace tarpon
