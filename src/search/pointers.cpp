#include "search/pointers.h"

#include <algorithm>
#include <cstdio>
#include <functional>

#include "core/editor.h"
#include "view/cursor.h"

namespace tarpon {

PointerHits findPointersTo(const EditorState& s, int64_t offset, const PointerSettings& p, size_t most) {
    PointerHits hits;
    const std::optional<std::vector<uint8_t>> pattern = encodePointer(offset, p);
    if (!pattern) return hits;
    const auto begin = s.doc.fileData.begin(), end = s.doc.fileData.begin() + s.doc.fileSize;
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
    ed.s.view.selAnchor = static_cast<int32_t>(at);
    MoveCursor(ed, at);
}

void FollowPointer(Editor& ed, const PointerSettings& p) {
    const EditorState& s = ed.s;
    const int64_t cursor = s.cursor();
    if (cursor < 0 || cursor + p.size > s.doc.fileSize) {
        ed.services.messageBox("No whole " + std::to_string(p.size) + "-byte pointer lies at the cursor.");
        return;
    }
    const int64_t target = decodePointer(std::span(s.doc.fileData.data() + cursor, static_cast<size_t>(p.size)), p);
    if (target < 0 || target >= s.doc.fileSize) {
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
