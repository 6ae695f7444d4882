#pragma once
// The character table as the editor holds it: every entry once, in the Table, with
// the letters of the one-byte keys (the grid the table editor edits, the cells the
// text pane draws) made from it at every change, so that nothing has to be kept in
// step by hand. Every change goes through here, on the UI thread; readers on the
// long-work thread only read.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "core/char_table.h"
#include "core/spelling.h"
#include "core/table.h"
#include "core/table_source.h"

namespace tarpon {

class TableState {
public:
    const Table& model() const { return table_; }
    // The letters of each one-byte key (`charTable`): UTF-8 when utf8(), else Latin-1
    // bytes, as a table typed into the grid before any load keeps them.
    const CharTable& charTable() const { return grid_; }
    const std::string& letters(size_t b) const { return grid_[b & 0xFF]; }
    bool utf8() const { return utf8_; }

    // Gives byte b the letters, spelled as the grid spells them ("" removes its entry).
    // An entry of another kind keeps its kind (a line break its one "\n").
    void setLetters(size_t b, std::string_view letters);
    // Spells the letters in UTF-8 or in Latin-1 from here on; a table with a letter
    // that Latin-1 has no byte for stays UTF-8.
    void spellUtf8(bool utf8);
    // Runs `change` on the table; the letters follow, in UTF-8.
    template <typename Change>
    decltype(auto) edit(Change&& change) {
        struct Follow {
            TableState& state;
            ~Follow() { state.changed(true); }
        } follow{*this};
        return change(table_);
    }
    // A table read from a file takes the place of the entries; its letters are UTF-8.
    void replace(Table table);

    // The table as typing, paste and Replace spell through it, made again only when
    // the table changed (on the UI thread, before any long work uses it).
    const Speller& speller();

    TableSource source;  // the file the table was read from, kept to save it back

private:
    void changed(bool utf8);

    Table table_;
    CharTable grid_;
    bool utf8_ = false;
    std::shared_ptr<const Speller> speller_;
    uint64_t spellerRevision_ = 0;
};

}  // namespace tarpon
