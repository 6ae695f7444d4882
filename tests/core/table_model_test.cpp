#include "core/table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace tarpon {
namespace {

using namespace std::literals;

// The entry the longest key at bytes[0] belongs to, found by looking at every entry.
const TableEntry* longestByScan(const Table& table, std::span<const uint8_t> bytes) {
    const TableEntry* best = nullptr;
    const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    for (const TableEntry& entry : table.entries())
        if (view.starts_with(entry.key) && (!best || entry.key.size() > best->key.size())) best = &entry;
    return best;
}

// Random tables, changed and searched at random, answer as a scan over every entry does: keys of one to
// four bytes over few first bytes, so that nodes grow past the size where their children change form.
TEST(TableModel, LookupsMatchAScanOfEveryEntry) {
    std::mt19937 rng(27);
    Table table;
    std::vector<uint8_t> buffer(64);
    for (int round = 0; round < 3000; ++round) {
        std::string key(1 + rng() % 4, '\0');
        for (size_t i = 0; i < key.size(); ++i) key[i] = static_cast<char>(0x80 + rng() % (i == 0 ? 3 : 40));
        if (rng() % 4 == 0) table.remove(key);
        else table.set({.key = key, .text = std::string(1 + rng() % 3, static_cast<char>('a' + rng() % 3))});
        for (uint8_t& b : buffer) b = static_cast<uint8_t>(0x80 + rng() % 40);
        const size_t at = rng() % buffer.size();
        const std::span<const uint8_t> rest(buffer.data() + at, buffer.size() - at);
        ASSERT_EQ(table.longestMatch(rest), longestByScan(table, rest)) << round;
        const bool held = std::any_of(table.entries().begin(), table.entries().end(),
                                      [&](const TableEntry& entry) { return entry.key == key; });
        ASSERT_EQ(table.find(key) != nullptr, held) << round;
        const std::string text(1 + rng() % 4, static_cast<char>('a' + rng() % 3));
        size_t prefixes = 0;
        for (const TableEntry& entry : table.entries()) prefixes += text.starts_with(entry.text) ? 1 : 0;
        const std::vector<const TableEntry*> found = table.entriesPrefixOf(text);
        ASSERT_EQ(found.size(), prefixes) << round;
        for (size_t i = 1; i < found.size(); ++i) ASSERT_GE(found[i - 1]->text.size(), found[i]->text.size());
    }
}

// The one-byte view, edited as the grid edits it, goes back into the table: name, entries before, the view's
// changes (byte, letters), Latin-1 letters or UTF-8 -> the entries afterwards.
TEST(TableModel, GridEditsComeBackIntoTheTable) {
    using K = EntryKind;
    struct Row {
        const char* name;
        std::vector<TableEntry> before;
        std::vector<std::pair<int, std::string>> edits;
        bool utf8;
        std::vector<TableEntry> after;
    };
    const Row rows[] = {
        {"an unchanged view changes nothing, line breaks and bare end tokens included",
         {{"\x41", "A"}, {"\xFE", "", K::LineBreak}, {"\xFD", "<L>", K::LineBreak}, {"\0"s, "", K::EndToken}},
         {},
         true,
         {{"\x41", "A"}, {"\xFE", "", K::LineBreak}, {"\xFD", "<L>", K::LineBreak}, {"\0"s, "", K::EndToken}}},
        {"a new letter, a changed one, an emptied one", {{"\x41", "A"}, {"\x42", "B"}},
         {{0x41, ""}, {0x42, "b"}, {0x43, "\xC3\xA9"}}, true, {{"\x42", "b"}, {"\x43", "\xC3\xA9"}}},
        {"Latin-1 letters become UTF-8", {}, {{0x43, "\xE9"}}, false, {{"\x43", "\xC3\xA9"}}},
        {"the kind stays; a line break loses the break the view adds",
         {{"\xFE", "", K::LineBreak}, {"\xFF", "<END>", K::EndToken}, {"\xC9", "<p>", K::Linked, 1}},
         {{0xFE, "<L>\n"}, {0xFF, "<E>"}, {0xC9, "<q>"}},
         true,
         {{"\xFE", "<L>", K::LineBreak}, {"\xFF", "<E>", K::EndToken}, {"\xC9", "<q>", K::Linked, 1}}},
        {"keys of two bytes are not in the view", {{"\x41\x42", "x"}}, {{0x41, "y"}}, true,
         {{"\x41\x42", "x"}, {"\x41", "y"}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Table table;
        for (const TableEntry& entry : row.before) table.set(entry);
        CharTable view = table.oneByteView();
        for (const auto& [b, letters] : row.edits) view[static_cast<size_t>(b)] = letters;
        table.takeOneByteView(view, row.utf8);
        EXPECT_EQ(table.entries(), row.after);
    }
}

}  // namespace
}  // namespace tarpon
