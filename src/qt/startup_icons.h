#pragma once
// The icons the editor needs before its first paint, read so that no image-format
// or icon-engine plugin loads at start-up: Qt's reader, left to guess a file's
// format, first loads every image-format plugin (and QtSvg with one), and an SVG
// icon loads the SVG icon engine.
#include <QIcon>

namespace tarpon {

// The window icon, from the PNGs built in as resources (":/icons/16.png" to 64).
QIcon ApplicationIcon();

// Every menu bar asks its style for the icon of its overflow button when it is
// made; this wraps the application's style so that the answer is Qt's own picture
// read as the PNG it is. Call before the first menu bar is made.
void UseMenuBarIconsWithoutPlugins();

}  // namespace tarpon
