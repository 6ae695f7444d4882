#pragma once
// A drawing surface that keeps what was drawn into it: a list of text runs that
// the windowing layer renders, and renders again whenever the pane is exposed.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "screen/rgb.h"

namespace tarpon {

struct TextRun {
    double x = 0, y = 0;
    Rgb color;
    std::string text;  // one byte per character (Latin-1), or UTF-8 when `utf8`
    bool utf8 = false;
    double clipWidth = 0;  // drawn only within this width from x; 0: not cut
    bool narrowed = false; // drawn narrower, when wider than clipWidth, so that all of it shows
};

// A filled box laid under the text runs (the difference marks of a comparison).
struct FillBox {
    double x = 0, y = 0, width = 0, height = 0;
    Rgb color;
};

class Pane {
public:
    Pane() = default;
    Pane(Rect geometry, Rgb back, FontSpec typeface, Rgb color)
        : geom(geometry), background(back), font(std::move(typeface)), textColor(color) {}

    Rect geom;
    Rgb background = kSystemWindowBackground;
    FontSpec font;
    Rgb textColor = kSystemWindowText;

    double width() const { return geom.width; }
    double height() const { return geom.height; }

    void clear() {
        runs_.clear();
        fills_.clear();
        ++revision_;
    }
    void drawText(double x, double y, std::string_view text) {
        runs_.push_back(TextRun{x, y, textColor, std::string(text), false});
        ++revision_;
    }
    void drawUtf8Text(double x, double y, std::string_view text) {
        runs_.push_back(TextRun{x, y, textColor, std::string(text), true});
        ++revision_;
    }
    // UTF-8 text cut at `clipWidth` pixels from x, so that it covers nothing beyond.
    // `narrowed`: drawn narrower instead, when wider than that.
    void drawUtf8TextWithin(double x, double y, std::string_view text, double clipWidth, bool narrowed = false) {
        runs_.push_back(TextRun{x, y, textColor, std::string(text), true, clipWidth, narrowed});
        ++revision_;
    }
    void fillBox(double x, double y, double width, double height, Rgb color) {
        fills_.push_back(FillBox{x, y, width, height, color});
        ++revision_;
    }
    const std::vector<TextRun>& runs() const { return runs_; }
    const std::vector<FillBox>& fills() const { return fills_; }
    // Changes with every clear or draw, so a renderer knows when to repaint.
    uint64_t revision() const { return revision_; }

private:
    std::vector<TextRun> runs_;
    std::vector<FillBox> fills_;
    uint64_t revision_ = 0;
};

}  // namespace tarpon
