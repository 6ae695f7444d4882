// The editor's table held once: letters given to one-byte keys go straight into the table, and the letters
// shown for them are always made from it, Latin-1 while every letter has its byte there, else UTF-8.
#include "core/table_state.h"

#include <gtest/gtest.h>

#include <functional>

namespace tarpon {
namespace {

struct Step {
    std::function<void(TableState&)> run;
};

Step letters(size_t b, std::string text) {
    return {[=](TableState& t) { t.setLetters(b, text); }};
}
Step entry(std::string key, std::string text, EntryKind kind = EntryKind::Letter) {
    return {[=](TableState& t) { t.edit([&](Table& m) { m.set({key, text, kind, 0}); }); }};
}
Step spellUtf8(bool utf8) {
    return {[=](TableState& t) { t.spellUtf8(utf8); }};
}

// Steps -> the letters of byte 0x41 (and 0x0A) as the grid shows them, the table's entry for 41, the spelling.
TEST(TableState, LettersComeFromTheTable) {
    struct Row {
        const char* name;
        std::vector<Step> steps;
        std::string shown;  // letters(0x41)
        std::string text;   // the entry's text, "-" for none
        bool utf8;
    };
    const Row rows[] = {
        {"a Latin-1 letter is kept as UTF-8 in the table", {letters(0x41, "\xE9")}, "\xE9", "\xC3\xA9", false},
        {"emptied letters remove the entry", {letters(0x41, "A"), letters(0x41, "")}, "", "-", false},
        {"an edit of the table shows at once, in UTF-8", {entry("\x41", "\xE3\x81\x82")}, "\xE3\x81\x82",
         "\xE3\x81\x82", true},
        {"Latin-1 again when every letter has its byte", {entry("\x41", "\xC3\xA9"), spellUtf8(false)}, "\xE9",
         "\xC3\xA9", false},
        {"a letter Latin-1 lacks keeps the table UTF-8", {entry("\x41", "\xE3\x81\x82"), spellUtf8(false)},
         "\xE3\x81\x82", "\xE3\x81\x82", true},
        {"bytes that are no UTF-8 in a UTF-8 table are Latin-1", {spellUtf8(true), letters(0x41, "\xE9")},
         "\xC3\xA9", "\xC3\xA9", true},
        {"a longer key's entry leaves the letters alone", {letters(0x41, "a"), entry("\x41\x42", "x")}, "a", "a",
         true},
        {"new letters keep an end token's kind", {entry("\x41", "<END>", EntryKind::EndToken), letters(0x41, "<E>")},
         "<E>", "<E>", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TableState t;
        for (const Step& step : row.steps) step.run(t);
        EXPECT_EQ(t.letters(0x41), row.shown);
        const TableEntry* found = t.model().find("\x41");
        EXPECT_EQ(found ? found->text : "-", row.text);
        EXPECT_EQ(t.utf8(), row.utf8);
        EXPECT_EQ(t.charTable()[0x41], t.letters(0x41));
    }
}

// A line break's letters carry the "\n" it adds; letters given back with it keep the kind and drop the "\n".
TEST(TableState, LineBreakKeepsItsKind) {
    TableState t;
    t.edit([](Table& m) { m.set({"\x0A", "<br>", EntryKind::LineBreak, 0}); });
    EXPECT_EQ(t.letters(0x0A), "<br>\n");
    t.setLetters(0x0A, "<p>\n");
    const TableEntry* found = t.model().find("\x0A");
    ASSERT_TRUE(found);
    EXPECT_EQ(std::pair(found->text, found->kind), std::pair(std::string("<p>"), EntryKind::LineBreak));
}

// Typing's speller follows every change, the grid's included, with nothing to bring in step first.
TEST(TableState, SpellerFollowsEveryChange) {
    TableState t;
    const auto keyOf = [&t](const std::string& text) {
        const std::string* key = t.speller().keyOf(text);
        return key ? *key : std::string("-");
    };
    t.setLetters(0x41, "a");
    EXPECT_EQ(keyOf("a"), "\x41");
    t.setLetters(0x42, "a");
    t.setLetters(0x41, "");
    EXPECT_EQ(keyOf("a"), "\x42");
    t.edit([](Table& m) { m.set({"\x81\x40", "b", EntryKind::Letter, 0}); });
    EXPECT_EQ(keyOf("b"), "\x81\x40");
}

}  // namespace
}  // namespace tarpon
