#include "core/spelling.h"

#include <array>

#include "core/text_coding.h"

namespace tarpon {

std::optional<std::vector<uint8_t>> spellLongest(std::string_view text, const CharTable& table, bool utf8,
                                                 char32_t* refused) {
    // The entries by their first byte, so that each place tries only those that can fit.
    std::array<std::vector<uint8_t>, 256> byFirst;
    for (size_t i = 0; i < table.size(); ++i)
        if (!table[i].empty()) byFirst[static_cast<uint8_t>(table[i][0])].push_back(static_cast<uint8_t>(i));
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size());
    while (!text.empty()) {
        size_t best = table.size(), bestLength = 0;
        for (const uint8_t i : byFirst[static_cast<uint8_t>(text[0])])
            if (table[i].size() > bestLength && text.starts_with(table[i])) best = i, bestLength = table[i].size();
        if (best == table.size()) {
            if (refused) {
                const size_t length = utf8 ? utf8SequenceLength(text, 0) : 0;
                *refused = length > 0 ? utf8CodePoint(text, 0, length) : static_cast<uint8_t>(text[0]);
            }
            return std::nullopt;
        }
        bytes.push_back(static_cast<uint8_t>(best));
        text.remove_prefix(bestLength);
    }
    return bytes;
}

}  // namespace tarpon
