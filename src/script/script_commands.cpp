#include "script/script_commands.h"

#include <algorithm>

#include "core/editor.h"
#include "core/file_io.h"
#include "script/script_insert.h"
#include "view/painting.h"

namespace tarpon {
namespace {

constexpr const char* kScriptFilter = "Scripts (*.txt)|*.txt|All Files (*.*)|*.*|";

std::span<const uint8_t> document(const EditorState& s) { return {s.doc.fileData.data(), static_cast<size_t>(s.doc.fileSize)}; }

std::string fileNameOf(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// Asks where to save the script and saves it; true when it was saved.
bool saveScript(Editor& ed, const std::string& script) {
    const std::string path = ed.s.fileDialog.ShowSave(ed.services, "Save Script As", "", kScriptFilter, "txt",
                                                      OFN_OVERWRITEPROMPT);
    if (path.empty()) return false;
    const SaveResult saved =
        replaceFile(path, reinterpret_cast<const uint8_t*>(script.data()), script.size(), systemFileIo());
    if (!saved.saved()) {
        ed.services.messageBox("Problems Saving\n" + saved.error);
        return false;
    }
    if (!saved.error.empty()) ed.services.messageBox(saved.error);  // saved, but a later step failed
    return true;
}

}  // namespace

DumpRequest dumpRequestOpening(const Editor& ed) {
    const EditorState& s = ed.s;
    DumpRequest r;
    const int64_t last = std::max<int64_t>(int64_t{s.doc.fileSize} - 1, 0);
    r.from = std::clamp<int64_t>(std::min<int64_t>(s.view.selAnchor, s.cursor()), 0, last);
    r.to = std::clamp<int64_t>(std::max<int64_t>(s.view.selAnchor, s.cursor()), 0, last);
    r.tableAt = r.from;
    r.count = 1;
    r.p = s.search.pointers;
    return r;
}

bool DumpScriptToFile(Editor& ed, const DumpRequest& request) {
    DumpRequest r = request;
    r.source = (ed.s.doc.fileName.empty() ? std::string("the document") : fileNameOf(ed.s.doc.fileName)) +
               (ed.s.table.source.present ? " through " + fileNameOf(ed.s.table.source.path) : std::string());
    const Table& table = ed.s.table.model();
    const std::span<const uint8_t> doc = document(ed.s);
    DumpResult result;
    if (!runLongWork(ed.services, "Dumping the script...", "dump the script",
                     [&](const Progress& progress) { result = dumpScript(table, doc, r, progress); }))
        return false;
    if (!result.problem.empty()) {
        ed.services.messageBox(result.problem);
        return false;
    }
    if (r.pointers) ed.s.search.pointers = r.p;  // Find Pointers and Follow Pointer go on with them
    return saveScript(ed, result.script);
}

bool DumpCommandFileToFile(Editor& ed, const CommandTableLoader& loadTables) {
    const std::string path = ed.s.fileDialog.ShowOpen(ed.services, "Dump from Command File", "", kScriptFilter,
                                                      OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
    if (path.empty()) return false;
    const ReadResult read = readWholeFile(path, kMaxCommandFileSize);
    if (read.status != ReadStatus::Ok) {
        ed.services.messageBox(read.status == ReadStatus::TooLarge ? "The command file is too large." : read.error);
        return false;
    }
    const CommandFile file = readCommandFile(std::string_view(reinterpret_cast<const char*>(read.bytes.data()), read.bytes.size()));
    const LoadedCommandTables tables = file.problem.empty() ? loadTables(file, path) : LoadedCommandTables();
    const std::string& problem = file.problem.empty() ? tables.problem : file.problem;
    if (!problem.empty()) {
        ed.services.messageBox(fileNameOf(path) + ": " + problem + " Nothing was dumped.");
        return false;
    }
    const std::span<const uint8_t> doc = document(ed.s);
    DumpResult result;
    if (!runLongWork(ed.services, "Dumping the script...", "dump the script",
                     [&](const Progress& progress) { result = dumpCommandFile(file, tables.view, doc, progress); }))
        return false;
    if (!result.problem.empty()) {
        ed.services.messageBox(fileNameOf(path) + ": " + result.problem);
        return false;
    }
    return saveScript(ed, result.script);
}

void InsertScriptFile(Editor& ed, const std::function<ScriptSources(const std::string&)>& sourcesFor) {
    const std::string path = ed.s.fileDialog.ShowOpen(ed.services, "Insert Script", "", kScriptFilter,
                                                      OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
    if (path.empty()) return;
    const ReadResult script = readWholeFile(path, kMaxScriptSize);
    if (script.status != ReadStatus::Ok) {
        ed.services.messageBox(script.status == ReadStatus::TooLarge ? "The script is too large." : script.error);
        return;
    }
    InsertOptions options;
    const Table& table = ed.s.table.model();
    options.table = table.entries().empty() ? nullptr : &table;  // for a script that names none
    options.sources = sourcesFor(path);
    const std::span<const uint8_t> doc = document(ed.s);
    const std::string_view text(reinterpret_cast<const char*>(script.bytes.data()), script.bytes.size());
    InsertPlan plan;
    if (!runLongWork(ed.services, "Reading the script...", "insert the script", [&](const Progress& progress) {
            InsertOptions watched = options;
            watched.progress = &progress;
            plan = planInsert(doc, text, watched);
        }))
        return;
    if (plan.cancelled) return;
    if (!plan.problem.empty()) {
        ed.services.messageBox(fileNameOf(path) + ": " + plan.problem + " Nothing was written.");
        return;
    }
    applyInsert(ed.s, plan);
    RepaintAll(ed);
    std::string report = describeInsert(plan);
    for (const std::string& w : plan.warnings) report += "\n" + w;
    ed.services.messageBox(report);
}

}  // namespace tarpon
