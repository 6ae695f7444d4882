#include "edit/undo.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/document.h"
#include "app/file_commands.h"
#include "edit/hex_input.h"
#include "edit/insert_delete.h"
#include "edit/text_input.h"
#include "edit/value_input.h"
#include "temp_dir.h"
#include "test_editor.h"
#include "view/cursor.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;
using test::TestEditor;

Bytes document(const EditorState& s) { return Bytes(s.fileData.begin(), s.fileData.begin() + s.fileSize); }

Bytes counting(int n) {
    Bytes b(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) b[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    return b;
}

void at(TestEditor& t, int64_t offset) {
    t.ed.s.selAnchor = static_cast<int32_t>(offset);
    MoveCursor(t.ed, offset);
}

void keys(TestEditor& t, const char* typed, void (*handler)(Editor&, int)) {
    for (const char* k = typed; *k; ++k) handler(t.ed, static_cast<uint8_t>(*k));
}

// Each row makes a few changes to a document; `steps` lists the document after each
// change and the first byte that change touched. Undo walks back through them, Redo
// forward again, and each lands the cursor on the step's first byte.
TEST(Undo, EditSequencesGoBackAndForth) {
    struct Step {
        Bytes bytes;
        int64_t cursor;
    };
    struct Row {
        const char* name;
        Bytes start;
        std::function<void(TestEditor&)> edit;
        std::vector<Step> steps;
    };
    const Bytes c8 = counting(8);
    const Row rows[] = {
        {"two hex bytes, each pair of digits one step", c8,
         [](TestEditor& t) { at(t, 0), keys(t, "4142", PicHex_KeyPress); },
         {{{0x41, 1, 2, 3, 4, 5, 6, 7}, 0}, {{0x41, 0x42, 2, 3, 4, 5, 6, 7}, 1}}},
        {"insert at the start", c8,
         [](TestEditor& t) { at(t, 0), insertAtCursor(t.ed.s, 3, 0xFF); },
         {{{0xFF, 0xFF, 0xFF, 0, 1, 2, 3, 4, 5, 6, 7}, 0}}},
        {"insert past the end appends", c8,
         [](TestEditor& t) { at(t, 10), insertAtCursor(t.ed.s, 4, 0xAA); },
         {{{0, 1, 2, 3, 4, 5, 6, 7, 0, 0, 0xAA, 0xAA}, 8}}},
        {"insert before the last byte", c8,
         [](TestEditor& t) { at(t, 7), insertAtCursor(t.ed.s, 2, 0x11); },
         {{{0, 1, 2, 3, 4, 5, 6, 0x11, 0x11, 7}, 7}}},
        {"delete the first and the last byte", c8,
         [](TestEditor& t) { at(t, 0), DeleteByte(t.ed), at(t, 6), DeleteByte(t.ed); },
         {{{1, 2, 3, 4, 5, 6, 7}, 0}, {{1, 2, 3, 4, 5, 6}, 6}}},
        {"delete the only byte", {9}, [](TestEditor& t) { at(t, 0), DeleteByte(t.ed); }, {{{}, 0}}},
        {"decimal digits and a bit click", c8,
         [](TestEditor& t) {
             at(t, 2), keys(t, "7", picDec_KeyPress);
             picBinary_MouseDown(t.ed, 1, 0, 2, 5);  // bit 7
         },
         {{{0, 1, 27, 3, 4, 5, 6, 7}, 2}, {{0, 1, 27 + 128, 3, 4, 5, 6, 7}, 2}}},
        {"one letter that writes three bytes is one step", c8,
         [](TestEditor& t) {
             for (auto [b, e] : {std::pair{0x61, "a"}, {0x62, "b"}, {0x64, "d"}, {0xC1, "abc"}})
                 t.ed.s.charTable[static_cast<size_t>(b)] = e;
             t.ed.s.viewMode = t.ed.s.multiLetters = true;
             at(t, 1), keys(t, "abd", PicText_KeyPress);
         },
         {{{0, 0x61, 0x62, 0x64, 4, 5, 6, 7}, 1}}},
        {"ascii typing, a byte a step", c8, [](TestEditor& t) { at(t, 6), keys(t, "xy", PicText_KeyPress); },
         {{{0, 1, 2, 3, 4, 5, 'x', 7}, 6}, {{0, 1, 2, 3, 4, 5, 'x', 'y'}, 7}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TestEditor t;
        t.setDocument(row.start);
        row.edit(t);
        ASSERT_EQ(document(t.ed.s), row.steps.back().bytes);
        for (size_t k = row.steps.size(); k-- > 0;) {
            Undo(t.ed);
            EXPECT_EQ(document(t.ed.s), k == 0 ? row.start : row.steps[k - 1].bytes) << "undo " << k;
            EXPECT_EQ(t.ed.s.cursor(), row.steps[k].cursor) << "undo " << k;
            EXPECT_TRUE(cursorRowShown(t.ed));
        }
        Undo(t.ed);  // nothing more: nothing changes
        EXPECT_EQ(document(t.ed.s), row.start);
        EXPECT_FALSE(t.ed.s.modified());
        for (size_t k = 0; k < row.steps.size(); ++k) {
            Redo(t.ed);
            EXPECT_EQ(document(t.ed.s), row.steps[k].bytes) << "redo " << k;
            EXPECT_EQ(t.ed.s.cursor(), row.steps[k].cursor) << "redo " << k;
        }
        Redo(t.ed);
        EXPECT_EQ(document(t.ed.s), row.steps.back().bytes);
        EXPECT_TRUE(t.ed.s.modified());
    }
}

// Saving marks the state the file holds; undoing back to it is unmodified, past it
// modified again; a new change drops what could be redone; loading forgets it all.
TEST(Undo, ModifiedFollowsTheSavedState) {
    test::TempDir dir;
    const std::string path = dir.path() + "/doc.bin";
    test::writeBytes(path, counting(4));
    TestEditor t(path);
    EXPECT_FALSE(t.ed.s.modified());
    at(t, 0);
    keys(t, "aa", PicHex_KeyPress);
    EXPECT_TRUE(t.ed.s.modified());
    ASSERT_TRUE(SaveDocument(t.ed));
    EXPECT_FALSE(t.ed.s.modified());
    keys(t, "bb", PicHex_KeyPress);
    EXPECT_TRUE(t.ed.s.modified());
    Undo(t.ed);
    EXPECT_FALSE(t.ed.s.modified());  // back at what was saved
    Undo(t.ed);
    EXPECT_TRUE(t.ed.s.modified());  // past it
    EXPECT_EQ(document(t.ed.s), counting(4));
    keys(t, "cc", PicHex_KeyPress);  // a new change: "aa" can no longer be redone
    EXPECT_FALSE(t.ed.s.history.canRedo());
    Undo(t.ed);
    Redo(t.ed);
    EXPECT_TRUE(t.ed.s.modified());  // "cc" was never saved
    LoadFile(t.ed, path);
    EXPECT_FALSE(t.ed.s.history.canUndo());
    EXPECT_FALSE(t.ed.s.modified());
    EXPECT_EQ(document(t.ed.s), (Bytes{0xAA, 1, 2, 3}));
}

// Before the document goes: nothing modified, nothing asked; Cancel keeps it; Discard
// lets it go; Save saves, and a failed save keeps it.
TEST(Undo, QuestionBeforeUnsavedChangesAreDropped) {
    struct Row {
        const char* name;
        bool modify;
        std::vector<int> answers;
        bool savable;
        bool mayGo;
        bool fileChanged;
    };
    const Row rows[] = {
        {"nothing modified asks nothing", false, {}, true, true, false},
        {"cancel keeps everything", true, {2}, true, false, false},
        {"discard drops the changes", true, {1}, true, true, false},
        {"save writes them first", true, {0}, true, true, true},
        {"a failed save keeps the document", true, {0}, false, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TempDir dir;
        const std::string path = dir.path() + "/doc.bin";
        test::writeBytes(path, counting(4));
        TestEditor t(path);
        if (row.modify) at(t, 1), keys(t, "ff", PicHex_KeyPress);
        if (!row.savable) t.ed.s.fileName = dir.path() + "/missing/doc.bin";
        t.services.answers = row.answers;
        EXPECT_EQ(QueryUnsavedChanges(t.ed), row.mayGo);
        EXPECT_EQ(t.services.questions.size(), row.modify ? 1u : 0u);
        if (row.modify) {
            EXPECT_EQ(t.services.questions[0], "Save changes to doc.bin?");
        }
        EXPECT_EQ(test::readBytes(path), row.fileChanged ? (Bytes{0, 0xFF, 2, 3}) : counting(4));
        EXPECT_EQ(t.ed.s.modified(), row.modify && !row.fileChanged);
    }
}

}  // namespace
}  // namespace tarpon
