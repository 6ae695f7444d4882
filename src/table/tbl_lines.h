#pragma once
// The lines of a table file: where each one ends, and what each one says.
#include <array>
#include <cstdint>
#include <memory>
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
    TableId,      // "@..." that is not a table's name on a line of its own
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

// The lines of a text one after another. Text that holds CR LF anywhere has CR LF
// as its only line end; other text ends a line at each LF and each CR. Code units
// are those of `encoding` (two bytes in UTF-16); a stray last byte stays in the
// last line. The line ends are all found when the cursor is made, in one pass.
class LineCursor {
public:
    LineCursor(std::string_view bytes, TextEncoding encoding);
    // The next line; false when there is none.
    bool next(LineSpan& span) {
        if (line_ == lines_) return false;
        const size_t start = at_;
        if (line_ < endCount_) {
            const uint32_t end = ends_[line_];
            span = {static_cast<uint32_t>(start), static_cast<uint32_t>(end - start), endBytes_};
            at_ = end + endBytes_;
        } else {
            span = {static_cast<uint32_t>(start), static_cast<uint32_t>(bytes_.size() - start), 0};
            at_ = bytes_.size();
        }
        ++line_;
        return true;
    }
    // How many lines there are.
    size_t count() const { return lines_; }
    // The first line end's bytes, or nothing when there is none.
    std::string_view firstEnd() const { return endCount_ == 0 ? std::string_view() : bytes_.substr(ends_[0], endBytes_); }

private:
    std::string_view bytes_;
    std::unique_ptr<uint32_t[]> ends_;  // where each line end starts
    size_t endCount_ = 0;
    uint32_t endBytes_ = 0;             // the bytes of each line end
    size_t lines_ = 0;                  // the line ends, and one more when text follows the last
    size_t line_ = 0, at_ = 0;          // the next line, and where it starts
};

// How many of the offsets from `from` to `to` pass `test`. They are counted in
// blocks of 240, each into a byte, which the compiler widens to vector instructions
// that count 16 bytes or more at once.
template <typename Test>
size_t countWhere(size_t from, size_t to, Test test) {
    size_t count = 0;
    for (; from < to; from += 240) {
        const size_t end = to - from < 240 ? to : from + 240;
        uint8_t inBlock = 0;
        for (size_t i = from; i < end; ++i) inBlock += test(i) ? 1 : 0;
        count += inBlock;
    }
    return count;
}

// How many lines a text has, as LineCursor reads them.
size_t countLines(std::string_view bytes, TextEncoding encoding);

struct ParsedLine {
    TableSourceLine::Role role = TableSourceLine::Role::Other;
    bool skipped = false;  // Other, and it held data that could not be read
    TblSkip reason = TblSkip::BadKey;
    TableEntry entry;      // Entry: the entry; Emptying: its key
    size_t leadLength = 0;  // the UTF-8 bytes before the text, "=" included when there is one
    bool names = false;     // "@name": the line names a logical table; role Other
};

// One line's fields, read without making a string: the key's bytes are kept here,
// the text is a view of the line (or of the caller's scratch string when "\n" in it
// had to become line breaks).
struct LineFields {
    TableSourceLine::Role role = TableSourceLine::Role::Other;
    bool skipped = false;  // Other, and it held data that could not be read
    TblSkip reason = TblSkip::BadKey;
    EntryKind kind = EntryKind::Letter;
    uint8_t keyLength = 0;
    int params = 0;
    std::array<char, kMaxKeyBytes> keyBytes{};
    std::string_view text;
    size_t leadLength = 0;  // the bytes before the text, "=" included when there is one
    bool names = false;     // "@name": the line names a logical table (`text` is the name); role Other
    std::string_view key() const { return {keyBytes.data(), keyLength}; }
    // A line that gives nothing (the key's bytes are left as they are: keyLength says none count).
    void reset() {
        role = TableSourceLine::Role::Other;
        skipped = false;
        reason = TblSkip::BadKey;
        kind = EntryKind::Letter;
        keyLength = 0;
        params = 0;
        text = {};
        leadLength = 0;
        names = false;
    }
};

// Reads one line of UTF-8 content (without its line end) into `out`. `lastLine`:
// nothing follows it, so "XX=" there is passed over. The text may be left in `scratch`.
void readTblFields(std::string_view utf8, bool lastLine, LineFields& out, std::string& scratch);

// One line of UTF-8 content (without its line end). `lastLine`: nothing follows
// it, so "XX=" there is passed over.
ParsedLine parseTblText(std::string_view utf8, bool lastLine);
// What comes before the text in a line's content, "=" included when there is one, as UTF-8.
std::string tblLineLead(std::string_view content, TextEncoding encoding);

// "a\nb" (a real line break) as a table file writes it: "a\\nb".
std::string escapeLineBreaks(std::string_view text);

// An entry as a table file's line, UTF-8, without its line end: "8140=text",
// "/FF=<END>", "/00", "*FE", "$C9=<p>,1", "/<END>"; a line break in the text as "\n".
std::string entryRow(const TableEntry& entry);

}  // namespace tarpon
