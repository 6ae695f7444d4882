#include "table/table_commands.h"

#include <filesystem>

#include "core/dialog_service.h"
#include "core/editor.h"
#include "table/tbl_file.h"
#include "view/painting.h"

namespace tarpon {
namespace {

constexpr std::string_view kLoadFilter = "Table Files (*.tbl)|*.tbl|";

// The save chooser starts on the table's own file, or in the document's folder
// with no name: never on the document itself, which Enter would then overwrite.
std::string saveStart(const EditorState& s) {
    if (!s.table.source.path.empty()) return s.table.source.path;
    std::error_code error;
    std::filesystem::path folder = std::filesystem::path(s.doc.fileName).parent_path();
    if (folder.empty()) folder = std::filesystem::current_path(error);
    return std::filesystem::absolute(folder, error).string() + "/";
}

std::string openTablePath(Editor& ed) {
    return ed.s.fileDialog.ShowOpen(ed.services, "Open Table", "", std::string(kLoadFilter),
                                    OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
}

}  // namespace

void SaveTable(Editor& ed) {
    const std::string path = ed.s.fileDialog.ShowSave(ed.services, "Tarpon's Hex - Save Table as", saveStart(ed.s),
                                                      "Table Files|*.tbl|", "tbl", OFN_OVERWRITEPROMPT);
    if (path.empty()) return;
    TableSource& source = ed.s.table.source;
    // The table's own file is compared with what was loaded or last saved, as a document's is.
    const std::optional<FileStamp> expected =
        source.present && path == source.path && source.stamp.known ? std::optional(source.stamp) : std::nullopt;
    std::string error;
    SaveStatus status = saveTblFile(path, ed.s.table.model(), source, systemFileIo(), &error,
                                    expected ? &*expected : nullptr);
    if (status == SaveStatus::ChangedOnDisk) {
        if (ed.services.ask(changedOnDiskQuestion(path), {"Overwrite", "Cancel"}, 1, 1) != 0) return;
        status = saveTblFile(path, ed.s.table.model(), source, systemFileIo(), &error);
    }
    if (status == SaveStatus::Failed)
        ed.services.messageBox("Problems Saving Table\n" + error);
    else if (!error.empty())
        ed.services.messageBox(error);  // saved, but a later step failed
}

void LoadTable(Editor& ed) {
    const std::string path = openTablePath(ed);
    if (path.empty()) return;
    LoadTableFile(ed, path);
}

void LoadTableAs(Editor& ed) {
    const std::string path = openTablePath(ed);
    if (path.empty()) return;
    std::vector<std::string> buttons{"Automatic"};
    for (int e = 0; e < kTextEncodings; ++e) buttons.emplace_back(encodingName(static_cast<TextEncoding>(e)));
    buttons.emplace_back("Cancel");
    const int cancel = static_cast<int>(buttons.size()) - 1;
    const std::string name = std::filesystem::path(path).filename().string();
    const int choice = ed.services.ask("Read the table file \"" + name + "\" as:", buttons, 0, cancel);
    if (choice < 0 || choice >= cancel) return;
    LoadTableFile(ed, path, choice == 0 ? std::nullopt : std::optional(static_cast<TextEncoding>(choice - 1)));
}

int LoadTableFile(Editor& ed, const std::string& path, std::optional<TextEncoding> encoding) {
    EditorState& s = ed.s;
    // The load reads into copies (the file merges into the table),
    // which take the table's place only when it has read the whole file.
    Table table = s.table.model();
    TableSource source = s.table.source;
    TblLoadResult result;
    if (!runLongWork(ed.services, "Loading the table...", "load the table", [&](const Progress& progress) {
            result = loadTblFile(path, table, source, encoding, progress);
        }))
        return 0;
    if (result.status != TblLoadStatus::Loaded) {
        if (result.status == TblLoadStatus::Failed) ed.services.messageBox("Problems Loading Table\n" + result.error);
        return 0;
    }
    s.table.replace(std::move(table));
    s.table.source = std::move(source);
    PaintTextPane(ed);
    const std::string message = describeTblLoad(path, result.read);
    if (!message.empty()) ed.services.messageBox(message);
    return result.read.entries;
}

}  // namespace tarpon
