#include "screen/main_view.h"

#include "screen/style.h"

namespace tarpon {
namespace {

constexpr Rgb kHexText{0, 128, 0};

const FontSpec kCourierNew975{"Courier New", 13, false};
const FontSpec kCourierNew9{"Courier New", 12, false};
const FontSpec kArialBold9{"Arial", 12, true};
const FontSpec kArialBold825{"Arial", 11, true};

Pane valuePane(Rect r) { return Pane(r, kSystemWindowBackground, kArialBold825, kSystemWindowText); }

Label caption(Rect r, std::string text) {
    Label l;
    l.geom = r;
    l.caption = std::move(text);
    l.font = kWindowDefault;
    return l;
}

Label headLabel(Rect r, std::string text, Rgb color) {
    Label l = caption(r, std::move(text));
    l.font = kArialBold9;
    l.textColor = color;
    l.hasBackground = true;
    l.background = kHeadBack;
    return l;
}

std::array<Menu, 4> designedMenus() {
    // Items whose commands are not built yet start disabled; "&New..." has no command.
    return {{
        {"&File",
         {{"&New...", "", false},
          {"&Open...", "Ctrl+O", true},
          {"-", ""},
          {"&Save", "Ctrl+S", true},
          {"Save &As...", "Ctrl+A; Ctrl+Shift+S", true},
          {"-", ""},
          {"Compare &With...", "", true},
          {"&Next Difference", "F7", false},
          {"Pre&vious Difference", "Shift+F7", false},
          {"-", ""},
          {"Create &Patch...", "", true},
          {"Appl&y Patch...", "", true},
          {"-", ""},
          {"&Exit", "Ctrl+E", true}}},
        {"&Edit",
         {{"&Undo", "Ctrl+Z", false},
          {"&Redo", "Ctrl+Y; Ctrl+Shift+Z", false},
          {"-", ""},
          {"&Copy", "Ctrl+C", false},
          {"&Paste", "Ctrl+V", false}}},
        {"&Option",
         {{"&Jump To", "F1", true},
          {"-", ""},
          {"&Find", "F2", true},
          {"Find &Again", "F3", true},
          {"Find &Previous", "Shift+F3", true},
          {"&Replace...", "Ctrl+H", true},
          {"Find Pointers To &Here...", "F5", true},
          {"Follow &Pointer", "F6", true},
          {"Copy...", "F4", true}}},
        {"&Table",
         {{"&Create Table...", "F12", true},
          {"-", ""},
          {"&Save Table...", "", true},
          {"&Load Table...", "", true},
          {"&Multi Letters", "Ctrl+D", true, true, false},
          {"-", ""},
          {"Load Table &As...", "", true},
          {"-", ""},
          {"&Dump Script...", "", true},
          {"&Insert Script...", "", true},
          {"-", ""},
          {"Read Table &From Here", "", true}}},
    }};
}

}  // namespace

MainView::MainView()
    : title("Tarpon's Hex By Amber-Heron"),
      picHead({0, 0, 625, 33}, kHeadBack, kCourier, kSystemWindowText),
      picOffset({0, 32, 89, 329}, kHeadBack, kCourier, kSystemWindowText),
      picHex({88, 32, 353, 329}, kWhite, kCourierNew975, kHexText),
      PicText({456, 32, 169, 329}, kWhite, kCourierNew9, kOneLetterText),
      picDec(valuePane({64, 368, 25, 17})),
      picOct(valuePane({64, 384, 25, 17})),
      picBinary(valuePane({104, 384, 57, 17})),
      picOffsetval(valuePane({432, 368, 65, 17})),
      picFilesize(valuePane({432, 384, 65, 17})),
      picPercent(valuePane({528, 384, 49, 17})),
      vscrollGeom{440, 32, 17, 329},
      lblOffSetMode(headLabel({8, 8, 73, 17}, "Offset - Hex", kSystemWindowText)),
      lblViewMode{headLabel({496, 8, 33, 17}, "Ascii", Rgb{208, 0, 0}),
                  headLabel({552, 8, 33, 17}, "Table", kSystemWindowText)},
      lblDec(caption({24, 368, 33, 17}, "Dec:")),
      lblOct(caption({32, 384, 25, 17}, "Oct:")),
      lblBinary(caption({112, 368, 33, 17}, "Binary:")),
      lblOffset(caption({384, 368, 33, 17}, "Offset:")),
      lblFilesize(caption({368, 384, 49, 17}, "File Size:")),
      lblpercent(caption({528, 368, 57, 17}, "Percentage:")),
      cmdOff{Button{{192, 368, 73, 17}, "Page Up"}, Button{{272, 368, 73, 17}, "Row Up"},
             Button{{272, 384, 73, 17}, "Row Down"}, Button{{192, 384, 73, 17}, "Page Down"}},
      Line1{87, 0, 32},
      lineBoarder{456, 0, 32},
      menus(designedMenus()) {
    ShpHex[0].height = ShpHex[1].height = 20;
    ShpText[0].height = ShpText[1].height = 22;
    ShpHex[0].rop = ShpHex[1].rop = RasterOp::MaskNotPen;
    ShpText[0].rop = ShpText[1].rop = RasterOp::NotXorPen;
}

}  // namespace tarpon
