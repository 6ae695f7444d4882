#pragma once
// Pointers: a file offset stored as a 2-, 3- or 4-byte number, in either byte
// order, with a number added to the stored value to give the offset (negative too).
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/pointer_settings.h"

namespace tarpon {

struct Editor;
struct EditorState;


// Every place in the document (in order, overlapping ones too) that holds a pointer
// to `offset`, at most `most`; `more` tells whether there were more.
struct PointerHits {
    std::vector<int64_t> at;
    bool more = false;
};
PointerHits findPointersTo(const EditorState& s, int64_t offset, const PointerSettings& p, size_t most = 1000);

// A listed hit chosen: the cursor goes there.
void GoToPointerHit(Editor& ed, int64_t at);

// "Follow Pointer": the cursor goes where the pointer at the cursor points; a message
// when no whole pointer lies there or it points outside the document.
void FollowPointer(Editor& ed, const PointerSettings& p);

}  // namespace tarpon
