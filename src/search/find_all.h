#pragma once
// "Find All" for relative search: every hit, the base each one implies, what the
// bytes around it read through the alphabet at that base, and the table a hit gives.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/progress.h"
#include "core/table_fill.h"
#include "search/alphabet.h"
#include "search/pattern.h"

namespace tarpon {

struct Editor;
struct FindForm;

// The list holds at most this many hits.
inline constexpr size_t kMaxHits = 1000;

struct RelativeHit {
    int64_t offset = 0;
    int shift = 0;        // each byte of the hit minus its letter's code
    std::string preview;  // UTF-8
};

struct HitList {
    Alphabet alphabet;
    bool upper = false, lower = false;  // ASCII: the search text had capitals, small letters
    std::vector<RelativeHit> hits;
    bool more = false;  // the document holds more hits than the list
    bool cancelled = false;  // stopped before the end: no hits
};

// The byte the alphabet's first letter stands for at the hit's shift: あ, ア or the
// custom sequence's first letter; for ASCII "a", or "A" when the text had capitals
// only. It may lie outside 0..255 when the alphabet's start does not fit in a byte.
int impliedBase(const HitList& list, const RelativeHit& hit);
// The base as a table line has it: "12=あ" (a base below 0 reads "-05=あ").
std::string baseText(const HitList& list, const RelativeHit& hit);

// A preview shows this many bytes before a hit and this many from its start on,
// whatever its length, so that every row is as long as the others.
inline constexpr int64_t kPreviewBefore = 8;
inline constexpr int64_t kPreviewFrom = 24;
// The bytes around a hit at `offset`, each read through the alphabet at `shift`:
// its letter when it falls inside the alphabet (ASCII: a letter A-Z or a-z), else "·".
std::string hitPreview(const HitList& list, int shift, const uint8_t* data, int64_t size, int64_t offset);

// The entries the hit gives: the whole sequence from the implied base; for ASCII,
// a-z when the text had small letters (or none), A-Z when it had capitals, and
// both when `bothCases`. Letters whose byte would fall outside 0..255 are left out.
TableFill tableFromHit(const HitList& list, const RelativeHit& hit, bool bothCases);

// Every relative hit of the request in the document (at most kMaxHits), with its shift and preview.
HitList collectHits(const FindForm& form, const SearchRequest& request, const uint8_t* data, int64_t size,
                    const Progress& progress = {});

// "Find All": builds the pattern as Find does and keeps it for Find Again, then
// lists the hits. Nothing, after a message, when the form is no relative text
// search, cannot be searched for or finds nothing; a message also says when the
// document holds more hits than the list. The search runs as long work: cancelled,
// nothing is kept.
std::optional<HitList> cmdFindAll_Click(Editor& ed, const FindForm& form);

// A row of the list chosen: the cursor goes to the hit (to the last byte when the
// document has since become shorter); the selection's anchor stays, as after Find.
void GoToHit(Editor& ed, int64_t offset);

}  // namespace tarpon
