#pragma once
// What a table file held beside its entries, kept so that saving gives the file
// back: its encoding and byte-order mark, and every line as it was read.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_stamp.h"
#include "core/table.h"
#include "core/text_encoding.h"

namespace tarpon {

struct TableSourceLine {
    enum class Role : uint8_t {
        Other,     // a comment, a blank line, a skipped line: written back as it was
        Entry,     // gave the entry `read`
        Emptying,  // "XX=": the key has no entry
    };
    uint32_t start = 0;     // where the line starts in TableSource::bytes
    uint32_t length = 0;    // its bytes before the line end
    uint32_t endBytes = 0;  // its line end's bytes (0 on a last line without one)
    Role role = Role::Other;
    bool last = false;      // the last line for its key: the one that counted
};

struct TableSource {
    bool present = false;     // the table came from a file
    std::string path;         // that file
    FileStamp stamp;          // that file as last loaded or saved
    TextEncoding encoding = TextEncoding::Utf8;
    bool fixedEncoding = false;  // false: the file was plain ASCII, any 8-bit encoding reads it
    bool byteOrderMark = false;
    std::string lineEnd = "\r\n";  // UTF-8: what new lines end with
    std::string bytes;               // the file as read, after its byte-order mark (its lines are read again to save it)
    // The logical tables the file holds, by the names of its "@name" lines (none when it
    // has none), and the one the table was read from; the others' lines are kept as they are.
    std::vector<std::string> tables;
    size_t part = 0;

    // A line's bytes, its line end included or not.
    std::string_view raw(const TableSourceLine& line) const {
        return std::string_view(bytes).substr(line.start, line.length + line.endBytes);
    }
    std::string_view content(const TableSourceLine& line) const {
        return std::string_view(bytes).substr(line.start, line.length);
    }
};

}  // namespace tarpon
