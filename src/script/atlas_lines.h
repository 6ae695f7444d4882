#pragma once
// Reading an insertion script's file: its encoding, its lines, and the syntax of
// its commands and numbers, as Atlas and abcde write them.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/text_encoding.h"

namespace tarpon {

struct DecodedScript {
    std::string owned;      // the text when it had to be converted
    std::string_view text;  // UTF-8, without a byte-order mark: `owned`, or the bytes given
    std::string problem;  // why the bytes are no text in the chosen encoding
    TextEncoding encoding = TextEncoding::Utf8;
};
// The script as UTF-8: in `forced` when given (its byte-order mark passed over),
// else in the encoding found as for table files (a byte-order mark, UTF-8, Shift-JIS…).
DecodedScript decodeScript(std::string_view bytes, std::optional<TextEncoding> forced);

enum class LineKind { Blank, Comment, Command, Text };
struct ScriptLine {
    int number = 0;         // from 1
    LineKind kind = LineKind::Text;
    std::string_view text;  // the whole line without its end; a command's from its "#"
};
// The lines of a text one by one, each ended by CR LF, LF or CR. Blanks are spaces
// and tabs; a line of blanks only is Blank, one whose first non-blank is "//" a
// Comment, one whose first non-blank is "#" a Command, anything else Text.
class ScriptLineReader {
public:
    explicit ScriptLineReader(std::string_view text) : text_(text) {}
    bool next(ScriptLine& line);

private:
    std::string_view text_;
    size_t at_ = 0;
    int number_ = 0;
};

enum class ArgKind { Number, String, Name };
struct ScriptArg {
    ArgKind kind = ArgKind::Name;
    int64_t number = 0;
    std::string text;  // a string's contents, a name, or a number as written
};
struct ScriptCommand {
    std::string name;  // upper case, without "#"
    std::vector<ScriptArg> args;
};
// "#NAME(a, b, …)" in any case, blanks allowed around the arguments; whatever follows
// the closing ")" is passed over, and a missing one is forgiven. Arguments are split
// at commas outside quotes and brackets, so "#AUTOCMD($10, #JMP($20, $30))" has two.
// Nothing when malformed, and `problem` says why.
std::optional<ScriptCommand> parseCommand(std::string_view line, std::string& problem);

// "$1A", "$-1A", "-$1A" (hexadecimal, either case), "26", "-26"; nothing for
// anything else or a value beyond ±2^48.
std::optional<int64_t> readScriptNumber(std::string_view text);

// Spaces and tabs off both ends.
std::string_view trimBlanks(std::string_view s);

}  // namespace tarpon
