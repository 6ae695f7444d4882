#include "app/document.h"

#include <algorithm>

#include "core/editor.h"
#include "core/file_io.h"
#include "patch/compare_commands.h"
#include "view/cursor.h"
#include "view/value_panes.h"

namespace tarpon {
namespace {

// Room for a few inserts after a load without moving the whole document.
constexpr size_t kSpareCapacity = 1 << 20;

// A cursor past the new document's end goes to its last byte, as a jump there would,
// so the page shows the document; a cursor inside it stays, to compare versions at one offset.
void keepCursorInDocument(Editor& ed) {
    EditorState& s = ed.s;
    const int64_t last = std::max<int64_t>(int64_t{s.doc.fileSize} - 1, 0);
    if (s.view.selAnchor > last) s.view.selAnchor = static_cast<int32_t>(last);
    if (s.cursor() > last) MoveCursor(ed, last);
}

}  // namespace

std::string tooLargeMessage() {
    return "Size to big ( it is " + std::to_string(kMaxFileSize / 1024 / 1024) + " mb or bigger)";
}

void InitDocument(Editor& ed) {
    EditorState& s = ed.s;
    s.doc.fileSize = 256;
    s.doc.fileData.assign(256, 0);
    for (int i = 0; i < 256; ++i) s.doc.fileData[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    s.doc.letters.reset();
    PaintFileSize(ed);
}

void LoadFile(Editor& ed, const std::string& path) { LoadFile(ed, path, systemFileIo()); }

void LoadFile(Editor& ed, const std::string& path, FileIo& io) {
    EditorState& s = ed.s;
    ReadResult read = readWholeFile(path, kMaxFileSize, kSpareCapacity, io);
    switch (read.status) {
    case ReadStatus::Failed:
        // Nothing was read: the document and its file name stay as they were.
        ed.services.messageBox(read.error);
        return;
    case ReadStatus::TooLarge:
        EndComparison(ed);
        // The document becomes empty; its name is dropped so that a later Save
        // can neither replace the refused file nor overwrite the previous one.
        ed.services.messageBox(tooLargeMessage());
        s.doc.fileSize = 0;
        s.doc.fileName.clear();
        s.doc.fileStamp = {};
        s.doc.letters.reset();
        s.doc.history.clear();
        s.doc.savedState = 0;
        keepCursorInDocument(ed);
        return;
    case ReadStatus::Ok:
        break;
    }
    EndComparison(ed);
    s.doc.fileName = path;
    s.doc.fileStamp = read.stamp;
    s.doc.fileSize = static_cast<int32_t>(read.bytes.size());
    if (read.bytes.empty()) read.bytes.assign(1, 0);
    s.doc.fileData = std::move(read.bytes);
    s.doc.letters.reset();
    s.doc.history.clear();
    s.doc.savedState = 0;
    keepCursorInDocument(ed);
    PaintFileSize(ed);
}

bool SaveFile(Editor& ed, const std::string& path) { return SaveFile(ed, path, systemFileIo()); }

bool SaveFile(Editor& ed, const std::string& path, FileIo& io) {
    EditorState& s = ed.s;
    const auto write = [&](const FileStamp* expected) {
        return replaceFile(path, s.doc.fileData.data(), static_cast<size_t>(s.doc.fileSize), io, expected);
    };
    // The document's own file is compared with what was loaded or last saved.
    const bool own = !path.empty() && path == s.doc.fileName;
    SaveResult saved = write(own ? &s.doc.fileStamp : nullptr);
    if (saved.status == SaveStatus::ChangedOnDisk) {
        if (ed.services.ask(changedOnDiskQuestion(path), {"Overwrite", "Cancel"}, 1, 1) != 0) return false;
        saved = write(nullptr);
    }
    // A save in place that failed put the old bytes back, which changed the file's time only.
    const bool ownFile = own || saved.replaced.sameFile(s.doc.fileStamp);
    if (!saved.saved() && saved.stamp.known && ownFile) s.doc.fileStamp = saved.stamp;
    if (!saved.saved()) {
        // The start-up document has no file to name; any other failure says why.
        ed.services.messageBox(path.empty() ? "Problems Saving" : "Problems Saving\n" + saved.error);
        return false;
    }
    if (saved.status == SaveStatus::SavedBut) ed.services.messageBox(saved.error);
    // Also Save As over the document's own file, under another name, leaves it as saved here.
    if (ownFile) s.doc.fileStamp = saved.stamp;
    return true;
}

std::string documentName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

}  // namespace tarpon
