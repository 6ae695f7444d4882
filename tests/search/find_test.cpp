#include "search/find.h"

#include <gtest/gtest.h>

#include "app/menu_commands.h"
#include "test_editor.h"
#include "view/cursor.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;

struct Finder : test::TestEditor {
    Finder(const Bytes& doc, int64_t cursor) {
        setDocument(doc);
        MoveCursor(ed, cursor);
        ed.s.selAnchor = 77;
    }
    int64_t find(PatternKind kind, const std::string& text, bool relative = false, const std::string& wild = "") {
        cmdFind_Click(ed, FindForm{kind, text, wild, relative});
        return ed.s.cursor();
    }
    int64_t again() {
        mnuOption_Click(ed, kOptionFindAgain);
        return ed.s.cursor();
    }
    size_t noResults() const { return services.messages.size(); }
};

TEST(Find, LandsOnTheNextMatchRoundTheEndAndFindAgainGoesOn) {
    Finder f({0x41, 0x42, 0x43, 0x41, 0x42}, 0);
    EXPECT_EQ(f.find(PatternKind::Ascii, "AB"), 3);
    EXPECT_EQ(f.again(), 0);  // start 4 (42, then 41 round the end) fails
    EXPECT_EQ(f.again(), 3);
    EXPECT_EQ(f.ed.s.selAnchor, 77);
    EXPECT_EQ(f.noResults(), 0u);
    EXPECT_EQ(f.ed.s.searchPattern, (Bytes{0x41, 0x42}));
    EXPECT_FALSE(f.ed.s.searchRelative);

    Finder wrap({0x42, 0x00, 0x00, 0x41}, 1);
    EXPECT_EQ(wrap.find(PatternKind::Ascii, "AB"), 3);
}

TEST(Find, MatchAtTheCursorIsFoundLastByPlainSearchAndNeverByRelative) {
    Finder plain({0x00, 0x41, 0x42, 0x00}, 1);
    EXPECT_EQ(plain.find(PatternKind::Hex, "41 42"), 1);
    EXPECT_EQ(plain.noResults(), 0u);

    Finder relative({0x00, 0x41, 0x42, 0x00}, 1);
    EXPECT_EQ(relative.find(PatternKind::Hex, "41 42", true), 1);
    ASSERT_EQ(relative.noResults(), 1u);
    EXPECT_EQ(relative.services.messages[0], "No Results Found");
}

TEST(Find, RelativeSearchUsesSignedDifferences) {
    Finder f({5, 10, 11, 12}, 0);
    EXPECT_EQ(f.find(PatternKind::Ascii, "abc", true), 1);
    EXPECT_TRUE(f.ed.s.searchRelative);
    EXPECT_EQ(f.find(PatternKind::Ascii, "q", true), 2);  // one byte: the next start

    Finder modulo({240, 9, 0, 0}, 3);
    EXPECT_EQ(modulo.find(PatternKind::Ascii, "az", true), 3);  // a, z is not 240, 9
    EXPECT_EQ(modulo.noResults(), 1u);
}

TEST(Find, WildcardMatchesAnyByte) {
    Finder f({0x00, 0x41, 0xFF, 0x43, 0x41, 0x00, 0x43}, 0);
    EXPECT_EQ(f.find(PatternKind::Ascii, "A?C", false, "?"), 1);
    EXPECT_EQ(f.again(), 4);
    EXPECT_EQ(f.ed.s.searchWildcard, '?');
    EXPECT_EQ(f.find(PatternKind::Hex, "41 3F 43", false, "100"), 4);  // 256 is no wildcard: no match
    EXPECT_EQ(f.noResults(), 1u);
}

TEST(Find, CursorAtTheLastBytePastTheEndOrNearTheEnd) {
    Finder last({0x41, 0x00, 0x41}, 2);
    EXPECT_EQ(last.find(PatternKind::Hex, "41"), 0);

    Finder past({0x41, 0x41, 0x41, 0x00}, 17);  // 17 mod 4 = 1: starts at 2
    EXPECT_EQ(past.find(PatternKind::Hex, "41"), 2);

    // A partial match over the end fails, and the match before the cursor is still found.
    Finder partial({0x41, 0x42, 0x43, 0x00, 0x00, 0x41, 0x42}, 4);
    EXPECT_EQ(partial.find(PatternKind::Ascii, "ABC"), 0);

    Finder none({0x41, 0x42, 0x00, 0x41}, 2);
    EXPECT_EQ(none.find(PatternKind::Ascii, "ABC"), 2);
    EXPECT_EQ(none.noResults(), 1u);
}

TEST(Find, EmptyDocumentReportsNoResultsForEveryKindOfSearch) {
    Finder f({}, 0);
    f.find(PatternKind::Hex, "41");
    f.find(PatternKind::Hex, "41", true);
    f.find(PatternKind::Ascii, "?", false, "?");
    EXPECT_EQ(f.noResults(), 3u);
    EXPECT_EQ(f.ed.s.cursor(), 0);
}

TEST(Find, FindAgainRepeatsTheStoredSearchOnlyAfterOne) {
    Finder f({1, 2, 3, 1, 2, 3}, 0);
    EXPECT_EQ(f.again(), 0);  // nothing searched yet: nothing happens
    EXPECT_EQ(f.noResults(), 0u);
    EXPECT_EQ(f.find(PatternKind::Dec, "11 12", true), 1);  // 2, 3 is 11, 12 shifted by -9
    EXPECT_EQ(f.again(), 3);
    EXPECT_EQ(f.again(), 4);
    EXPECT_TRUE(f.ed.s.searchRelative);

    // Empty text or a list starting with a blank keeps the previous search.
    f.find(PatternKind::Hex, " 7");
    f.find(PatternKind::Ascii, "");
    EXPECT_EQ(f.ed.s.searchPattern, (Bytes{11, 12}));
    EXPECT_TRUE(f.ed.s.searchRelative);

    // The search state outlives the document: Find Again searches the new one.
    f.setDocument({9, 9, 5, 6});
    EXPECT_EQ(f.again(), 2);
}

TEST(Find, FindMenuOpensTheDialog) {
    Finder f({1}, 0);
    mnuOption_Click(f.ed, kOptionFind);
    ASSERT_EQ(f.services.opened.size(), 1u);
    EXPECT_EQ(f.services.opened[0], WindowKind::Find);
}

}  // namespace
}  // namespace tarpon
