#pragma once
// Cartographer command files: what to dump, as blocks of "#KEY:  value" lines each
// closed by "#END BLOCK" (one block per pointer table or text range), with abcde's
// extra keys. Read into a list of blocks, checked as a whole: a key this dump cannot
// follow, or a value it cannot read, is refused with its line number.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarpon {

// Command files of this many bytes or more are refused.
inline constexpr int64_t kMaxCommandFileSize = 16 * 1024 * 1024;

enum class CartoMethod { Pointer, PointerRelative, PointerRelativePc, Raw };
enum class CartoComments { No, Yes, Both };

struct CartoBlock {
    int line = 0;  // the block's first key
    std::string game, name;
    // #TYPE FIXED_STRING (&& FIXED_LINE): strings of stringLength bytes, split into lines of lineLength.
    int64_t stringLength = 0, lineLength = 0;  // 0: not fixed
    std::optional<std::string> endLabel, lineLabel;  // #STRING END / #LINE END: Yes, with their CTRL text
    CartoMethod method = CartoMethod::Pointer;
    bool bigEndian = false;
    int64_t tableStart = 0, tableStop = 0;  // pointers at tableStart + k * (size + space) below tableStop
    int pointerSize = 2;
    int64_t pointerSpace = 0;
    int64_t base = 0;  // added to every pointer by the relative methods
    bool atlasPtrs = false;
    std::optional<int64_t> scriptStart, scriptStop;  // RAW: the range, stop excluded; pointers: also stop there
    size_t table = 0;                                 // the block's table, in CommandFile::tables
    std::string tableId;                              // #TABLE ID: the block starts in the table "@id" instead
    CartoComments comments = CartoComments::No;
    int64_t stringsPerPointer = 1;
    bool endAtNextPointer = false, sortByAddress = false;
    std::optional<int64_t> jumpFrom, jumpTo;  // #AUTO JUMP START/STOP
    int64_t realignMultiple = 0, realignOffset = 0;
    bool showEndAddress = true, trimNewlines = true;
    std::map<std::string, int> lines;  // where each key of the block was given, for messages
};

struct TableName {
    std::string path;  // as the command file wrote it
    int line = 0;
};

struct CommandFile {
    std::vector<CartoBlock> blocks;   // empty when `problem` says why
    std::vector<TableName> tables;    // #TABLE and #SUB TABLE files, each once, in the order first named
    std::string problem;
};

// Reads the file's bytes: UTF-8 with or without a byte-order mark, or any encoding a
// table file may have; CR LF or LF line ends; "//" comments after values.
CommandFile readCommandFile(std::string_view bytes);

// The number forms of command files: "$1A", "$-1A", "-$1A", decimal.
std::optional<int64_t> readCommandNumber(std::string_view text);

}  // namespace tarpon
