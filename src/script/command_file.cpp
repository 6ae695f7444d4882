#include "script/command_file.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "core/plain_number.h"
#include "core/text_coding.h"
#include "core/text_encoding.h"

namespace tarpon {
namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// Keys read; a block's keys may come in any order, each once. #SUB TABLE belongs to
// the file and may come again. #RELATIVE PC and #RELATIVE BASE are read and passed
// over: the method alone says how a pointer is taken.
constexpr std::array kKeys = {"GAME NAME", "BLOCK NAME", "TYPE", "STRING LENGTH", "STRING END", "END CTRL",
                              "LINE LENGTH", "LINE END", "LINE CTRL", "METHOD", "POINTER ENDIAN",
                              "POINTER TABLE START", "POINTER TABLE STOP", "POINTER SIZE", "POINTER SPACE",
                              "ATLAS PTRS", "BASE POINTER", "RELATIVE PC", "RELATIVE BASE", "SCRIPT START",
                              "SCRIPT STOP", "TABLE", "TABLE ID", "COMMENTS", "SUB TABLE", "STRINGS PER POINTER",
                              "STRINGS END AT NEXT POINTER", "AUTO JUMP START", "AUTO JUMP STOP",
                              "SORT OUTPUT BY STRING ADDRESS", "STRING END REALIGN MULTIPLE",
                              "STRING END REALIGN OFFSET", "SHOW END ADDRESS", "TRIM TRAILING NEWLINES"};

struct Value {
    std::string text;
    int line = 0;
};

// One block's keys as read, turned into a CartoBlock; the first problem is kept.
class BlockReader {
public:
    BlockReader(const std::map<std::string, Value>& keys, std::string& problem) : keys_(keys), problem_(problem) {}

    bool has(const std::string& key) const { return keys_.contains(key); }
    int line(const std::string& key) const { return has(key) ? keys_.at(key).line : 0; }
    std::string text(const std::string& key, std::string fallback = {}) const {
        return has(key) ? keys_.at(key).text : fallback;
    }
    bool fail(const std::string& key, const std::string& why) {
        if (problem_.empty()) problem_ = "Line " + std::to_string(line(key)) + ": #" + key + ": " + why;
        return false;
    }
    // A number of at least `least` (and at most `most`); `fallback` when the key is not given.
    int64_t number(const std::string& key, int64_t fallback, int64_t least = 0, int64_t most = int64_t{1} << 40) {
        if (!has(key)) return fallback;
        const std::optional<int64_t> n = readCommandNumber(keys_.at(key).text);
        if (!n) fail(key, "\"" + keys_.at(key).text + "\" is not a number ($hex or decimal).");
        else if (*n < least || *n > most)
            fail(key, std::to_string(*n) + " is out of range (" + std::to_string(least) + " to " + std::to_string(most) + ").");
        return n.value_or(fallback);
    }
    bool yes(const std::string& key, bool fallback) {
        if (!has(key)) return fallback;
        const std::string v = upper(keys_.at(key).text);
        if (v != "YES" && v != "NO") fail(key, "the value is Yes or No.");
        return v == "YES";
    }
    // The index of the value in `choices` (upper-case), or -1 after a message.
    int choice(const std::string& key, std::initializer_list<std::string_view> choices, std::string_view fallback) {
        std::string v = upper(text(key, std::string(fallback)));
        std::erase_if(v, [](char c) { return c == ' ' || c == '\t'; });
        int i = 0;
        for (const std::string_view c : choices) {
            if (v == c) return i;
            ++i;
        }
        std::string list;
        for (const std::string_view c : choices) list += (list.empty() ? "" : ", ") + std::string(c);
        fail(key, "\"" + text(key) + "\" is not one of " + list + ".");
        return -1;
    }
    bool need(const std::string& key, const std::string& why) {
        if (has(key)) return true;
        if (problem_.empty()) problem_ = why;
        return false;
    }

private:
    const std::map<std::string, Value>& keys_;
    std::string& problem_;
};

void readKind(BlockReader& r, CartoBlock& b) {
    const int type = r.choice("TYPE", {"NORMAL", "FIXED_STRING", "FIXED_STRING&&FIXED_LINE"}, "NORMAL");
    if (type >= 1) {
        b.stringLength = r.number("STRING LENGTH", 0, 1);
        if (!r.has("STRING LENGTH")) r.fail("TYPE", "FIXED_STRING needs #STRING LENGTH.");
        if (r.yes("STRING END", false)) b.endLabel = r.text("END CTRL", "(END)");
    }
    if (type == 2) {
        b.lineLength = r.number("LINE LENGTH", 0, 1);
        if (!r.has("LINE LENGTH")) r.fail("TYPE", "FIXED_LINE needs #LINE LENGTH.");
        if (r.yes("LINE END", false)) b.lineLabel = r.text("LINE CTRL", "(LINE)");
    }
    const int method = r.choice("METHOD", {"POINTER", "POINTER_RELATIVE", "POINTER_RELATIVE_PC", "RAW"}, "");
    b.method = static_cast<CartoMethod>(std::max(method, 0));
    if (b.method == CartoMethod::Raw) {
        b.scriptStart = r.number("SCRIPT START", 0);
        b.scriptStop = r.number("SCRIPT STOP", 0);
        if (r.need("SCRIPT START", "Line " + std::to_string(b.line) + ": a RAW block needs #SCRIPT START and #SCRIPT STOP.") &&
            r.need("SCRIPT STOP", "Line " + std::to_string(b.line) + ": a RAW block needs #SCRIPT START and #SCRIPT STOP.") &&
            *b.scriptStop <= *b.scriptStart)
            r.fail("SCRIPT STOP", "the range ends (the stop byte excluded) before it begins.");
        if (r.has("STRINGS END AT NEXT POINTER")) r.fail("STRINGS END AT NEXT POINTER", "a RAW block has no pointers.");
        return;
    }
    const std::string needs = "Line " + std::to_string(b.line) +
                              ": a pointer block needs #POINTER TABLE START, #POINTER TABLE STOP and #POINTER SIZE.";
    if (!(r.need("POINTER TABLE START", needs) && r.need("POINTER TABLE STOP", needs) && r.need("POINTER SIZE", needs)))
        return;
    b.tableStart = r.number("POINTER TABLE START", 0);
    b.tableStop = r.number("POINTER TABLE STOP", 0);
    b.pointerSize = static_cast<int>(r.number("POINTER SIZE", 2, 1, 4));
    b.pointerSpace = r.number("POINTER SPACE", 0);
    if (b.tableStop <= b.tableStart) r.fail("POINTER TABLE STOP", "the table holds no pointer: it stops where it starts, or before.");
    b.bigEndian = r.choice("POINTER ENDIAN", {"LITTLE", "BIG"}, "LITTLE") == 1;
    b.base = b.method == CartoMethod::Pointer ? 0 : r.number("BASE POINTER", 0, -(int64_t{1} << 40));
    if (r.has("SCRIPT STOP")) b.scriptStop = r.number("SCRIPT STOP", 0);
    b.stringsPerPointer = r.number("STRINGS PER POINTER", 1, 1, 1 << 20);
    b.endAtNextPointer = r.yes("STRINGS END AT NEXT POINTER", false);
    b.sortByAddress = r.yes("SORT OUTPUT BY STRING ADDRESS", false);
}

void readReading(BlockReader& r, CartoBlock& b) {
    const int comments = r.choice("COMMENTS", {"NO", "YES", "BOTH"}, "NO");
    b.comments = static_cast<CartoComments>(std::max(comments, 0));
    b.atlasPtrs = r.yes("ATLAS PTRS", false);
    if (r.has("AUTO JUMP START") != r.has("AUTO JUMP STOP"))
        r.fail(r.has("AUTO JUMP START") ? "AUTO JUMP START" : "AUTO JUMP STOP", "#AUTO JUMP START and #AUTO JUMP STOP go together.");
    else if (r.has("AUTO JUMP START")) {
        b.jumpFrom = r.number("AUTO JUMP START", 0);
        b.jumpTo = r.number("AUTO JUMP STOP", 0);
        // Reading only ever moves on, so that it ends.
        if (*b.jumpTo <= *b.jumpFrom) r.fail("AUTO JUMP STOP", "the jump must go forward, past #AUTO JUMP START.");
    }
    b.realignMultiple = r.number("STRING END REALIGN MULTIPLE", 0, 1, 1 << 20);
    b.realignOffset = r.number("STRING END REALIGN OFFSET", 0, 0, std::max<int64_t>(b.realignMultiple - 1, 0));
    if (r.has("STRING END REALIGN OFFSET") && !r.has("STRING END REALIGN MULTIPLE"))
        r.fail("STRING END REALIGN OFFSET", "it goes with #STRING END REALIGN MULTIPLE.");
    b.showEndAddress = r.yes("SHOW END ADDRESS", true);
    b.trimNewlines = r.yes("TRIM TRAILING NEWLINES", true);
}

size_t tableIndex(std::vector<TableName>& tables, const std::string& path, int line) {
    for (size_t i = 0; i < tables.size(); ++i)
        if (tables[i].path == path) return i;
    tables.push_back({path, line});
    return tables.size() - 1;
}

// The bytes as UTF-8 text, without a byte-order mark; nothing when they do not read
// in the encoding their mark names.
std::optional<std::string> commandText(std::string_view bytes) {
    std::string decoded;
    const DetectedEncoding found = detectEncoding(bytes, &decoded);
    if (!decoded.empty()) return decoded;
    if (found.byteOrderMark) bytes.remove_prefix(byteOrderMark(found.encoding).size());
    if (found.encoding != TextEncoding::Utf8) return decodeText(bytes, found.encoding);
    if (!isValidUtf8(bytes)) return std::nullopt;
    return std::string(bytes);
}

struct FileReader {
    CommandFile file;
    std::map<std::string, Value> keys;  // the open block's
    std::string game;
    int blockLine = 0;

    bool endBlock(int number) {
        if (keys.empty()) return fail(number, "#END BLOCK without a block before it.");
        CartoBlock b;
        b.line = blockLine;
        BlockReader r(keys, file.problem);
        if (r.has("GAME NAME")) game = r.text("GAME NAME");
        b.game = game;
        b.name = r.text("BLOCK NAME");
        for (const auto& [key, value] : keys) b.lines[key] = value.line;
        r.need("METHOD", "Line " + std::to_string(b.line) + ": the block has no #METHOD.");
        r.need("TABLE", "Line " + std::to_string(b.line) + ": the block has no #TABLE.");
        if (!file.problem.empty()) return false;
        b.table = tableIndex(file.tables, r.text("TABLE"), r.line("TABLE"));
        b.tableId = r.text("TABLE ID");
        readKind(r, b);
        readReading(r, b);
        keys.clear();
        file.blocks.push_back(std::move(b));
        return file.problem.empty();
    }
    bool fail(int number, const std::string& why) {
        file.problem = "Line " + std::to_string(number) + ": " + why;
        return false;
    }
    bool line(std::string_view text, int number) {
        if (const size_t comment = text.find("//"); comment != std::string_view::npos) text = text.substr(0, comment);
        text = trim(text);
        if (text.empty()) return true;
        if (text == "#END BLOCK") return endBlock(number);
        const size_t colon = text.find(':');
        if (!text.starts_with('#') || colon == std::string_view::npos)
            return fail(number, "a command file's lines are written #KEY: value.");
        const std::string key(trim(text.substr(1, colon - 1)));
        const std::string value(trim(text.substr(colon + 1)));
        if (std::find(kKeys.begin(), kKeys.end(), key) == kKeys.end())
            return fail(number, "#" + key + " is not a key this dump follows.");
        if (value.empty()) return fail(number, "#" + key + " has no value.");
        // Values are written into script lines: a control character would split or end one.
        if (std::any_of(value.begin(), value.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t'; }))
            return fail(number, "#" + key + ": the value holds a control character.");
        // A table's path is written between the quotes of an #ADDTBL line.
        if ((key == "TABLE" || key == "SUB TABLE") && value.find('"') != std::string::npos)
            return fail(number, "#" + key + ": a table's path cannot hold a \" (it is written in quotes).");
        if (key == "SUB TABLE") {
            tableIndex(file.tables, value, number);
            return true;
        }
        if (keys.empty()) blockLine = number;
        if (keys.contains(key))
            return fail(number, "#" + key + " is given twice in one block (first on line " +
                                    std::to_string(keys.at(key).line) + "); is an #END BLOCK missing?");
        keys[key] = {value, number};
        return true;
    }
};

}  // namespace

std::optional<int64_t> readCommandNumber(std::string_view text) {
    if (text.starts_with("$-")) return readPlainNumber("-$" + std::string(text.substr(2)));
    return readPlainNumber(text);
}

CommandFile readCommandFile(std::string_view bytes) {
    FileReader reader;
    if (static_cast<int64_t>(bytes.size()) >= kMaxCommandFileSize) {
        reader.file.problem = "The command file is too large.";
        return reader.file;
    }
    const std::optional<std::string> text = commandText(bytes);
    if (!text) {
        reader.file.problem = "The command file does not read as the encoding its byte-order mark names.";
        return reader.file;
    }
    std::string_view rest = *text;
    int number = 0;
    bool ok = true;
    while (ok && !rest.empty()) {
        const size_t end = rest.find('\n');
        ok = reader.line(rest.substr(0, end), ++number);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
    if (ok && !reader.keys.empty())
        reader.fail(reader.blockLine, "the block that begins here has no #END BLOCK.");
    else if (ok && reader.file.blocks.empty())
        reader.file.problem = "The command file holds no block (#BLOCK NAME: ... #END BLOCK).";
    if (!reader.file.problem.empty()) {
        reader.file.blocks.clear();
        reader.file.tables.clear();
    }
    return reader.file;
}

}  // namespace tarpon
