#pragma once
// Find, relative search and Find Again on the editor's document.
#include <cstdint>
#include <string>

#include "search/pattern.h"

namespace tarpon {

struct Editor;

// What the find dialog holds when "Find" is pressed.
struct FindForm {
    PatternKind kind = PatternKind::Hex;
    std::string text;      // Latin-1
    std::string wildcard;  // Latin-1
    bool relative = false;
};

// Builds the pattern, stores it as the search state and searches; does nothing
// when there is nothing to search for.
void cmdFind_Click(Editor& ed, const FindForm& form);

// Search from the byte after the cursor round the document for the first `n`
// bytes of searchPattern; land on the match or report that there is none.
void FindBytes(Editor& ed, int32_t n, int32_t w);
void FindRelative(Editor& ed, int32_t n, int32_t w);
void ShowNoResults(Editor& ed);

// "Find &Again": the last search from the cursor's present place.
void FindAgain(Editor& ed);

}  // namespace tarpon
