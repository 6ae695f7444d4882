#pragma once
// Character table files (.tbl) in the community format: "XXYY=text" entries of
// keys of one byte or more, "/XX=text" end tokens, "*XX=text" line breaks,
// "$XX=text,N" linked entries, "#" and ";" comments. Reading and writing work on
// in-memory bytes, so they are testable without the disk; the file functions
// around them add the disk.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_io.h"
#include "core/progress.h"
#include "core/table.h"
#include "core/table_source.h"
#include "core/text_encoding.h"
#include "table/tbl_lines.h"

namespace tarpon {

// Table files of this many bytes or more are refused.
inline constexpr int64_t kMaxTblFileSize = 16 * 1024 * 1024;

std::string_view skipReason(TblSkip reason);

struct TblSkippedLine {
    int line = 0;  // counted from 1
    TblSkip reason = TblSkip::BadKey;
};

struct TblDuplicate {
    std::string key;         // the key's bytes
    std::vector<int> lines;  // the first kListedLines lines that give it
    int count = 0;           // every line that gives it
    int last = 0;            // the last of them, which wins
};
inline constexpr size_t kListedLines = 4;

struct TblReadResult {
    int entries = 0;                          // keys the file set (emptied by "41=" included)
    int skipped = 0;                          // lines holding data that were not read
    std::vector<TblSkippedLine> firstSkips;   // the first kListedSkips of them
    int duplicates = 0;                       // keys given on more than one line
    std::vector<TblDuplicate> firstDuplicates;  // the first kListedSkips of them
    DetectedEncoding encoding;
    std::vector<std::string> tables;          // the names of the file's logical tables; none without "@name" lines
    size_t part = 0;                          // the one read
};
inline constexpr size_t kListedSkips = 5;

// Merges the lines of `bytes` into `table`: entries not mentioned stay, and the last
// line for a key wins. A file with "@name" lines holds several logical tables: each
// such line names the one that follows it (the first names the one being read, even
// after entries), and only the lines of the table numbered `part` (from 0) are read;
// the others' lines are kept as they are, as are table switches and bit-string keys.
// `encoding` forces the file's encoding (a byte-order mark of that encoding is passed
// over); without it the encoding is found (detectEncoding).
// Text that holds CR LF anywhere has CR LF as its only line end (so a text may hold
// a lone CR or LF); other text ends a line at each LF and each CR. "\n" in a text is
// a line break. "XX=" with no text removes the key's entry, except on the last line,
// where it is passed over. Blanks around a key are dropped. With `source`, the file
// is kept there for writeTbl. Never reads outside `bytes`. Stopped by `progress`
// (asked every 1,024 lines), the table holds the lines read so far and `source` is
// left as it was.
TblReadResult readTbl(std::string_view bytes, Table& table, TableSource* source = nullptr,
                      std::optional<TextEncoding> encoding = std::nullopt, const Progress& progress = {},
                      size_t part = 0);

// Where each line of a table's file is and what it gave, read again from the
// source's bytes when the table is written back. `oneByteLines`: only one-byte
// "XX=text" lines, upper-case, ascending, each ending in CR LF, so that new entries
// go in their place in that order rather than at the end.
struct SourceLines {
    std::vector<TableSourceLine> lines;  // a run of lines that give no entry is one
    std::vector<TableEntry> reads;       // by line: the entry it gave (its key only for "XX=")
    bool oneByteLines = false;
    size_t newLinesAt = 0;               // the line new entries go before: the end of the source's logical table
};
SourceLines readSourceLines(const TableSource& source);

// The file's bytes. With no source: one "XX=text" CR LF line per entry in ascending
// order (one-byte keys first), Latin-1 when every text has a Latin-1 byte, else
// UTF-8. With a source: every line as it was read, changed entries rewritten in
// place, removed ones dropped, new ones added at the end (in key order for a file
// of one-byte lines only; at the end of its own logical table in a file of several).
// Nothing, and why in `problem`, when a text cannot be written: a character the
// file's encoding lacks, or a line end in it.
// `used`: the encoding the bytes are in.
std::optional<std::string> writeTbl(const Table& table, const TableSource& source, std::string* problem = nullptr,
                                    TextEncoding* used = nullptr);

// Makes the file's logical table `part` (from 0) the one `table` holds: the table's
// entries are first written into the source's bytes in place of the table they came
// from (the file on disk stays as it is), then `part`'s entries are read from them.
// Nothing changes, and the answer says why, when the file holds no such table or an
// entry cannot be written in the file's encoding.
std::string readLogicalTable(Table& table, TableSource& source, size_t part);

enum class TblLoadStatus { Loaded, Failed, Cancelled };

struct TblLoadResult {
    TblLoadStatus status = TblLoadStatus::Failed;
    std::string error;  // why it failed, for the user
    TblReadResult read;
};

// Reads the file at `path` whole and merges it into `table`, keeping its lines in
// `source`. A file that is missing, unreadable or too large changes nothing, nor
// does a load stopped by `progress` (Cancelled).
TblLoadResult loadTblFile(const std::string& path, Table& table, TableSource& source,
                          std::optional<TextEncoding> encoding = std::nullopt, const Progress& progress = {});

// Nothing when every line was read and no key was given twice; else the encoding,
// the entries read, the keys given twice and the lines skipped.
std::string describeTblLoad(const std::string& path, const TblReadResult& read);

// Replaces the file at `path` with the table's bytes; a failure leaves the old file
// as it was. Saved or SavedBut when the bytes are in the file; `error` then says what
// failed afterwards, if anything. With `expected`, a file at the path that differs
// from it is left alone (ChangedOnDisk). Once saved, `source` is that file, so that
// the next save starts from it and compares with it.
SaveStatus saveTblFile(const std::string& path, const Table& table, TableSource& source, FileIo& io,
                       std::string* error, const FileStamp* expected = nullptr);

// A key as upper-case hexadecimal digits: "8140".
std::string hexKey(std::string_view key);

}  // namespace tarpon
