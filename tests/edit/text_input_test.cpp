#include "edit/text_input.h"

#include <gtest/gtest.h>

#include <map>

#include "test_editor.h"
#include "view/cursor.h"

namespace tarpon {
namespace {

using Table = std::map<int, std::string>;
using Writes = std::map<int, int>;  // offset -> byte value

struct Typing {
    const char* name;
    Table table;
    bool multi;
    int size;    // document length; every byte starts as 0xEE
    int cursor;  // start
    std::string keys;
    Writes written;
    int endCursor;
    std::string typed;  // typedLetters afterwards
    int pending;        // pendingByte afterwards
};

const Table kWorked = {{0x54, "t"}, {0x68, "h"}, {0x80, "th"}, {0x65, "e"}};

void runTyping(const Typing& c) {
    SCOPED_TRACE(c.name);
    test::TestEditor t;
    t.setDocument(std::vector<uint8_t>(static_cast<size_t>(c.size), 0xEE));
    for (const auto& [b, letters] : c.table) t.ed.s.charTable[static_cast<size_t>(b)] = letters;
    t.ed.s.viewMode = true;
    t.ed.s.multiLetters = c.multi;
    t.ed.s.selAnchor = c.cursor;
    MoveCursor(t.ed, c.cursor);
    for (char key : c.keys) PicText_KeyPress(t.ed, static_cast<uint8_t>(key));
    for (int offset = 0; offset < c.size; ++offset) {
        const auto it = c.written.find(offset);
        EXPECT_EQ(t.ed.s.fileData[static_cast<size_t>(offset)], it == c.written.end() ? 0xEE : it->second)
            << "offset " << offset;
    }
    EXPECT_EQ(t.ed.s.cursor(), c.endCursor);
    EXPECT_EQ(t.ed.s.selAnchor, c.endCursor);
    EXPECT_EQ(t.ed.s.typedLetters, c.typed);
    EXPECT_EQ(t.ed.s.pendingByte, c.pending);
}

TEST(TextPaneTableTyping, LongestMatchCases) {
    const std::vector<Typing> cases = {
        {"worked example, first letter held", kWorked, true, 256, 100, "t", {}, 100, "t", 0x54},
        {"worked example, te commits t then e", kWorked, true, 256, 100, "thte",
         {{100, 0x80}, {101, 0x54}, {102, 0x65}}, 103, "", 256},
        {"letters never accumulate without Multi Letters", kWorked, false, 256, 100, "th", {{100, 0x68}}, 101, "",
         256},
        {"without Multi Letters a held t gives way to e", kWorked, false, 256, 100, "thte",
         {{100, 0x68}, {101, 0x65}}, 102, "", 256},
        {"all-empty table drops every letter", {}, true, 256, 5, "abc", {}, 5, "", 256},
        {"two equal entries: the higher wins on the next letter", {{0x20, " "}, {0xFF, " "}, {0x61, "a"}}, true,
         256, 0, " a", {{0, 0xFF}, {1, 0x61}}, 2, "", 256},
        {"a letter that only begins a longer entry is kept", {{0x90, "sh"}}, true, 256, 0, "s", {}, 0, "s", 256},
        {"held shorter entry is written when one longer entry remains",
         {{0x54, "t"}, {0x91, "the"}}, true, 256, 0, "th", {{0, 0x54}}, 1, "", 256},
        {"unknown letter after a held entry is dropped", kWorked, true, 256, 0, "tq", {{0, 0x54}}, 1, "", 256},
        {"a letter at the last byte completes the held entry and is dropped", kWorked, true, 4, 3, "te",
         {{3, 0x54}}, 4, "", 256},
        {"nothing is typed past the end", kWorked, true, 4, 3, "tee", {{3, 0x54}}, 4, "", 256},
        {"bytes above 0x7F are letters too", {{0x10, "\xE9"}}, false, 8, 2, "\xE9", {{2, 0x10}}, 3, "", 256},
    };
    for (const Typing& c : cases) runTyping(c);
}

TEST(TextPaneAsciiTyping, WritesEveryCodeAndStopsAtTheEnd) {
    test::TestEditor t;
    t.setDocument(std::vector<uint8_t>(5, 0x11));
    t.ed.s.typedLetters = "x";
    MoveCursor(t.ed, 0);
    for (int ch : {8, -1, 13, 256, 27, 0x20AC, 0xFF, int{'A'}, int{'B'}}) PicText_KeyPress(t.ed, ch);
    EXPECT_EQ(std::vector<uint8_t>(t.ed.s.fileData.begin(), t.ed.s.fileData.begin() + 5),
              (std::vector<uint8_t>{8, 13, 27, 0xFF, 'A'}));
    EXPECT_EQ(t.ed.s.cursor(), 5);
    EXPECT_EQ(t.ed.s.selAnchor, 5);
    EXPECT_EQ(t.ed.s.fileSize, 5);
    EXPECT_TRUE(t.ed.s.typedLetters.empty());
    EXPECT_EQ(t.ed.v.PicText.runs()[4].text, "A");  // repainted
}

}  // namespace
}  // namespace tarpon
