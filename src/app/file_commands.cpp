#include "app/file_commands.h"

#include "app/document.h"
#include "core/edits.h"
#include "core/editor.h"
#include "edit/text_input.h"
#include "patch/compare_commands.h"
#include "view/painting.h"

namespace tarpon {
namespace {

constexpr const char* kAllFiles = "All Files (*.*)|*.*|";

}  // namespace

void mnuFile_Click(Editor& ed, int index) {
    // Table letters still held in the text pane belong to the document being saved; leaving
    // it (Open, Exit) asks first, and a Cancel there keeps them held.
    // The comparison and patch commands read the document as it stands, held letters written.
    if (index == kFileSave || index == kFileSaveAs || (index >= kFileCompare && index <= kFileApplyPatch))
        CommitTypedLetters(ed);
    switch (index) {
    case kFileOpen:
        OpenDocument(ed);
        break;
    case kFileSave:
        SaveDocument(ed);
        break;
    case kFileSaveAs:
        SaveDocumentAs(ed);
        break;
    case kFileExit:
        ed.services.closeMainWindow();
        break;
    case kFileCompare: CompareWith(ed); break;
    case kFileNextDifference: NextDifference(ed); break;
    case kFilePreviousDifference: PreviousDifference(ed); break;
    case kFileCreatePatch: CreatePatchFromDocument(ed); break;
    case kFileApplyPatch: ApplyPatchToDocument(ed); break;
    default:
        break;
    }
}

void RefreshFileMenu(Editor& ed) {
    auto& items = ed.v.menus[kMenuFile].items;
    items[kFileNextDifference].enabled = items[kFilePreviousDifference].enabled = ed.s.doc.comparison.active;
}

bool SaveDocument(Editor& ed) {
    // Always the file the document came from; the start-up document has none.
    if (!SaveFile(ed, ed.s.doc.fileName)) return false;
    ed.s.doc.savedState = ed.s.doc.history.stateId();
    endTypingRun(ed.s);  // Undo must be able to stop at what was saved
    return true;
}

bool QueryUnsavedChanges(Editor& ed) {
    // Held letters count as a change: they are written only if the user saves.
    if (!ed.s.modified() && ed.s.typing.typedLetters.empty()) return true;
    const std::string& path = ed.s.doc.fileName;
    const std::string name = path.empty() ? "the document" : documentName(path);
    switch (ed.services.ask("Save changes to " + name + "?", {"Save", "Discard", "Cancel"}, 0, 2)) {
    case 0:
        CommitTypedLetters(ed);
        return path.empty() ? SaveDocumentAs(ed) : SaveDocument(ed);
    case 1: ed.s.typing.typedLetters.clear(); return true;
    default: return false;
    }
}

void OpenDocument(Editor& ed) {
    if (!QueryUnsavedChanges(ed)) return;
    // No starting folder: the chooser starts from the path it remembers.
    const std::string path = ed.s.fileDialog.ShowOpen(ed.services, "File To Edit", "", kAllFiles,
                                                      OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_LONGNAMES);
    if (path.empty()) return;
    // LoadFile adopts the path as the file name only when it loads the file, so a
    // refused or unreadable file never becomes the target of Save.
    LoadFile(ed, path);
    RepaintAll(ed);
}

void OpenDroppedFile(Editor& ed, const std::string& path) {
    if (path.empty() || !QueryUnsavedChanges(ed)) return;
    LoadFile(ed, path);
    RepaintAll(ed);
}

bool SaveDocumentAs(Editor& ed) {
    const std::string path =
        ed.s.fileDialog.ShowSave(ed.services, "Tarpon's Hex - Save File as", ed.s.doc.fileName, kAllFiles, "",
                                 OFN_OVERWRITEPROMPT);
    return !path.empty() && SaveFile(ed, path);
}

}  // namespace tarpon
