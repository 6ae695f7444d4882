#pragma once
// The state every window of the editor reads and writes.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/byte_store.h"
#include "core/char_table.h"
#include "core/dialog_service.h"
#include "core/file_stamp.h"
#include "core/undo_history.h"

namespace tarpon {

// Files of this many bytes or more are refused.
inline constexpr int32_t kMaxFileSize = 9 * 1024 * 1024;

struct EditorState {
    ByteStore fileData{0};    // the document is its first fileSize bytes; never shorter than 1
    int32_t fileSize = 0;
    int32_t pageTop = 0;      // offset of the page's first byte, a multiple of 16
    int32_t cursorRel = 0;    // cursor offset minus pageTop
    int32_t selAnchor = 0;    // the other end of the selection
    bool viewMode = false;    // text pane: true table letters, false ASCII
    bool offsetMode = false;  // offsets: true hexadecimal, false decimal
    std::string fileName;
    FileStamp fileStamp;      // fileName's file as last loaded or saved
    clsDialog fileDialog;     // shared by the document and table file commands
    CharTable charTable;
    // The table's letters are UTF-8 text rather than Latin-1: decided by each table load
    // (a plain-ASCII file keeps it as it was); the table editor stores typed letters to match.
    bool tableUtf8 = false;
    // Table files loaded with lines that could not be read, and how many: saving over one asks first.
    std::vector<std::pair<std::string, int>> tableUnreadLines;
    bool multiLetters = false;
    bool scrollBusy = false;
    bool nibblePending = false;
    std::string typedLetters;  // table letters typed in the text pane, not yet written
    UndoHistory history;       // the document's changes since it was loaded
    uint64_t savedState = 0;   // history.stateId() when the document last matched its file
    std::vector<uint8_t> searchPattern;  // the last search's bytes; empty until the first search
    int16_t searchWildcard = -1;         // 0..255, or -1 for none
    bool searchRelative = false;

    int64_t cursor() const { return int64_t{pageTop} + cursorRel; }
    // The document differs from what was last loaded or saved.
    bool modified() const { return history.stateId() != savedState; }
    // Overwrites the byte at offset, which must lie in the document, and records it.
    void overwrite(int64_t offset, uint8_t value, bool joined = false) {
        uint8_t& byte = fileData[static_cast<size_t>(offset)];
        Change c;
        c.kind = Change::Kind::Overwrite;
        c.joined = joined;
        c.before = byte;
        c.after = value;
        c.offset = static_cast<int32_t>(offset);
        c.count = 1;
        byte = value;
        history.record(c);
    }
};

}  // namespace tarpon
