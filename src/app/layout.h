#pragma once
// The main window's resize rule: the hex and text panes stretch with the window
// and the bottom band follows them.

namespace tarpon {

struct Editor;

inline constexpr int kStartWidth = 625, kStartHeight = 470;
inline constexpr int kMinWidth = 620, kMinHeight = 320;

// width and height: the window's outer size in pixels.
void Form_Resize(Editor& ed, int width, int height, bool minimized);

}  // namespace tarpon
