#include "core/letter_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/edits.h"
#include "core/editor_state.h"
#include "test_editor.h"

namespace tarpon {
namespace {

// A table of every kind: one-byte letters, a pair, a kanji, a control code of four
// bytes, an end token, a line break and a linked entry with one parameter byte.
Table kindsTable() {
    Table t;
    t.set({"A", "a", EntryKind::Letter, 0});
    t.set({"B", "b", EntryKind::Letter, 0});
    t.set({"AB", "th", EntryKind::Letter, 0});
    t.set({"\x81\x40", "\xE3\x81\x82", EntryKind::Letter, 0});
    t.set({"\xE0\xE1\xE2\xE3", "<ctl>", EntryKind::Letter, 0});
    t.set({std::string(1, '\0'), "<end>", EntryKind::EndToken, 0});
    t.set({"\xFE", "", EntryKind::LineBreak, 0});
    t.set({"\xC9", "<pause>", EntryKind::Linked, 1});
    return t;
}

// Every letter from the document's start, as "start:text" joined by blanks.
std::string readAll(const TableReading& r, std::span<const uint8_t> doc) {
    std::string out;
    for (int64_t at = 0; at < static_cast<int64_t>(doc.size());) {
        const ReadLetter letter = readLetterAt(r, doc, at);
        out += (out.empty() ? "" : " ") + std::to_string(at) + ":" + letterText(r, doc, letter);
        at += letter.length;
    }
    return out;
}

// Bytes + chosen starts -> the letters read, longest key first.
TEST(LetterReader, BytesToLetters) {
    struct Row {
        const char* name;
        std::string bytes;
        std::vector<int32_t> starts;
        std::string letters;
    };
    const Row rows[] = {
        {"the longest key wins", "AAB", {}, "0:a 1:th"},
        {"a two-byte kanji", "\x81\x40" "A", {}, "0:\xE3\x81\x82 2:a"},
        {"half a key at the end has no entry", "A\x81", {}, "0:a 1:"},
        {"a four-byte control code", "\xE0\xE1\xE2\xE3" "B", {}, "0:<ctl> 4:b"},
        {"a prefix of a long key is no key", "\xE0\xE1" "A", {}, "0: 1: 2:a"},
        {"an end token is a letter of its own", std::string("A\0B", 3), {}, "0:a 1:<end> 2:b"},
        {"a line break entry gives a line break", "\xFE" "A", {}, "0:\n 1:a"},
        {"a linked entry takes its parameter byte", "\xC9\x41" "B", {}, "0:<pause><$41> 2:b"},
        {"a linked entry cut by the end", "\xC9", {}, "0:<pause>"},
        {"read from here splits a key", "AB", {1}, "0:a 1:b"},
        {"read from here ends the parameters", "\xC9\x41", {1}, "0:<pause> 1:a"},
        {"read from here inside a kanji", "\x81\x40\x40", {1}, "0: 1: 2:"},
    };
    const Table table = kindsTable();
    const CharTable view = table.oneByteView();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<uint8_t> doc(row.bytes.begin(), row.bytes.end());
        EXPECT_EQ(readAll({table, view, true, row.starts}, doc), row.letters);
    }
}

// Where the index says letters start, after edits through the editor's own paths
// (overwrite, splice, insert, delete, undo), is where reading from the start says.
TEST(LetterReader, IndexKeepsUpWithEdits) {
    EditorState s;
    s.table.replace(kindsTable());
    s.table.edit([](Table& m) { m.set({"\x40\x41", "<w>", EntryKind::Linked, 2}); });  // a two-byte key with parameters
    std::mt19937 random(7);
    // Whole keys, halves of keys and single bytes, so that every kind of letter occurs.
    const std::string pieces[] = {"A", "B", "AB", "\x81\x40", "\x81", "\x40", "\xC9", std::string(1, '\0'),
                                  "\xE0\xE1\xE2\xE3", "\xE0\xE1", "\xE2", "\xFE"};
    std::vector<uint8_t> bytes;
    while (bytes.size() < 3 * LetterIndex::kBlock + 100) {
        const std::string& piece = pieces[random() % std::size(pieces)];
        bytes.insert(bytes.end(), piece.begin(), piece.end());
    }
    const size_t edge = 2 * LetterIndex::kBlock;  // "B B 81 | A": the edit below makes a kanji across the edge
    bytes[edge - 3] = bytes[edge - 2] = 'B', bytes[edge - 1] = 0x81, bytes[edge] = 'A';
    const size_t third = 3 * LetterIndex::kBlock;  // "B | E0 E1 E2 E3" across the next edge: a long key's reach
    bytes[third - 4] = 'B', bytes[third - 3] = 0xE0, bytes[third - 2] = 0xE1, bytes[third - 1] = 0xE2, bytes[third] = 0xE3;
    s.doc.fileData.assign(bytes.begin(), bytes.end());
    s.doc.fileSize = static_cast<int32_t>(bytes.size());
    const auto check = [&](const char* step) {
        SCOPED_TRACE(step);
        std::vector<bool> starts(static_cast<size_t>(s.doc.fileSize) + 1);
        for (int64_t at = 0; at < s.doc.fileSize; at += readLetterAt(s.reading(), s.document(), at).length)
            starts[static_cast<size_t>(at)] = true;
        for (int64_t at = 0; at < s.doc.fileSize; ++at) {
            int64_t want = at;
            while (want < s.doc.fileSize && !starts[static_cast<size_t>(want)]) ++want;
            ASSERT_EQ(s.doc.letters.startAtOrAfter(s.reading(), s.document(), at, s.doc.history.stateId()), want) << at;
        }
    };
    check("read once");
    const std::vector<uint8_t> kanji = {0x81, 0x40, 0xE0};
    overwriteByte(s, 2 * LetterIndex::kBlock, 0x40);
    check("a byte that ends a key begun in the block before");
    spliceRecorded(s, LetterIndex::kBlock - 2, 1, kanji);
    check("a splice that moves the rest");
    insertRecorded(s, 10, 3, 0xE0);
    check("an insert");
    deleteRecorded(s, 5);
    check("a delete");
    undoStep(s);
    undoStep(s);
    check("two undos");
    s.doc.letters.toggleStart(LetterIndex::kBlock + 1);
    check("a chosen start");
    for (int64_t at = 7; at < s.doc.fileSize; at += 5) s.doc.letters.toggleStart(at);
    check("many chosen starts");
    s.table.edit([&](Table& m) { m.set({"BA", "x", EntryKind::Letter, 0}); });
    check("a new key");
}

// Chosen starts 4, 8 and 12, then one edit -> where the chosen starts are.
TEST(LetterReader, ChosenStartsMoveWithTheirBytes) {
    struct Row {
        const char* name;
        void (*edit)(EditorState&);
        std::vector<int32_t> starts;
    };
    const std::vector<uint8_t> same(3, 0x41), shorter(1, 0x41), longer(5, 0x41);
    static const std::vector<uint8_t>* pieces[] = {&same, &shorter, &longer};
    const Row rows[] = {
        {"an overwrite moves nothing", [](EditorState& s) { overwriteByte(s, 8, 0x42); }, {4, 8, 12}},
        {"an insert before moves them up", [](EditorState& s) { insertRecorded(s, 8, 2, 0); }, {4, 10, 14}},
        {"an insert past the end moves nothing", [](EditorState& s) { insertRecorded(s, 20, 2, 0); }, {4, 8, 12}},
        {"a deleted byte takes its start", [](EditorState& s) { deleteRecorded(s, 8); }, {4, 11}},
        {"a delete before moves them down", [](EditorState& s) { deleteRecorded(s, 5); }, {4, 7, 11}},
        {"a splice of the same length", [](EditorState& s) { spliceRecorded(s, 7, 3, *pieces[0]); }, {4, 8, 12}},
        {"a shorter splice drops what it took", [](EditorState& s) { spliceRecorded(s, 7, 3, *pieces[1]); }, {4, 10}},
        {"a longer splice keeps what it wrote over", [](EditorState& s) { spliceRecorded(s, 7, 3, *pieces[2]); },
         {4, 8, 14}},
        {"undo of an insert moves them back", [](EditorState& s) { insertRecorded(s, 0, 3, 0), undoStep(s); },
         {4, 8, 12}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TestEditor t;
        t.setDocument(std::vector<uint8_t>(16, 0));
        EditorState& s = t.ed.s;
        for (const int32_t at : {4, 8, 12}) s.doc.letters.toggleStart(at);
        row.edit(s);
        EXPECT_EQ(s.doc.letters.starts(), row.starts);
    }
}

}  // namespace
}  // namespace tarpon
