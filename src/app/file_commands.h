#pragma once
// The "&File" menu.

namespace tarpon {

struct Editor;

enum FileMenuIndex { kFileNew = 0, kFileOpen = 1, kFileSave = 3, kFileSaveAs = 4, kFileExit = 6 };

void mnuFile_Click(Editor& ed, int index);

}  // namespace tarpon
