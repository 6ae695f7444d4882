#include "core/table_fill.h"

#include <optional>

#include "core/text_coding.h"

namespace tarpon {
namespace {

std::string utf8FromLatin1(const std::string& latin1) {
    std::string out;
    for (const char c : latin1) out += utf8Of(static_cast<uint8_t>(c));
    return out;
}

}  // namespace

TableFill prepareTableFill(CharTable& table, bool& tableUtf8, const TableFill& fill, bool* respelled) {
    if (respelled) *respelled = false;
    if (tableUtf8) return fill;
    TableFill latin1;
    for (const TableFillEntry& entry : fill) {
        const std::optional<std::string> bytes = latin1FromUtf8(entry.letters);
        if (!bytes) {
            for (std::string& letters : table) {
                if (respelled && hasByteAbove7F(letters)) *respelled = true;
                letters = utf8FromLatin1(letters);
            }
            tableUtf8 = true;
            return fill;
        }
        latin1.push_back({entry.index, *bytes});
    }
    return latin1;
}

}  // namespace tarpon
