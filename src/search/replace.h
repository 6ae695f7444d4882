#pragma once
// Replace: the bytes a text stands for (read as Find reads it) put in place of
// another's, at the cursor or everywhere. A replacement of another length is written
// only as the user chose: padded with a byte when shorter, or with the bytes after
// it moved (the document grows or shrinks); otherwise it is refused.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/progress.h"
#include "search/pattern.h"

namespace tarpon {

struct Editor;
struct EditorState;

enum class LengthRule { Refuse = 0, Pad = 1, Resize = 2 };

// What the Replace window holds. The texts are Latin-1, or UTF-8 when findTextIsUtf8.
struct ReplaceForm {
    PatternKind kind = PatternKind::Ascii;
    std::string find, replacement;
    LengthRule rule = LengthRule::Refuse;
    std::string pad = "00";  // the padding byte, in hex
};

// The bytes to look for and the bytes to write for each match (padded already).
struct ReplacePlan {
    std::vector<uint8_t> pattern, replacement;
};

// Nothing, and `problem` says why, when the texts give no pattern or the lengths
// differ in a way the form's rule does not allow.
std::optional<ReplacePlan> planReplace(Editor& ed, const ReplaceForm& form, std::string* problem);

// "Replace": a match at the cursor is replaced (one undo step) and the cursor goes to
// the next match; without a match at the cursor it only goes to the next one.
void ReplaceNext(Editor& ed, const ReplaceForm& form);
// "Replace All": every match from the document's start on, not overlapping, as one
// undo step; a message says how many. Returns how many were replaced. It runs as
// long work: cancelled, the document is unchanged.
int64_t ReplaceAll(Editor& ed, const ReplaceForm& form);

// Replace All's one change: the stretch from the first match to the end of the last,
// and the bytes that take its place (the replacements, and the bytes between matches).
struct ReplaceAllSplice {
    int64_t matches = 0;
    int64_t from = 0, length = 0;
    std::vector<uint8_t> bytes;
    bool fits = true;        // false: the document would reach `maxSize`, and `bytes` is empty
    bool cancelled = false;  // stopped by the progress: nothing found, nothing to write
};
ReplaceAllSplice replaceAllSplice(std::span<const uint8_t> doc, const ReplacePlan& plan, int64_t maxSize,
                                  const Progress& progress = {});

// The starts of the non-overlapping matches of `pattern` in the document, from `from`
// on. Stopped by `progress` (asked every 256 KiB): none.
std::vector<int64_t> matchStarts(std::span<const uint8_t> doc, const std::vector<uint8_t>& pattern, int64_t from,
                                 size_t most = SIZE_MAX, const Progress& progress = {});
std::vector<int64_t> matchStarts(const EditorState& s, const std::vector<uint8_t>& pattern, int64_t from,
                                 size_t most = SIZE_MAX);

}  // namespace tarpon
