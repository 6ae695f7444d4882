#include "patch/compare_commands.h"

#include <algorithm>

#include "core/edits.h"
#include "core/editor.h"
#include "core/file_io.h"
#include "patch/compare.h"
#include "patch/patch_file.h"
#include "view/cursor.h"
#include "view/painting.h"

namespace tarpon {
namespace {

constexpr const char* kAllFiles = "All Files (*.*)|*.*|";
constexpr const char* kPatchFilter = "Patches (*.ips;*.bps)|*.ips;*.bps|All Files (*.*)|*.*|";

std::string nameOf(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

std::string plural(uint64_t n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

std::string statusText(const EditorState& s) {
    const ComparisonState& c = s.doc.comparison;
    std::string text = c.runs.empty() ? "no difference from " + nameOf(c.otherPath)
                                      : plural(c.runs.size(), "run", "runs") + ", " +
                                            plural(c.differingBytes, "byte", "bytes") + " differ from " + nameOf(c.otherPath);
    const uint64_t size = static_cast<uint64_t>(s.doc.fileSize);
    if (c.otherSize != size)
        text += " (sizes differ: " + std::to_string(size) + " and " + std::to_string(c.otherSize) + " bytes; the first " +
                std::to_string(std::min(size, c.otherSize)) + " compared)";
    return text;
}

void findRuns(Editor& ed) {
    EditorState& s = ed.s;
    ComparisonState& c = s.doc.comparison;
    const std::span<const uint8_t> doc = s.document();
    const size_t common = std::min(doc.size(), c.other.size());
    c.runs = differingRuns(doc.first(common), std::span<const uint8_t>(c.other).first(common));
    c.differingBytes = 0;
    for (const ByteRun& r : c.runs) c.differingBytes += r.length;
    c.comparedState = s.doc.history.stateId();
    c.comparedSize = s.doc.fileSize;
    ed.v.titleStatus = statusText(s);
}

// The bytes of a file the user picks, up to `limit` of them; nothing after a message.
std::optional<ByteStore> readChosen(Editor& ed, const std::string& path, uint64_t limit, uint64_t* fullSize = nullptr) {
    InputFile file(path, kMaxPatchedFileSize);
    std::optional<ByteStore> bytes = file.ok() ? file.readFirst(limit) : std::nullopt;
    if (!bytes) ed.services.messageBox("Cannot read " + file.error);
    if (fullSize) *fullSize = file.size();
    return bytes;
}

void moveToDifference(Editor& ed, std::optional<uint64_t> to, const char* none) {
    if (!to) return ed.services.messageBox(none);
    MoveCursor(ed, static_cast<int64_t>(*to));
    ed.s.view.selAnchor = static_cast<int32_t>(ed.s.cursor());
    PlaceMarks(ed);
    RepaintAll(ed);
}

}  // namespace

void CompareWith(Editor& ed) {
    const std::string path = ed.s.fileDialog.ShowOpen(ed.services, "Compare With", "", kAllFiles,
                                                      OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_LONGNAMES);
    if (path.empty()) return;
    uint64_t size = 0;
    // The document never grows past its limit, so more of the other file is never compared.
    std::optional<ByteStore> other = readChosen(ed, path, kMaxFileSize, &size);
    if (!other) return;
    ComparisonState& c = ed.s.doc.comparison;
    c.active = true;
    c.otherPath = path;
    c.otherSize = size;
    c.other = std::move(*other);
    findRuns(ed);
    RepaintAll(ed);
}

bool RefreshComparison(Editor& ed) {
    const ComparisonState& c = ed.s.doc.comparison;
    if (!c.active || (c.comparedState == ed.s.doc.history.stateId() && c.comparedSize == ed.s.doc.fileSize)) return false;
    findRuns(ed);
    PaintHexPane(ed);
    PaintTextPane(ed);
    return true;
}

void EndComparison(Editor& ed) {
    ed.s.doc.comparison = {};
    ed.v.titleStatus.clear();
}

void NextDifference(Editor& ed) {
    RefreshComparison(ed);
    moveToDifference(ed, nextDifference(ed.s.doc.comparison.runs, static_cast<uint64_t>(ed.s.cursor())),
                     "No difference after the cursor.");
}

void PreviousDifference(Editor& ed) {
    RefreshComparison(ed);
    moveToDifference(ed, previousDifference(ed.s.doc.comparison.runs, static_cast<uint64_t>(ed.s.cursor())),
                     "No difference before the cursor.");
}

void CreatePatchFromDocument(Editor& ed) {
    const std::string originalPath = ed.s.fileDialog.ShowOpen(ed.services, "Original File (Unchanged)", "", kAllFiles,
                                                              OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_LONGNAMES);
    if (originalPath.empty()) return;
    const std::optional<ByteStore> original = readChosen(ed, originalPath, kMaxPatchedFileSize);
    if (!original) return;
    const std::string patchPath = ed.s.fileDialog.ShowSave(ed.services, "Save Patch As", "", kPatchFilter, "bps",
                                                           OFN_OVERWRITEPROMPT);
    if (patchPath.empty()) return;
    const std::optional<PatchFormat> format = patchFormatOf(patchPath);
    if (!format) return ed.services.messageBox("A patch's name ends in .ips or .bps. No patch was written.");
    const PatchResult patch = createPatch(*format, *original, ed.s.document());
    if (!patch.ok()) return ed.services.messageBox(patch.error);
    const SaveResult saved = replaceFile(patchPath, patch.bytes.data(), patch.bytes.size(), systemFileIo());
    if (!saved.saved()) return ed.services.messageBox("Problems Saving\n" + saved.error);
    if (!saved.error.empty()) ed.services.messageBox(saved.error);
}

void ApplyPatchToDocument(Editor& ed) {
    const std::string path = ed.s.fileDialog.ShowOpen(ed.services, "Patch To Apply", "", kPatchFilter,
                                                      OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_LONGNAMES);
    if (path.empty()) return;
    const std::optional<PatchFormat> format = patchFormatOf(path);
    if (!format) return ed.services.messageBox("A patch's name ends in .ips or .bps.");
    const std::optional<ByteStore> patch = readChosen(ed, path, kMaxPatchedFileSize);
    if (!patch) return;
    EditorState& s = ed.s;
    const PatchResult result = applyPatch(*format, *patch, s.document());
    if (!result.ok()) return ed.services.messageBox(result.error);
    if (result.bytes.size() >= static_cast<size_t>(kMaxFileSize))
        return ed.services.messageBox("The patched file would be " + std::to_string(result.bytes.size()) +
                                      " bytes; the window edits files below 9 MiB. Use tarpon-hex patch apply.");
    // Only the changed middle is recorded, as one step that Undo takes back.
    const std::span<const uint8_t> doc = s.document(), now(result.bytes);
    size_t head = 0;
    while (head < doc.size() && head < now.size() && doc[head] == now[head]) ++head;
    size_t tail = 0;
    while (tail < doc.size() - head && tail < now.size() - head && doc[doc.size() - 1 - tail] == now[now.size() - 1 - tail]) ++tail;
    if (head == doc.size() && head == now.size()) return ed.services.messageBox("The patch changes nothing in this document.");
    spliceRecorded(s, static_cast<int64_t>(head), static_cast<int64_t>(doc.size() - head - tail),
                   now.subspan(head, now.size() - head - tail));
    MoveCursor(ed, std::min<int64_t>(s.cursor(), std::max<int64_t>(int64_t{s.doc.fileSize} - 1, 0)));
    s.view.selAnchor = static_cast<int32_t>(s.cursor());
    PlaceMarks(ed);
    RepaintAll(ed);
}

}  // namespace tarpon
