#include "search/pointers.h"

#include <algorithm>
#include <cstdio>
#include <functional>

#include "core/editor.h"
#include "view/cursor.h"

namespace tarpon {

std::optional<std::vector<uint8_t>> encodePointer(int64_t offset, const PointerSettings& p) {
    const int64_t value = offset - p.add;
    if (value < 0 || value >= (int64_t{1} << (8 * p.size))) return std::nullopt;
    std::vector<uint8_t> bytes(static_cast<size_t>(p.size));
    for (int k = 0; k < p.size; ++k) bytes[static_cast<size_t>(k)] = static_cast<uint8_t>(value >> (8 * k));
    if (p.bigEndian) std::reverse(bytes.begin(), bytes.end());
    return bytes;
}

int64_t decodePointer(std::span<const uint8_t> bytes, const PointerSettings& p) {
    int64_t value = 0;
    for (int k = 0; k < p.size; ++k) {
        const uint8_t b = bytes[static_cast<size_t>(p.bigEndian ? k : p.size - 1 - k)];
        value = value << 8 | b;
    }
    return value + p.add;
}

PointerHits findPointersTo(const EditorState& s, int64_t offset, const PointerSettings& p, size_t most) {
    PointerHits hits;
    const std::optional<std::vector<uint8_t>> pattern = encodePointer(offset, p);
    if (!pattern) return hits;
    const auto begin = s.fileData.begin(), end = s.fileData.begin() + s.fileSize;
    const std::boyer_moore_horspool_searcher searcher(pattern->begin(), pattern->end());
    for (auto at = std::search(begin, end, searcher); at != end; at = std::search(at + 1, end, searcher)) {
        if (hits.at.size() == most) {
            hits.more = true;
            break;
        }
        hits.at.push_back(at - begin);
    }
    return hits;
}

void GoToPointerHit(Editor& ed, int64_t at) {
    ed.s.selAnchor = static_cast<int32_t>(at);
    MoveCursor(ed, at);
}

void FollowPointer(Editor& ed, const PointerSettings& p) {
    const EditorState& s = ed.s;
    const int64_t cursor = s.cursor();
    if (cursor < 0 || cursor + p.size > s.fileSize) {
        ed.services.messageBox("No whole " + std::to_string(p.size) + "-byte pointer lies at the cursor.");
        return;
    }
    const int64_t target = decodePointer(std::span(s.fileData.data() + cursor, static_cast<size_t>(p.size)), p);
    if (target < 0 || target >= s.fileSize) {
        char text[32];
        std::snprintf(text, sizeof text, "%s0x%llX", target < 0 ? "-" : "",
                      static_cast<unsigned long long>(target < 0 ? -target : target));
        ed.services.messageBox(std::string("The pointer at the cursor points outside the document (offset ") +
                               text + ").");
        return;
    }
    GoToPointerHit(ed, target);
}

}  // namespace tarpon
