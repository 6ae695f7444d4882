#include "app/file_commands.h"

#include "app/document.h"
#include "core/editor.h"
#include "edit/text_input.h"
#include "view/painting.h"

namespace tarpon {
namespace {

constexpr const char* kAllFiles = "All Files (*.*)|*.*|";

}  // namespace

void mnuFile_Click(Editor& ed, int index) {
    // Table letters still held in the text pane belong to the document being saved or left.
    if (index == kFileOpen || index == kFileSave || index == kFileSaveAs || index == kFileExit)
        CommitTypedLetters(ed);
    switch (index) {
    case kFileOpen:
        OpenDocument(ed);
        break;
    case kFileSave:
        // Always the file the document came from; the start-up document has none.
        SaveFile(ed, ed.s.fileName);
        break;
    case kFileSaveAs:
        SaveDocumentAs(ed);
        break;
    case kFileExit:
        ed.services.closeMainWindow();
        break;
    default:
        break;
    }
}

void OpenDocument(Editor& ed) {
    // No starting folder: the chooser starts from the path it remembers.
    const std::string path = ed.s.fileDialog.ShowOpen(ed.services, "File To Edit", "", kAllFiles,
                                                      OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_LONGNAMES);
    if (path.empty()) return;
    // LoadFile adopts the path as the file name only when it loads the file, so a
    // refused or unreadable file never becomes the target of Save.
    LoadFile(ed, path);
    RepaintAll(ed);
}

void SaveDocumentAs(Editor& ed) {
    const std::string path =
        ed.s.fileDialog.ShowSave(ed.services, "Tarpon's Hex - Save File as", ed.s.fileName, kAllFiles, "",
                                 OFN_OVERWRITEPROMPT);
    if (path.empty()) return;
    SaveFile(ed, path);
}

}  // namespace tarpon
