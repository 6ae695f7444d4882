#pragma once
// The "&File" menu.
#include <string>

namespace tarpon {

struct Editor;

enum FileMenuIndex {
    kFileNew = 0,
    kFileOpen = 1,
    kFileSave = 3,
    kFileSaveAs = 4,
    kFileCompare = 6,
    kFileNextDifference = 7,
    kFilePreviousDifference = 8,
    kFileCreatePatch = 10,
    kFileApplyPatch = 11,
    kFileExit = 13
};

void mnuFile_Click(Editor& ed, int index);
// Next and Previous Difference are enabled while a comparison is shown.
void RefreshFileMenu(Editor& ed);

// Asks for an existing file and loads it; a cancelled dialog changes nothing.
void OpenDocument(Editor& ed);
// A file dropped on the main window opens as Open opens it, asking first about
// unsaved changes.
void OpenDroppedFile(Editor& ed, const std::string& path);
// Writes the document to its own file; it is then no longer modified. True when written.
bool SaveDocument(Editor& ed);
// Writes the document to a path the user picks; the document keeps its file name
// and stays modified. True when written.
bool SaveDocumentAs(Editor& ed);
// Before the document is closed or replaced: with unsaved changes, asks "Save
// changes to NAME?" (Save, the default; Discard; Cancel, on Escape). True when the
// document may go: nothing was modified, the user discarded, or the save worked.
bool QueryUnsavedChanges(Editor& ed);

}  // namespace tarpon
