#pragma once
// The lines of a table file: where each one ends, and what each one says.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/table.h"
#include "core/table_source.h"
#include "core/text_encoding.h"

namespace tarpon {

// Why a line that holds data was not read.
enum class TblSkip {
    LongKey,      // a key of more than kMaxKeyBytes bytes
    NoEquals,     // no "=" after the key
    BadKey,       // the key is not an even number of hexadecimal digits
    TableId,      // "@name"
    TableSwitch,  // "!XX=..."
    BitKey,       // "%0101=..."
    BadLinked,    // "$XX=text" without ",N"
    NotEncoded,   // bytes that are not text in the file's encoding
};

struct LineSpan {
    uint32_t start = 0;
    uint32_t length = 0;    // without the line end
    uint32_t endBytes = 0;  // the line end's bytes (0 on a last line without one)
};

// The lines of a text one after another, without keeping them. Text that holds
// CR LF anywhere has CR LF as its only line end; other text ends a line at each LF
// and each CR. Code units are those of `encoding` (two bytes in UTF-16); a stray
// last byte stays in the last line.
class LineCursor {
public:
    LineCursor(std::string_view bytes, TextEncoding encoding);
    // The next line; false when there is none.
    bool next(LineSpan& span);
    // How many lines there are (from the start, whatever next() has read).
    size_t count() const;

private:
    uint32_t unitAt(size_t at) const;

    std::string_view bytes_;
    TextEncoding encoding_;
    size_t unit_, whole_;
    bool crlfOnly_;
    size_t at_ = 0;
};

struct ParsedLine {
    TableSourceLine::Role role = TableSourceLine::Role::Other;
    bool skipped = false;  // Other, and it held data that could not be read
    TblSkip reason = TblSkip::BadKey;
    TableEntry entry;      // Entry: the entry; Emptying: its key
    size_t leadLength = 0;  // the UTF-8 bytes before the text, "=" included when there is one
};

// One line's content (without its line end) in `encoding`. `lastLine`: nothing
// follows it, so "XX=" there is passed over.
ParsedLine parseTblLine(std::string_view content, TextEncoding encoding, bool lastLine);
// The same, for content already converted to UTF-8.
ParsedLine parseTblText(std::string_view utf8, bool lastLine);
// What comes before the text in a line's content, "=" included when there is one, as UTF-8.
std::string tblLineLead(std::string_view content, TextEncoding encoding);

// "a\nb" (a real line break) as a table file writes it: "a\\nb".
std::string escapeLineBreaks(std::string_view text);

// An entry as a table file's line, UTF-8, without its line end: "8140=text",
// "/FF=<END>", "/00", "*FE", "$C9=<p>,1", "/<END>"; a line break in the text as "\n".
std::string entryRow(const TableEntry& entry);

}  // namespace tarpon
