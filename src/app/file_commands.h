#pragma once
// The "&File" menu.

namespace tarpon {

struct Editor;

enum FileMenuIndex { kFileNew = 0, kFileOpen = 1, kFileSave = 3, kFileSaveAs = 4, kFileExit = 6 };

void mnuFile_Click(Editor& ed, int index);

// Asks for an existing file and loads it; a cancelled dialog changes nothing.
void OpenDocument(Editor& ed);
// Writes the document to a path the user picks; the document keeps its file name.
void SaveDocumentAs(Editor& ed);

}  // namespace tarpon
