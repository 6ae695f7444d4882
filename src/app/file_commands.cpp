#include "app/file_commands.h"

#include "app/document.h"
#include "app/editor.h"

namespace tarpon {

void mnuFile_Click(Editor& ed, int index) {
    switch (index) {
    case kFileSave:
        // Always the file the document came from; the start-up document has none.
        SaveFile(ed, ed.s.fileName);
        break;
    case kFileExit:
        ed.services.closeMainWindow();
        break;
    default:
        break;
    }
}

}  // namespace tarpon
