#include "core/table_state.h"

#include <optional>

#include "core/text_coding.h"

namespace tarpon {

void TableState::setLetters(size_t b, std::string_view letters) {
    b &= 0xFF;
    if (letters == grid_[b]) return;
    table_.setOneByteLetters(static_cast<uint8_t>(b), utf8_ && isValidUtf8(letters) ? std::string(letters)
                                                                                   : utf8FromLatin1Text(letters));
    // Latin-1 letters came from Latin-1, so they go back to it.
    const std::string key(1, static_cast<char>(b));
    const TableEntry* entry = table_.find(key);
    const std::string now = entry ? oneByteLetters(*entry) : std::string();
    grid_[b] = utf8_ ? now : latin1FromUtf8(now).value_or(std::string(letters));
    table_.revision();
}

void TableState::spellUtf8(bool utf8) { changed(utf8); }

void TableState::replace(Table table) {
    table_ = std::move(table);
    changed(true);
}

const Speller& TableState::speller() {
    if (!speller_ || spellerRevision_ != table_.revision()) {
        speller_ = std::make_shared<const Speller>(table_, SpellRule::Window);
        spellerRevision_ = table_.revision();
    }
    return *speller_;
}

// The letters made anew from the table: Latin-1 ones when asked for and every letter
// has its bytes in Latin-1, else UTF-8. The revision is drawn here, on the UI thread,
// so that readers on the long-work thread find it drawn.
void TableState::changed(bool utf8) {
    CharTable grid = table_.oneByteView();
    if (!utf8) {
        CharTable latin1;
        bool fits = true;
        for (size_t b = 0; b < grid.size() && fits; ++b) {
            std::optional<std::string> letters = latin1FromUtf8(grid[b]);
            fits = letters.has_value();
            if (fits) latin1[b] = std::move(*letters);
        }
        if (fits) grid = std::move(latin1);
        utf8 = !fits;
    }
    utf8_ = utf8;
    grid_ = std::move(grid);
    table_.revision();
}

}  // namespace tarpon
