#pragma once
// Turning a range of document bytes into text for the clipboard, and the copy
// dialog's decisions: its opening values, preview, key filter and radix switch.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/char_table.h"
#include "core/letter_reader.h"
#include "core/spelling.h"

namespace tarpon {

struct Editor;
struct EditorState;

// How each byte is written: decimal number, its Latin-1 character, or its table letters.
enum class CopyType { Value = 0, Ascii = 1, Table = 2 };
// The radix the From and To fields are typed in.
enum class OffsetRadix { Hex = 0, Dec = 1, Oct = 2 };

// What the copy dialog's fields hold. The before- and after-texts are Latin-1, or
// UTF-8 when copyTextIsUtf8.
struct CopyForm {
    std::array<std::string, 2> txtOffset;  // 0: From, 1: To
    OffsetRadix offsetRadix = OffsetRadix::Hex;
    CopyType type = CopyType::Value;
    std::string txtBefore, txtAfter;
};

// The fields at opening: the selection's ends, in the main window's offset radix.
CopyForm copyFormOpening(const EditorState& s);

// "Ex   " and three samples wrapped in the before- and after-texts.
std::string UpdateCopyExample(CopyType type, std::string_view before, std::string_view after);

// The character an offset field receives for a typed one (lower-case hex letters
// become upper-case), or 0 when it is refused. Backspace (8) always passes.
int txtOffset_KeyPress(std::string_view field, OffsetRadix radix, int ch);

// What an offset field may hold, whichever way the text came (typed, pasted, dropped):
// at most 8 digits of the radix, lower-case hex letters made upper-case; nothing
// when the text holds anything else, so the field keeps what it had.
std::optional<std::string> acceptedOffsetText(std::string_view text, OffsetRadix radix);

// Whether a key's character goes through that filter: printable characters typed
// without Ctrl or Alt. Control characters (Tab, Backspace, Enter, Escape) and
// Ctrl/Alt combinations are the field's and the window's own keys.
bool isTypedCharacter(int unicode, int shift);

// `text` with only the digits of `radix` kept, unconverted.
std::string keepRadixDigits(std::string_view text, OffsetRadix radix);
void OptOffset_Click(CopyForm& form, int index);

// Either offset label: From and To change places.
void Label_DblClick(CopyForm& form);

// The field's text read as a number in the form's radix, rounded and clamped to int64.
int64_t readCopyOffset(std::string_view text, OffsetRadix radix);

// From and To limited to the document [0, size); nothing when no part of the range lies in it.
// The direction (From > To: downwards) is kept.
struct CopyRange {
    int64_t from = 0, to = 0;
};
std::optional<CopyRange> clipCopyRange(int64_t from, int64_t to, int64_t size);

// The table a Table copy reads the bytes through, and where the letters of `bytes`
// start when it is the document (else they are read from its first byte).
struct CopyTable {
    TableReading reading;
    LetterIndex* index = nullptr;
    uint64_t stamp = 0;  // the document's state, for the index
    // The text pastes back to the same bytes (the text pane's Copy): a byte with no
    // letter is written `<$XX>`, and so is a letter that would paste back otherwise.
    bool readsBack = false;
    const Speller* speller = nullptr;  // typing's speller of the table, which readsBack needs
};

// Exact length of the text formatCopy builds for the clipped range.
uint64_t copyTextLength(std::span<const uint8_t> bytes, int64_t from, int64_t to, CopyType type,
                        std::string_view before, std::string_view after, const CopyTable& table);

// before + item + after for every byte from `from` to `to` inclusive, downwards when
// from > to; a Table copy gives one item for each letter that starts in the range
// (a key of several bytes is one letter, a linked entry's parameter bytes "<$XX>").
// Ends outside `bytes` are clipped to it; nothing outside it is read.
std::string formatCopy(std::span<const uint8_t> bytes, int64_t from, int64_t to, CopyType type,
                       std::string_view before, std::string_view after, const CopyTable& table);

// The document's table, its letters and chosen starts, for a copy of the document.
CopyTable documentCopyTable(EditorState& s);

// Longest text the copy puts on the clipboard.
inline constexpr uint64_t kMaxCopyText = uint64_t{256} * 1024 * 1024;

// A Table copy through a table whose letters are UTF-8 is UTF-8 text, and goes to
// the clipboard as such; every other copy is Latin-1, one character a byte.
bool copyTextIsUtf8(const EditorState& s, CopyType type);

// Checks the fields, builds the text and puts it on the clipboard. True when it did,
// so the dialog closes; false after a message, with the dialog kept open.
bool cmdCopy_Click(Editor& ed, const CopyForm& form);

}  // namespace tarpon
