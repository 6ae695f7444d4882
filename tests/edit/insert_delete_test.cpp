#include "edit/insert_delete.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "test_editor.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;
using test::TestEditor;

Bytes document(const EditorState& s) {
    return Bytes(s.fileData.begin(), s.fileData.begin() + s.fileSize);
}

Bytes concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void placeCursor(TestEditor& t, int32_t offset) {
    t.ed.s.pageTop = offset / 16 * 16;
    t.ed.s.cursorRel = offset % 16;
    t.ed.s.selAnchor = offset;
}

// The cursor, page and anchor stay put, and the storage holds the document (one byte when empty).
void expectCursorAndStorage(const TestEditor& t, int32_t offset) {
    EXPECT_EQ(t.ed.s.cursor(), offset);
    EXPECT_EQ(t.ed.s.selAnchor, offset);
    EXPECT_EQ(t.ed.s.fileData.size(), static_cast<size_t>(std::max(t.ed.s.fileSize, 1)));
}

TEST(DeleteByte, RemovesTheByteUnderTheCursorOrNothing) {
    struct Case {
        const char* name;
        Bytes before;
        int32_t cursor;
        Bytes after;
    };
    const Case cases[] = {
        {"middle", {0, 1, 2, 3}, 1, {0, 2, 3}},
        {"first", {0, 1, 2, 3}, 0, {1, 2, 3}},
        {"last byte", {0, 1, 2, 3}, 3, {0, 1, 2}},
        {"only byte", {7}, 0, {}},
        {"one past the end", {0, 1, 2, 3}, 4, {0, 1, 2, 3}},
        {"far past the end", {0, 1, 2, 3}, 40, {0, 1, 2, 3}},
        {"empty document", {}, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestEditor t;
        t.setDocument(c.before);
        placeCursor(t, c.cursor);
        DeleteByte(t.ed);
        EXPECT_EQ(document(t.ed.s), c.after);
        expectCursorAndStorage(t, c.cursor);
    }
}

TEST(InsertBytes, AmountAndFillAsTyped) {
    struct Case {
        const char* name;
        Bytes before;
        int32_t cursor;
        InsertForm form;
        Bytes after;
    };
    const Bytes four = {0, 1, 2, 3};
    const Case cases[] = {
        {"three AA at offset 2", four, 2, {"3", true, "AA", true}, {0, 1, 0xAA, 0xAA, 0xAA, 2, 3}},
        {"10 in hex is 16", {9}, 0, {"10", true, "1", true}, concat(Bytes(16, 1), {9})},
        {"10 in decimal is 10", {9}, 0, {"10", false, "1", true}, concat(Bytes(10, 1), {9})},
        {"fill 1FF keeps the low byte", four, 0, {"1", true, "1FF", true}, {0xFF, 0, 1, 2, 3}},
        {"fill 513 decimal keeps the low byte", four, 0, {"1", true, "513", false}, {1, 0, 1, 2, 3}},
        {"empty fill is zero", four, 1, {"2", true, "", true}, {0, 0, 0, 1, 2, 3}},
        {"fill text with junk reads its leading digits", four, 0, {"1", true, "7Fzz", true}, {0x7F, 0, 1, 2, 3}},
        {"fill beyond any number is zero", four, 0, {"1", true, "1e999", false}, {0, 0, 1, 2, 3}},
        {"empty amount inserts nothing", four, 1, {"", true, "AA", true}, four},
        {"half amount rounds to even (down)", four, 4, {"2.5", false, "5", true}, {0, 1, 2, 3, 5, 5}},
        {"half amount rounds to even (up)", four, 4, {"3.5", false, "5", true}, {0, 1, 2, 3, 5, 5, 5, 5}},
        {"at the last byte", four, 3, {"1", true, "7", true}, {0, 1, 2, 7, 3}},
        {"one past the end, one byte: zero", four, 4, {"1", true, "AA", true}, {0, 1, 2, 3, 0}},
        {"one past the end, two bytes: filled", four, 4, {"2", true, "AA", true}, {0, 1, 2, 3, 0xAA, 0xAA}},
        {"into an empty document", {}, 0, {"3", true, "AA", true}, {0xAA, 0xAA, 0xAA}},
        {"one byte into an empty document", {}, 0, {"1", true, "AA", true}, {0}},
        // The cursor left beyond the end by a shorter load: the gap starts at the
        // cursor, and only the bytes from there to the new end are filled.
        {"three past the end", four, 6, {"5", true, "AA", true}, {0, 1, 2, 3, 0, 0, 0xAA, 0xAA, 0xAA}},
        {"far past the end", four, 40, {"5", true, "AA", true}, {0, 1, 2, 3, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestEditor t;
        t.setDocument(c.before);
        placeCursor(t, c.cursor);
        EXPECT_TRUE(InsertBytes(t.ed, c.form));
        EXPECT_EQ(document(t.ed.s), c.after);
        EXPECT_TRUE(t.services.messages.empty());
        expectCursorAndStorage(t, c.cursor);
    }
}

TEST(InsertBytes, RefusesNegativeAndTooLargeAmountsLeavingTheDocument) {
    const std::string tooLarge = "Too many bytes to insert: the document must stay smaller than 9 mb (9437184 bytes).";
    TestEditor t;
    t.setDocument({0, 1, 2, 3});
    placeCursor(t, 2);
    EXPECT_EQ(insertAtCursor(t.ed.s, -1, 0xAA), "The amount to insert cannot be negative.");
    EXPECT_EQ(insertAtCursor(t.ed.s, int64_t{1} << 40, 0xAA), tooLarge);
    EXPECT_EQ(insertAtCursor(t.ed.s, kMaxFileSize - 4, 0xAA), tooLarge);  // would reach the limit
    for (const char* amount : {"900000", "8FFFFD", "FFFFFFFFFFFFFFFFFFFFFFFF"}) {
        SCOPED_TRACE(amount);
        t.services.messages.clear();
        EXPECT_FALSE(InsertBytes(t.ed, {amount, true, "AA", true}));
        EXPECT_EQ(t.services.messages, std::vector<std::string>{tooLarge});
    }
    EXPECT_FALSE(InsertBytes(t.ed, {"1e999", false, "AA", true}));
    EXPECT_EQ(document(t.ed.s), (Bytes{0, 1, 2, 3}));
    EXPECT_EQ(t.ed.s.fileData.size(), 4u);

    // The largest document that still loads can be reached.
    EXPECT_EQ(insertAtCursor(t.ed.s, kMaxFileSize - 5, 0xAA), "");
    EXPECT_EQ(t.ed.s.fileSize, kMaxFileSize - 1);
    EXPECT_EQ(t.ed.s.fileData[1], 1);
    EXPECT_EQ(t.ed.s.fileData[2], 0xAA);
    EXPECT_EQ(t.ed.s.fileData[kMaxFileSize - 2], 3);
    EXPECT_EQ(insertAtCursor(t.ed.s, 1, 0xAA), tooLarge);
}

// A long random session of inserts and deletes, repeated on a plain vector.
TEST(InsertDelete, RandomSessionMatchesAPlainModel) {
    std::mt19937 rng(20261206);
    TestEditor t;
    Bytes model(300);
    for (size_t i = 0; i < model.size(); ++i) model[i] = static_cast<uint8_t>(i * 7);
    t.setDocument(model);
    for (int step = 0; step < 3000; ++step) {
        const auto size = static_cast<int32_t>(model.size());
        const int32_t p = std::uniform_int_distribution<int32_t>(0, size + 3)(rng);
        placeCursor(t, p);
        if (rng() % 2 == 0) {
            DeleteByte(t.ed);
            if (p < size) model.erase(model.begin() + p);
        } else {
            const int32_t n = std::uniform_int_distribution<int32_t>(0, 4)(rng);
            const auto fill = static_cast<uint8_t>(rng());
            ASSERT_EQ(insertAtCursor(t.ed.s, n, fill), "");
            const int32_t newSize = size + n;
            if (p >= newSize - 1) {
                model.resize(static_cast<size_t>(newSize), 0);
            } else if (p <= size) {
                model.insert(model.begin() + p, static_cast<size_t>(n), fill);
            } else {
                model.resize(static_cast<size_t>(p), 0);
                model.resize(static_cast<size_t>(newSize), fill);
            }
        }
        ASSERT_EQ(document(t.ed.s), model) << "step " << step;
        ASSERT_EQ(t.ed.s.fileData.size(), std::max<size_t>(model.size(), 1));
    }
}

TEST(InsertDelete, SmallStepsDoNotMoveTheStorageEachTime) {
    TestEditor t;
    t.setDocument(Bytes(1 << 20, 0x11));
    std::set<const uint8_t*> places;
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(insertAtCursor(t.ed.s, 1, 0x22), "");
        places.insert(t.ed.s.fileData.data());
    }
    for (int i = 0; i < 1000; ++i) {
        DeleteByte(t.ed);
        places.insert(t.ed.s.fileData.data());
    }
    EXPECT_LE(places.size(), 2u);
    EXPECT_EQ(t.ed.s.fileSize, 1 << 20);
}

}  // namespace
}  // namespace tarpon
