#include "copy/copy_format.h"

#include <gtest/gtest.h>

#include "screen/keys.h"
#include "test_editor.h"

namespace tarpon {
namespace {

using T = CopyType;
using R = OffsetRadix;

// The copy dialog's fields -> the clipboard text, or the message and an untouched clipboard.
// The document holds each byte value at its own offset; the table gives 41 "A" and 42 "bc", and with
// `longKeys` (a UTF-8 table) also 4344 "DE", 45 "<p>" with one parameter byte and 0A a line break.
TEST(Copy, FieldsToClipboardOrMessage) {
    const std::vector<uint8_t> bytes = test::countingBytes(256);
    const std::string all(bytes.begin(), bytes.end());
    struct Row {
        const char* name;
        CopyForm form;
        std::string clipboard;  // copied text, or the message when `refused`
        bool refused = false;
        size_t size = 256;  // of the document
        bool longKeys = false;
    };
    const Row rows[] = {
        {"values", {{"41", "43"}, R::Hex, T::Value, "[", "],"}, "[65],[66],[67],"},
        {"every byte is its own character", {{"0", "FF"}, R::Hex, T::Ascii, "", ""}, all},
        {"table letters; a byte without any gives nothing", {{"41", "43"}, R::Hex, T::Table, "<", ">"}, "<A><bc><>"},
        {"downwards when From is above To", {{"43", "41"}, R::Hex, T::Table, "", "."}, ".bc.A."},
        {"decimal offsets", {{"65", "67"}, R::Dec, T::Value, "", ","}, "65,66,67,"},
        {"start beyond the document: clipped", {{"FFFFFFFF", "FE"}, R::Hex, T::Value, "[", "],"}, "[255],[254],"},
        {"start below 0: clipped", {{"-5", "1"}, R::Dec, T::Value, "", ","}, "0,1,"},
        {"no From", {{"", "12"}, R::Hex, T::Value, "", ""}, "Fill in Start & End offset", true},
        {"range after the document", {{"100", "130"}, R::Hex, T::Value, "", ""}, "The range lies outside the file",
         true},
        {"empty document", {{"0", "0"}, R::Hex, T::Ascii, "", ""}, "The range lies outside the file", true, 0},
        {"more than 256 MiB of text", {{"0", "FFFFF"}, R::Hex, T::Ascii, std::string(300, '-'), ""},
         "The text to copy is too large", true, 1 << 20},
        {"a key of two bytes is one item; parameter bytes as <$XX>", {{"41", "45"}, R::Hex, T::Table, "[", "]"},
         "[A][bc][DE][<p><$46>]", false, 256, true},
        {"downwards, letter by letter", {{"44", "41"}, R::Hex, T::Table, "", "."}, "DE.bc.A.", false, 256, true},
        {"a key begun before the range is not copied", {{"44", "44"}, R::Hex, T::Table, "", ""}, "", false, 256, true},
        {"a line break entry; no entry: only the wrapping", {{"9", "A"}, R::Hex, T::Table, "[", "]"}, "[][\n]", false,
         256, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TestEditor t(test::countingBytes(row.size));
        t.ed.s.table.setLetters(0x41, "A"), t.ed.s.table.setLetters(0x42, "bc");
        if (row.longKeys) {
            t.ed.s.table.edit([&](Table& m) { m.set({"CD", "DE", EntryKind::Letter, 0}); });
            t.ed.s.table.edit([&](Table& m) { m.set({"E", "<p>", EntryKind::Linked, 1}); });
            t.ed.s.table.edit([&](Table& m) { m.set({"\n", "", EntryKind::LineBreak, 0}); });
        }
        t.services.clipboard = "before";
        EXPECT_EQ(cmdCopy_Click(t.ed, row.form), !row.refused);
        EXPECT_EQ(t.services.clipboard, row.refused ? "before" : row.clipboard);
        EXPECT_EQ(t.services.messages, std::vector<std::string>(row.refused ? 1 : 0, row.clipboard));
        EXPECT_EQ(t.services.clipboardUtf8, row.longKeys && !row.refused);  // else the table's letters are Latin-1
    }
}

TEST(Copy, TextLengthIsTheFormattedSize) {
    const std::vector<uint8_t> all = test::countingBytes(256);
    const CharTable view{{"", "abc"}};
    Table model;  // one-byte letters, then keys of several bytes, a linked entry and Latin-1 texts
    const Table none;
    const CopyTable tables[] = {{{none, view, false}}, {{model, view, true}}, {{model, view, false}}};
    model.set({"\x02\x03", "\xC3\xA9t\xE3\x81\x82", EntryKind::Letter, 0});
    model.set({"\x05", "<p>", EntryKind::Linked, 2});
    for (const CopyTable& table : tables)
        for (const CopyType type : {T::Value, T::Ascii, T::Table})
            for (const auto& [from, to] : {std::pair<int64_t, int64_t>{0, 255}, {200, 3}, {3, 3}, {-9, 2}, {250, 999}})
                EXPECT_EQ(copyTextLength(all, from, to, type, "<<", ">", table),
                          formatCopy(all, from, to, type, "<<", ">", table).size());
}

TEST(CopyDialogDecisions, OffsetKeys) {
    const std::tuple<const char*, R, int, int> keys[] = {  // field, radix, typed -> received (0: refused)
        {"1", R::Hex, 'f', 'F'}, {"1", R::Hex, 'A', 'A'}, {"1", R::Hex, '9', '9'}, {"1", R::Hex, 'g', 0},
        {"1", R::Dec, 'A', 0},   {"1", R::Dec, '0', '0'}, {"1", R::Dec, '9', '9'}, {"1", R::Oct, '8', 0},
        {"1", R::Oct, '7', '7'}, {"", R::Hex, '-', 0},    {"1", R::Hex, 22, 0},    {"1234567", R::Hex, 'a', 'A'},
        {"12345678", R::Hex, '1', 0}, {"12345678", R::Dec, 8, 8},  // eight digits at most; Backspace always
    };
    for (const auto& [field, radix, typed, received] : keys)
        EXPECT_EQ(txtOffset_KeyPress(field, radix, typed), received) << field << " + " << typed;
    // Pasted text: taken whole, or refused whole (never read as 0 for what was dropped).
    const std::tuple<const char*, R, std::optional<std::string>> pasted[] = {
        {"ff0A", R::Hex, "FF0A"}, {"0x41", R::Hex, std::nullopt}, {"12345678", R::Dec, "12345678"},
        {"123456789", R::Dec, std::nullopt}, {"1 2", R::Dec, std::nullopt}, {"778", R::Oct, std::nullopt}, {"", R::Hex, ""}};
    for (const auto& [text, radix, accepted] : pasted) EXPECT_EQ(acceptedOffsetText(text, radix), accepted) << text;
    // Which keys reach that filter: printable characters without Ctrl or Alt.
    const std::tuple<int, int, bool> typed[] = {{'a', 0, true}, {' ', 0, true}, {'A', kShift, true}, {0xE9, 0, true},
        {'\t', 0, false}, {8, 0, false}, {127, 0, false}, {'a', kCtrl, false}, {'a', kAlt, false}};
    for (const auto& [unicode, shift, passes] : typed) EXPECT_EQ(isTypedCharacter(unicode, shift), passes) << unicode;
}

}  // namespace
}  // namespace tarpon
