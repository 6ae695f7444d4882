#pragma once
// Find, relative search and Find Again on the editor's document.
#include <cstdint>
#include <string>

#include "search/alphabet.h"
#include "search/pattern.h"

namespace tarpon {

struct Editor;

// What the find dialog holds when "Find" is pressed.
// The texts are Latin-1, or UTF-8 when findTextIsUtf8.
struct FindForm {
    PatternKind kind = PatternKind::Hex;
    std::string text;
    std::string wildcard;
    bool relative = false;
    Alphabet alphabet = {};  // how a relative text search reads the text; ASCII: each character's code
};

// A relative text search reads the text through the form's alphabet (ASCII: as a plain text search does).
bool usesAlphabet(const FindForm& form);
// A Table search through a table whose letters are UTF-8, and a search through
// a sequence alphabet, take their texts as UTF-8.
bool findTextIsUtf8(const Editor& ed, PatternKind kind);
bool findTextIsUtf8(const Editor& ed, const FindForm& form);

// The bytes the form searches for; nothing when there is nothing to search for, and
// then `problem` says why when the user must be told.
std::optional<SearchRequest> requestFor(Editor& ed, const FindForm& form, std::string* problem);
// Keeps the request as the search that Find Again repeats.
void keepSearch(Editor& ed, SearchRequest request, bool relative);

// Builds the pattern, stores it as the search state and searches; does nothing
// when there is nothing to search for, and shows a message when the wild card
// cannot be searched for or the text has more spellings than are looked for.
void cmdFind_Click(Editor& ed, const FindForm& form);

// Search from the byte after the cursor round the document for the first `n`
// bytes of searchPattern, or one of searchSpellings, whichever it comes to first;
// land on the match or report that there is none.
void FindBytes(Editor& ed, int32_t n, int32_t w);
void FindRelative(Editor& ed, int32_t n, int32_t w);
void ShowNoResults(Editor& ed);

// "Find &Again": the last search from the cursor's present place.
void FindAgain(Editor& ed);
// "Find &Previous": the last search backwards from the cursor (the nearest match before it first).
void FindPrevious(Editor& ed);

}  // namespace tarpon
