#include "table/table_commands.h"

#include "core/dialog_service.h"
#include "core/editor.h"
#include "table/tbl_file.h"
#include "view/painting.h"

namespace tarpon {

void SaveTable(Editor& ed) {
    const std::string path = ed.s.fileDialog.ShowSave(ed.services, "Tarpon's Hex - Save Table as", ed.s.fileName,
                                                      "Table Files|*.tbl|", "tbl", OFN_OVERWRITEPROMPT);
    if (path.empty()) return;
    std::string error;
    if (!saveTblFile(path, ed.s.charTable, systemFileIo(), &error))
        ed.services.messageBox("Problems Saving Table\n" + error);
}

void LoadTable(Editor& ed) {
    const std::string path = ed.s.fileDialog.ShowOpen(ed.services, "Open Table", "", "Table Files (*.tbl)|*.tbl|",
                                                      OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
    if (path.empty()) return;
    const TblLoadResult result = loadTblFile(path, ed.s.charTable);
    switch (result.status) {
    case TblLoadStatus::Failed:
        ed.services.messageBox("Problems Loading Table\n" + result.error);
        break;
    case TblLoadStatus::Complete:
        PaintTextPane(ed);
        break;
    case TblLoadStatus::Stopped:
        // A line that is not an entry ends the load; what was read stays, unshown until the next repaint.
        break;
    }
}

}  // namespace tarpon
