#pragma once
// Everything the main window shows, as plain data: panes with their retained
// drawings, the four marks, the scroll bar, labels, buttons and menus. The logic
// fills it; the windowing layer renders it.
#include <array>
#include <string>
#include <vector>

#include "screen/mark.h"
#include "screen/pane.h"
#include "screen/scroll_bar.h"

namespace tarpon {

struct Label {
    Rect geom;
    std::string caption;
    FontSpec font;
    Rgb textColor = kSystemWindowText;
    bool hasBackground = false;
    Rgb background = kSystemWindowBackground;
};

struct Button {
    Rect geom;
    std::string caption;
};

struct VLine {
    double x = 0, y1 = 0, y2 = 0;
};

struct MenuItem {
    std::string caption;   // "-" for a separator
    std::string shortcut;  // "Ctrl+O", "F1", several as "Ctrl+Y; Ctrl+Shift+Z", or empty
    bool enabled = true;
    bool checkable = false;
    bool checked = false;
};

struct Menu {
    std::string caption;
    std::vector<MenuItem> items;
};

struct MainView {
    MainView();

    std::string title;
    std::string titleStatus;       // shown after the title, as " - " and the text (a comparison's result)
    Pane picHead, picOffset, picHex, PicText;
    Pane picDec, picOct, picBinary, picOffsetval, picFilesize, picPercent;
    std::array<Mark, 2> ShpHex, ShpText;  // 0: cursor, 1: selection anchor
    ScrollBar VScroll;
    Rect vscrollGeom;
    Label lblOffSetMode;
    std::array<Label, 2> lblViewMode;
    Label lblDec, lblOct, lblBinary, lblOffset, lblFilesize, lblpercent;
    std::array<Button, 4> cmdOff;  // Page Up, Row Up, Row Down, Page Down
    VLine Line1, lineBoarder;
    std::array<Menu, 4> menus;     // "&File", "&Edit", "&Option", "&Table"
    char decimalSeparator = '.';   // the user's locale, for the percentage
};

enum MenuIndex { kMenuFile = 0, kMenuEdit = 1, kMenuOption = 2, kMenuTable = 3 };

}  // namespace tarpon
