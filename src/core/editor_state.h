#pragma once
// The state every window of the editor reads and writes.
#include <algorithm>
#include <memory>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/byte_store.h"
#include "core/char_table.h"
#include "core/comparison.h"
#include "core/dialog_service.h"
#include "core/file_stamp.h"
#include "core/letter_reader.h"
#include "core/pointer_settings.h"
#include "core/spelling.h"
#include "core/table.h"
#include "core/table_source.h"
#include "core/table_state.h"
#include "core/undo_history.h"

namespace tarpon {

// Files of this many bytes or more are refused.
inline constexpr int32_t kMaxFileSize = 9 * 1024 * 1024;

// The main window's panes that take the keyboard.
enum class InputPane : uint8_t { None, Hex, Text, Dec, Oct, Offset };

// Where the open typing run goes on (see core/edits.h); pane None: no run is open.
struct TypingRun {
    InputPane pane = InputPane::None;
    int64_t next = -1;   // the byte the next typed byte must land on
    uint64_t state = 0;  // history.stateId() after the run's last byte
};

// The document: its bytes, its file and its changes.
struct DocumentState {
    ByteStore fileData{0};    // the document is its first fileSize bytes; never shorter than 1
    int32_t fileSize = 0;
    std::string fileName;
    FileStamp fileStamp;      // fileName's file as last loaded or saved
    UndoHistory history;      // the document's changes since it was loaded
    uint64_t savedState = 0;  // history.stateId() when the document last matched its file
    LetterIndex letters;      // where the table's letters start; reset when a document is loaded
    ComparisonState comparison;  // Compare With...: the other file and the runs that differ from it

    std::span<const uint8_t> bytes() const { return {fileData.data(), static_cast<size_t>(std::max(fileSize, 0))}; }
};

// Where the window looks and how it shows the bytes.
struct ViewState {
    int32_t pageTop = 0;      // offset of the page's first byte, a multiple of 16
    int32_t cursorRel = 0;    // cursor offset minus pageTop
    int32_t selAnchor = 0;    // the other end of the selection
    bool viewMode = false;    // text pane: true table letters, false ASCII
    bool offsetMode = false;  // offsets: true hexadecimal, false decimal
    bool scrollBusy = false;
    InputPane focusPane = InputPane::Hex;  // the pane that has (or last had) the keyboard

    int64_t cursor() const { return int64_t{pageTop} + cursorRel; }
};

// What typing holds between keys.
struct TypingState {
    bool multiLetters = false;
    bool nibblePending = false;
    std::string typedLetters;  // table letters typed in the text pane, not yet written
    TypingRun typingRun;
};

// What the searches and the pointer commands keep from one use to the next.
struct SearchState {
    std::vector<uint8_t> searchPattern;  // the last search's bytes; empty until the first search
    // The last Table search's other spellings: byte sequences it finds beside searchPattern.
    std::vector<std::vector<uint8_t>> searchSpellings;
    int16_t searchWildcard = -1;         // 0..255, or -1 for none
    bool searchRelative = false;
    std::string customAlphabet;          // the relative search's custom letter order (UTF-8), kept for the run
    PointerSettings pointers;            // the pointer commands' last settings
};

struct EditorState {
    DocumentState doc;
    ViewState view;
    TableState table;       // the character table, its one-byte letters and its file
    TypingState typing;
    SearchState search;
    clsDialog fileDialog;   // shared by the document and table file commands

    // The document read through the table, with the chosen starts.
    TableReading reading() const { return {table.model(), table.charTable(), table.utf8(), doc.letters.starts()}; }
    std::span<const uint8_t> document() const { return doc.bytes(); }
    int64_t cursor() const { return view.cursor(); }
    // The document differs from what was last loaded or saved.
    bool modified() const { return doc.history.stateId() != doc.savedState; }
};

}  // namespace tarpon
