#include "table/table_commands.h"

#include <algorithm>
#include <filesystem>

#include "core/dialog_service.h"
#include "core/editor.h"
#include "table/tbl_file.h"
#include "view/painting.h"

namespace tarpon {
namespace {

bool sameFile(const std::string& a, const std::string& b) {
    if (a == b) return true;
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

// The lines of `path` that its last load could not read, or 0.
int unreadLinesOf(const EditorState& s, const std::string& path) {
    for (const auto& [file, lines] : s.tableUnreadLines)
        if (sameFile(file, path)) return lines;
    return 0;
}

void forgetUnreadLines(EditorState& s, const std::string& path) {
    std::erase_if(s.tableUnreadLines, [&](const auto& entry) { return sameFile(entry.first, path); });
}

// Saving over a file whose lines were not all read throws those lines away.
bool confirmLosingLines(Editor& ed, const std::string& path) {
    const int lost = unreadLinesOf(ed.s, path);
    if (lost == 0) return true;
    const std::string text = std::to_string(lost) + (lost == 1 ? " line" : " lines") + " of \"" + path +
                             "\" could not be read and will be lost.\nSave the table over it?";
    return ed.services.ask(text, {"Save", "Cancel"}, 1, 1) == 0;
}

}  // namespace

void SaveTable(Editor& ed) {
    const std::string path = ed.s.fileDialog.ShowSave(ed.services, "Tarpon's Hex - Save Table as", ed.s.fileName,
                                                      "Table Files|*.tbl|", "tbl", OFN_OVERWRITEPROMPT);
    if (path.empty() || !confirmLosingLines(ed, path)) return;
    std::string error;
    if (!saveTblFile(path, ed.s.charTable, systemFileIo(), &error)) {
        ed.services.messageBox("Problems Saving Table\n" + error);
        return;
    }
    if (!error.empty()) ed.services.messageBox(error);  // saved, but a later step failed
    forgetUnreadLines(ed.s, path);
}

void LoadTable(Editor& ed) {
    const std::string path = ed.s.fileDialog.ShowOpen(ed.services, "Open Table", "", "Table Files (*.tbl)|*.tbl|",
                                                      OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
    if (path.empty()) return;
    LoadTableFile(ed, path);
}

int LoadTableFile(Editor& ed, const std::string& path) {
    const TblLoadResult result = loadTblFile(path, ed.s.charTable);
    if (result.status == TblLoadStatus::Failed) {
        ed.services.messageBox("Problems Loading Table\n" + result.error);
        return 0;
    }
    // A file in plain ASCII reads the same either way and leaves the choice as it was.
    if (result.read.coding != TblCoding::Ascii) ed.s.tableUtf8 = result.read.coding == TblCoding::Utf8;
    forgetUnreadLines(ed.s, path);
    if (result.read.skipped > 0) ed.s.tableUnreadLines.emplace_back(path, result.read.skipped);
    PaintTextPane(ed);
    if (result.read.skipped > 0) ed.services.messageBox(describeTblLoad(path, result.read));
    return result.read.entries;
}

}  // namespace tarpon
