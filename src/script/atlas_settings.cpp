// The commands that change how later text and pointers are written, and those that
// move the position or work with numbers (abcde's and the Atlas variants').
#include "script/atlas_run.h"
#include "script/script_text.h"

namespace tarpon {
namespace {

bool isString(const ScriptCommand& c, size_t i) { return i < c.args.size() && c.args[i].kind == ArgKind::String; }

// The argument as one of `words` (any case): its place among them, or -1.
int wordOf(const ScriptCommand& c, std::initializer_list<std::string_view> words) {
    if (c.args.size() != 1 || !isString(c, 0)) return -1;
    int i = 0;
    for (const std::string_view w : words) {
        const std::string& a = c.args[0].text;
        if (a.size() == w.size() &&
            std::equal(a.begin(), a.end(), w.begin(), [](char x, char y) { return (x >= 'a' && x <= 'z' ? x - 32 : x) == y; }))
            return i;
        ++i;
    }
    return -1;
}

}  // namespace

std::optional<bool> AtlasRun::setting(const ScriptCommand& c, int line) {
    const std::string& n = c.name;
    int64_t a = 0, b = 0;
    const auto oneNumber = [&] { return c.args.size() == 1 && number(c, 0, line, a); };
    const auto twoNumbers = [&] { return c.args.size() == 2 && number(c, 0, line, a) && number(c, 1, line, b); };
    const auto bad = [&] { return plan_.problem.empty() ? usage(c, line) : false; };
    if (n == "HDR") return oneNumber() ? (header_ = a, true) : bad();
    if (n == "SMA") {
        const auto map = c.args.size() == 1 && isString(c, 0) ? addressMapNamed(c.args[0].text) : std::nullopt;
        return map ? (map_ = *map, true) : bad();
    }
    if (n == "STRTYPE") {
        const int w = wordOf(c, {"ENDTERM", "PASCAL"});
        return w >= 0 ? (pascal_ = w == 1, true) : bad();
    }
    if (n == "PASCALTYPE") {
        const int w = wordOf(c, {"BYTES", "TOKENS"});
        return w >= 0 ? (pascalTokens_ = w == 1, true) : bad();
    }
    if (n == "PASCALLEN") return oneNumber() && a >= 1 && a <= 4 ? (pascalLength_ = static_cast<int>(a), true) : bad();
    if (n == "ENDIANSWAP" || n == "ENDIAN") {
        const int w = n == "ENDIAN" ? wordOf(c, {"LITTLE", "BIG"}) : wordOf(c, {"FALSE", "TRUE"});
        return w >= 0 ? (bigEndian_ = w == 1, true) : bad();
    }
    if (n == "FIXEDLENGTH") {
        if (!twoNumbers() || a < 0 || b < 0 || b > 65536) return bad();
        if (a > static_cast<int64_t>(doc_.size())) return fail(line, "#FIXEDLENGTH(" + std::to_string(a) + "): longer than the file.");
        fixedLength_ = a, fill_ = static_cast<uint8_t>(b);
        return true;
    }
    if (n == "STRINGALIGN") return oneNumber() && a >= 0 ? (align_ = a, true) : bad();
    if (n == "EMBTYPE") {
        const auto map = c.args.size() == 3 && isString(c, 0) ? addressMapNamed(c.args[0].text) : std::nullopt;
        if (!map || !number(c, 1, line, a) || !number(c, 2, line, b) || (a != 8 && a != 16 && a != 24 && a != 32)) return bad();
        embKind_ = {*map, b, static_cast<int>(a), header_};
        return true;
    }
    if (n == "CONTINUOUSFILE") return wordOf(c, {"FALSE", "TRUE"}) >= 0 ? true : bad();
    if (n == "BREAK") return c.args.empty() ? (stopped_ = true, true) : bad();
    if (n == "WARN") {
        if (c.args.size() != 2 || !number(c, 0, line, a) || !isString(c, 1)) return bad();
        if (pos_ - 1 > a)
            warn(line, c.args[1].text + ": the text ends at " + scriptNumber(pos_ - 1) + ", " + std::to_string(pos_ - 1 - a) +
                           " bytes past " + scriptNumber(a) + ".");
        return true;
    }
    return std::nullopt;
}

std::optional<bool> AtlasRun::positional(const ScriptCommand& c, int line) {
    const std::string& n = c.name;
    int64_t a = 0;
    const auto bad = [&] { return plan_.problem.empty() ? usage(c, line) : false; };
    const auto needJmp = [&] { return pos_ >= 0 || fail(line, "#" + n + " before the first #JMP."); };
    if (n == "SKIP") return c.args.size() == 1 && number(c, 0, line, a) ? needJmp() && (pos_ = std::max<int64_t>(pos_ + a, 0), true) : bad();
    if (n == "ALIGN") {
        if (c.args.size() != 1 || !number(c, 0, line, a) || a <= 0) return bad();
        if (!needJmp()) return false;
        const int64_t pad = (a - pos_ % a) % a;
        if (pos_ + pad > static_cast<int64_t>(doc_.size())) return fail(line, "#ALIGN's padding runs past the end of the file.");
        return writeText(std::vector<uint8_t>(static_cast<size_t>(pad), 0), line);
    }
    if (n == "READ" || n == "PRINT") {
        ScriptVar* v = c.args.size() == 2 ? variable(c, 0, line, {VarType::CalcVar}) : nullptr;
        if (!v || !number(c, 1, line, a)) return bad();
        if (n == "READ") return readByte(a, line, v->value);
        if (a <= 0 || a % 8 != 0 || a > 32) return fail(line, "#PRINT writes whole bytes here: bits must be 8, 16, 24 or 32.");
        for (int64_t k = a / 8; k-- > 0;) {
            lineStarts_.push_back({pending_.size(), line});
            pending_ += rawBytesText(std::vector<uint8_t>{static_cast<uint8_t>(v->value >> (8 * k))});
        }
        return true;
    }
    return counter(c, line);
}

std::optional<bool> AtlasRun::counter(const ScriptCommand& c, int line) {
    const std::string& n = c.name;
    int64_t a = 0, b = 0;
    const auto bad = [&] { return plan_.problem.empty() ? usage(c, line) : false; };
    if (n == "CREATECTR" || n == "INC") {
        ScriptVar* v = c.args.size() == (n == "INC" ? 2u : 3u) ? variable(c, 0, line, {VarType::Counter}) : nullptr;
        if (!v || !number(c, 1, line, a) || (n == "CREATECTR" && !number(c, 2, line, b))) return bad();
        if (n == "CREATECTR") {
            if (a != 8 && a != 16 && a != 24 && a != 32) return bad();
            v->index = static_cast<int>(counters_.size());
            counters_.push_back({static_cast<int>(a), b});
            return true;
        }
        if (v->index < 0) return fail(line, "#INC: " + c.args[0].text + " was never made (#CREATECTR).");
        CounterVar& ctr = counters_[static_cast<size_t>(v->index)];
        ctr.value = (ctr.value + a) & ((int64_t{1} << ctr.bits) - 1);
        return true;
    }
    if (n == "SETINDEX") return c.args.size() == 2 && number(c, 0, line, a) && number(c, 1, line, b) && b >= 1 && b <= 4
                                   ? (index_ = a, indexSize_ = b, true) : bad();
    if (n == "WRITEINDEX") {
        if (c.args.size() != 2 || !number(c, 0, line, a) || !number(c, 1, line, b)) return bad();
        const bool swapped = bigEndian_;
        bigEndian_ = false;  // the index is always written lowest byte first
        const bool ok = writeValue(a, static_cast<uint32_t>(index_), static_cast<int>(indexSize_), line);
        bigEndian_ = swapped;
        index_ += b;
        return ok;
    }
    if (n == "WRITEOFS") {
        ScriptVar* v = c.args.size() == 2 ? variable(c, 0, line, {VarType::PointerTable}) : nullptr;
        if (!v || !number(c, 1, line, a)) return bad();
        if (v->index < 0 || pos_ < 0) return fail(line, "#WRITEOFS: no pointer table or no #JMP yet.");
        const PointerTableVar& t = pointerTables_[static_cast<size_t>(v->index)];
        return writePointer(t.next + a, currentKind(t.kind, line), pos_, line);
    }
    return std::nullopt;
}

bool AtlasRun::readByte(int64_t at, int line, int64_t& value) {
    if (at < 0 || at >= static_cast<int64_t>(doc_.size())) return fail(line, "#READ at " + scriptNumber(at) + ", outside the file.");
    value = doc_[static_cast<size_t>(at)];
    for (const ScriptWrite& w : plan_.writes)  // what the script wrote there so far
        if (w.at <= at && at < w.at + static_cast<int64_t>(w.bytes.size())) value = w.bytes[static_cast<size_t>(at - w.at)];
    return true;
}

}  // namespace tarpon
