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
    bool commit = false;  // the typing is abandoned at the end (another pane takes the keyboard)
    bool utf8 = false;    // a UTF-8 table: keys are UTF-8 characters
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
    t.ed.s.tableUtf8 = c.utf8;
    if (c.utf8) PicText_TypeCharacter(t.ed, c.keys);
    else
        for (char key : c.keys) PicText_KeyPress(t.ed, static_cast<uint8_t>(key));
    if (c.commit) CommitTypedLetters(t.ed);
    for (int offset = 0; offset < c.size; ++offset) {
        const auto it = c.written.find(offset);
        EXPECT_EQ(t.ed.s.fileData[static_cast<size_t>(offset)], it == c.written.end() ? 0xEE : it->second)
            << "offset " << offset;
    }
    EXPECT_EQ(t.ed.s.cursor(), c.endCursor);
    EXPECT_EQ(t.ed.s.selAnchor, c.endCursor);
    EXPECT_EQ(t.ed.s.typedLetters, c.typed);
}

TEST(TextPaneTableTyping, LongestMatchCases) {
    const Table kThe = {{0x74, "t"}, {0x68, "h"}, {0x65, "e"}, {0x78, "x"}, {0xC0, "the"},
                        {0x61, "a"}, {0x62, "b"}, {0x64, "d"}, {0xC1, "abc"}};
    const Table kKana = {{0x41, "\u3042"}, {0x42, "\u3044"}, {0xC0, "\u3042\u3044"}, {0x43, "\u304B"}};
    Table workedWithA = kWorked;
    workedWithA[0x41] = "a";
    const std::vector<Typing> cases = {
        {"worked example, first letter held", kWorked, true, 256, 100, "t", {}, 100, "t"},
        {"worked example, te commits t then e", kWorked, true, 256, 100, "thte",
         {{100, 0x80}, {101, 0x54}, {102, 0x65}}, 103, ""},
        {"worked example with a", workedWithA, true, 256, 100, "thtea",
         {{100, 0x80}, {101, 0x54}, {102, 0x65}, {103, 0x41}}, 104, ""},
        {"letters never accumulate without Multi Letters", kWorked, false, 256, 100, "th", {{100, 0x68}}, 101, ""},
        {"without Multi Letters a held t gives way to e", kWorked, false, 256, 100, "thte",
         {{100, 0x68}, {101, 0x65}}, 102, ""},
        {"all-empty table drops every letter", {}, true, 256, 5, "abc", {}, 5, ""},
        {"two equal entries: the higher wins on the next letter", {{0x20, " "}, {0xFF, " "}, {0x61, "a"}}, true,
         256, 0, " a", {{0, 0xFF}, {1, 0x61}}, 2, ""},
        {"a letter that only begins a longer entry is kept", {{0x90, "sh"}}, true, 256, 0, "s", {}, 0, "s"},
        {"th waits for the e of the", kThe, true, 256, 0, "th", {}, 0, "th"},
        {"thex writes the and x", kThe, true, 256, 0, "thex", {{0, 0xC0}, {1, 0x78}}, 2, ""},
        {"abd: a, then b and d taken again", kThe, true, 256, 0, "abd", {{0, 0x61}, {1, 0x62}, {2, 0x64}}, 3, ""},
        {"thexabd", kThe, true, 256, 0, "thexabd", {{0, 0xC0}, {1, 0x78}, {2, 0x61}, {3, 0x62}, {4, 0x64}}, 5, ""},
        {"unknown letter after a held entry is dropped", kWorked, true, 256, 0, "tq", {{0, 0x54}}, 1, ""},
        {"a letter at the last byte completes the held entry and is dropped", kWorked, true, 4, 3, "te",
         {{3, 0x54}}, 4, ""},
        {"nothing is typed past the end", kWorked, true, 4, 3, "tee", {{3, 0x54}}, 4, ""},
        {"bytes above 0x7F are letters too", {{0x10, "\xE9"}}, false, 8, 2, "\xE9", {{2, 0x10}}, 3, ""},
        {"abandoned t of th is written", kWorked, true, 256, 3, "t", {{3, 0x54}}, 4, "", true},
        {"abandoned th towards the writes t then h", kThe, true, 256, 3, "th", {{3, 0x74}, {4, 0x68}}, 5, "", true},
        {"abandoned ab towards abc writes a and b", kThe, true, 256, 0, "ab", {{0, 0x61}, {1, 0x62}}, 2, "", true},
        {"abandoned letters that complete nothing are dropped", {{0x90, "sh"}}, true, 256, 0, "s", {}, 0, "", true},
        {"abandoned at the last byte: the rest is dropped", kThe, true, 4, 3, "th", {{3, 0x74}}, 4, "", true},
        {"UTF-8 table: a character is one letter", kKana, true, 256, 0, "\u3042\u3044", {{0, 0xC0}}, 1, "", false, true},
        {"UTF-8 table: an unknown character goes whole", kKana, true, 256, 0, "\u3046\u3042\u304B",
         {{0, 0x41}, {1, 0x43}}, 2, "", false, true},
        {"UTF-8 table: a held character is written when left", kKana, true, 256, 5, "\u3042", {{5, 0x41}}, 6, "",
         true, true},
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
