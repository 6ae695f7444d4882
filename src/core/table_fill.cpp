#include "core/table_fill.h"

#include <optional>

#include "core/text_coding.h"

namespace tarpon {

TableFill prepareTableFill(TableState& table, const TableFill& fill, bool* respelled) {
    if (respelled) *respelled = false;
    if (table.utf8()) return fill;
    TableFill latin1;
    for (const TableFillEntry& entry : fill) {
        const std::optional<std::string> bytes = latin1FromUtf8(entry.letters);
        if (!bytes) {
            for (size_t b = 0; b < 256 && respelled; ++b)
                if (hasByteAbove7F(table.letters(b))) *respelled = true;
            table.spellUtf8(true);
            return fill;
        }
        latin1.push_back({entry.index, *bytes});
    }
    return latin1;
}

}  // namespace tarpon
