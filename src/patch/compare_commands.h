#pragma once
// The window's comparison and patch commands, on the document in memory:
// Compare With... marks the bytes that differ from another file and F7 / Shift+F7
// walk them; Create Patch... writes the patch from an original file to the
// document; Apply Patch... makes the patched bytes the document, as one change.
namespace tarpon {

struct Editor;

void CompareWith(Editor& ed);
// After any change: finds the runs again when the document changed since they
// were found, and repaints the panes then. True when it did.
bool RefreshComparison(Editor& ed);
// A new document: the marks go.
void EndComparison(Editor& ed);
void NextDifference(Editor& ed);
void PreviousDifference(Editor& ed);
void CreatePatchFromDocument(Editor& ed);
void ApplyPatchToDocument(Editor& ed);

}  // namespace tarpon
