// Tables of bit keys: reading data through them, spelling text into packed bits, and
// the lines they refuse.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/bit_table.h"

namespace tarpon {
namespace {

BitTable tableOf(const std::string& lines) {
    std::string problem;
    std::optional<BitTable> t = BitTable::read(lines, problem);
    EXPECT_TRUE(t) << problem;
    return t ? std::move(*t) : BitTable();
}

std::vector<uint8_t> bytesOf(const std::string& hex) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < hex.size(); i += 3) out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

std::string hexOf(const std::vector<uint8_t>& bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const uint8_t b : bytes) out += std::string(out.empty() ? "" : " ") + kHex[b >> 4] + kHex[b & 15];
    return out;
}

const std::string kNotes = "%01=x\n%001=y\n%000=z\n/%11=[e]\n";

TEST(BitTable, ReadsDataIntoText) {
    struct Row {
        const char* name;
        std::string lines, data;
        bool untilEnd;
        std::string text;
        uint64_t endBit;
    };
    const Row rows[] = {
        {"abcde's packing example, to its end token mid-byte", kNotes, "48 70", true, "xyzx[e]", 12},
        {"past the end token: zero bits, and one left over as <%0>", kNotes, "48 70", false, "xyzx[e]z<%0>", 16},
        {"no key at a bit: eight raw bits as <$XX>, fewer as <%b>", "%1=a\n", "80 41", false,
         "a<$00>a<%0><%0><%0><%0><%0>a", 16},
        {"exactly eight bits left and no key: one raw byte", "%1=a\n", "01", false, "<$01>", 8},
        {"a key of twelve bits", "ABC=long\n%1=b\n", "AB C8", false, "longb<%0><%0><%0>", 16},
        {"the longest key first", "%0=a\n%01=b\n", "40", false, "baaaaaa", 8},
        {"a line break written \\n in the table", "%1=a\\nb\n%0=c\n", "80", false, "a\nbccccccc", 8},
        {"CR LF lines, a byte order mark, comments and an id", "\xEF\xBB\xBF# c\r\n@main\r\n%1=a\r\n", "C0", false,
         "aa<%0><%0><%0><%0><%0><%0>", 8},
    };
    for (const Row& r : rows) {
        const BitTable t = tableOf(r.lines);
        const std::vector<uint8_t> data = bytesOf(r.data);
        std::vector<BitToken> tokens;
        const uint64_t end = t.readString(data, 0, data.size() * 8, r.untilEnd, tokens);
        std::string text;
        for (const BitToken& token : tokens) t.appendText(token, data, text);
        EXPECT_EQ(text, r.text) << r.name;
        EXPECT_EQ(end, r.endBit) << r.name;
    }
}

TEST(BitTable, SpellsTextIntoPackedBits) {
    struct Row {
        const char* name;
        std::string lines, text, bytes;
    };
    const Row rows[] = {
        {"abcde's packing example", kNotes, "xyzx[e]", "48 70"},
        {"a final partial byte padded with zeros", kNotes, "x", "40"},
        {"raw bits", kNotes, "<%1><%0><%1>", "A0"},
        {"a raw byte after one bit", "%1=a\n", "a<$41>", "A0 80"},
        {"fewest bits rather than the longest text", "%0001=ab\n%1=a\n%01=b\n", "ab", "A0"},
        {"of one text's keys, the fewest bits", "41=A\n%0=A\n", "AA", "00"},
        {"of equally long keys for a text, the lowest", "%01=q\n%00=q\n", "q", "00"},
        {"line breaks in the script are no data", kNotes, "x\ny", "48"},
        {"a table text's line break is left out", "%1=[n]\\n\n", "[n]", "80"},
        {"a key longer than a byte", "ABC=long\n", "long", "AB C0"},
        {"an end token mid-byte, text going on after it", kNotes, "x[e]y", "72"},
        {"nothing to spell", kNotes, "", ""},
    };
    for (const Row& r : rows) {
        const BitTable t = tableOf(r.lines);
        std::vector<BitPiece> pieces;
        size_t bad = 99;
        ASSERT_TRUE(t.spell(r.text, pieces, &bad)) << r.name << ": stopped at " << bad;
        BitPacker packer;
        for (const BitPiece& p : pieces) packer.put(t.bitsOf(p));
        EXPECT_EQ(hexOf(packer.bytes()), r.bytes) << r.name;
    }
}

TEST(BitTable, NamesThePlaceNoPieceBegins) {
    struct Row {
        const char* name;
        std::string text;
        size_t badAt;
    };
    const Row rows[] = {
        {"a character of no entry", "xyq", 2},
        {"lower-case digits in a raw byte", "x<$4a>", 1},
        {"a raw bit other than 0 or 1", "<%2>", 0},
    };
    const BitTable t = tableOf(kNotes);
    for (const Row& r : rows) {
        std::vector<BitPiece> pieces;
        size_t bad = 99;
        EXPECT_FALSE(t.spell(r.text, pieces, &bad)) << r.name;
        EXPECT_EQ(bad, r.badAt) << r.name;
    }
}

TEST(BitTable, RefusesLinesWithTheirNumber) {
    struct Row {
        const char* name;
        std::string lines, problem;
    };
    const Row rows[] = {
        {"a digit other than 0 and 1 in bits", "%012=x\n", "line 1: \"%012=x\" has no \"=\" after its key."},
        {"a key given twice in two spellings", "%01000001=x\n# c\n41=y\n", "line 3: \"41=y\" gives the key of line 1 again."},
        {"a table switch", "01=a\n!02=<@t>:1\n", "line 2: \"!02=<@t>:1\" is a table switch, which is not read in a table of bit keys."},
        {"a text holding <", "/%1=<END>\n", "line 1: \"/%1=<END>\" has \"<\" or \">\" in its text."},
        {"no key", "=x\n", "line 1: \"=x\" has no key: hexadecimal digits, or \"%\" and binary digits."},
        {"a bad count", "%1<x>=a\n", "line 1: \"%1<x>=a\" has a \"<\" after its key that is no count like <2>."},
        {"an Atlas line-break entry", "%1=a\n*FE=b\n", "line 2: \"*FE=b\" has no key: hexadecimal digits, or \"%\" and binary digits."},
    };
    for (const Row& r : rows) {
        std::string problem;
        EXPECT_FALSE(BitTable::read(r.lines, problem)) << r.name;
        EXPECT_EQ(problem, r.problem) << r.name;
    }
}

TEST(BitTable, TellsTablesOfBitKeysFromByteTables) {
    struct Row {
        const char* name;
        std::string lines;
        int line;
    };
    const Row rows[] = {
        {"whole bytes only", "41=A\n/FF=<END>\n*FE\n", 0},
        {"bits", "41=A\n/%11=e\n", 2},
        {"an odd number of hex digits", "41=A\nABC=b\n", 2},
        {"an odd key with a count", "F<2>=x\n", 1},
        {"a comment that looks like one", "#%1=x\n41=A\n", 0},
        {"UTF-16", std::string("%\0" "1\0=\0a\0", 8), 0},
    };
    for (const Row& r : rows) EXPECT_EQ(firstBitKeyLine(r.lines), r.line) << r.name;
}

}  // namespace
}  // namespace tarpon
