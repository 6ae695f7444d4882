#pragma once
// The "&Table" menu's file commands.
#include <string>

namespace tarpon {

struct Editor;

void SaveTable(Editor& ed);
void LoadTable(Editor& ed);

// Merges the table file at `path` into the character table, repaints the text
// pane, and reports a file that could not be loaded or whose lines holding data
// were not all read. Returns how many entries the file gave (0 when it failed).
int LoadTableFile(Editor& ed, const std::string& path);

}  // namespace tarpon
