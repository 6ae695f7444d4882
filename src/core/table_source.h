#pragma once
// What a table file held beside its entries, kept so that saving gives the file
// back: its encoding and byte-order mark, and every line as it was read.
#include <string>
#include <vector>

#include "core/table.h"
#include "core/text_encoding.h"

namespace tarpon {

struct TableSourceLine {
    enum class Role : uint8_t {
        Other,     // a comment, a blank line, a skipped line: written back as it was
        Entry,     // gave the entry `read`
        Emptying,  // "XX=": the key has no entry
    };
    std::string raw;     // the line's bytes as read, its line end included
    size_t endBytes = 0; // how many of them are the line end
    std::string lead;    // UTF-8: what comes before the text ("/41=", "8140 ="), kept when the text changes
    Role role = Role::Other;
    bool last = false;   // the last line for its key: the one that counted
    TableEntry read;     // Entry and Emptying: the entry as read (its key for Emptying)
};

struct TableSource {
    bool present = false;     // the table came from a file
    std::string path;         // that file
    TextEncoding encoding = TextEncoding::Utf8;
    bool fixedEncoding = false;  // false: the file was plain ASCII, any 8-bit encoding reads it
    bool byteOrderMark = false;
    // Only one-byte "XX=text" lines, upper-case, ascending, each ending in CR LF:
    // new entries go in their place in that order, not at the end.
    bool oneByteLines = false;
    std::string lineEnd = "\r\n";  // UTF-8: what new lines end with
    std::vector<TableSourceLine> lines;
};

}  // namespace tarpon
