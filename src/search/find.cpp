#include "search/find.h"

#include <algorithm>

#include "core/editor.h"
#include "core/spelling.h"
#include "core/text_coding.h"
#include "search/multi_search.h"
#include "search/ring_search.h"
#include "view/cursor.h"
#include "view/painting.h"

namespace tarpon {
namespace {

constexpr const char* kMaxSpellingsText = "4,096";
static_assert(kMaxSpellings == 4096, "the message names the bound");

void search(Editor& ed, int32_t n, int32_t w, bool relative, bool backward = false) {
    EditorState& s = ed.s;
    s.search.searchRelative = relative;
    RingQuery q;
    q.data = s.doc.fileData.data();
    q.size = std::clamp<int64_t>(s.doc.fileSize, 0, static_cast<int64_t>(s.doc.fileData.size()));
    q.pattern = s.search.searchPattern.data();
    q.length = std::clamp<int64_t>(n, 0, static_cast<int64_t>(s.search.searchPattern.size()));
    q.wildcard = w;
    q.cursor = std::max<int64_t>(s.cursor(), 0);
    q.relative = relative;
    const int64_t at = q.size <= 0 ? -1 : findNearestSpelling(q, s.search.searchSpellings, backward);
    if (at >= 0) MoveCursor(ed, at);
    else ShowNoResults(ed);
    RepaintAll(ed);
    PlaceMarks(ed);
}

}  // namespace

bool usesAlphabet(const FindForm& form) {
    return form.relative && form.kind == PatternKind::Ascii && form.alphabet.kind != AlphabetKind::Ascii;
}

bool findTextIsUtf8(const Editor& ed, PatternKind kind) { return kind == PatternKind::Table && ed.s.table.utf8(); }

bool findTextIsUtf8(const Editor& ed, const FindForm& form) {
    return usesAlphabet(form) || findTextIsUtf8(ed, form.kind);
}

std::optional<SearchRequest> requestFor(Editor& ed, const FindForm& form, std::string* problem) {
    if (usesAlphabet(form)) return buildAlphabetPattern(form.alphabet, form.text, form.wildcard, problem);
    if (form.kind != PatternKind::Table)
        return buildPattern(form.kind, form.text, form.wildcard, ed.s.table.charTable(), false, problem);
    const bool utf8 = findTextIsUtf8(ed, form.kind);
    return buildTablePattern(utf8 ? form.text : utf8FromLatin1Text(form.text),
                             utf8 ? form.wildcard : utf8FromLatin1Text(form.wildcard), ed.s.table.model(), problem);
}

void keepSearch(Editor& ed, SearchRequest request, bool relative) {
    ed.s.search.searchPattern = std::move(request.pattern);
    ed.s.search.searchSpellings = std::move(request.otherSpellings);
    ed.s.search.searchWildcard = static_cast<int16_t>(request.wildcard);
    ed.s.search.searchRelative = relative;
}

void cmdFind_Click(Editor& ed, const FindForm& form) {
    std::string problem;
    auto request = requestFor(ed, form, &problem);
    if (!request) {
        if (!problem.empty()) ed.services.messageBox(problem);
        return;
    }
    const int32_t wildcard = request->wildcard;
    if (request->moreSpellings)
        ed.services.messageBox("The text can be spelt in more than " + std::string(kMaxSpellingsText) +
                               " ways through the table: Find looks for the first " + kMaxSpellingsText + ".");
    keepSearch(ed, std::move(*request), form.relative);
    const auto n = static_cast<int32_t>(std::min<size_t>(ed.s.search.searchPattern.size(), INT32_MAX));
    if (form.relative) FindRelative(ed, n, wildcard);
    else FindBytes(ed, n, wildcard);
}

void FindBytes(Editor& ed, int32_t n, int32_t w) { search(ed, n, w, false); }

void FindRelative(Editor& ed, int32_t n, int32_t w) { search(ed, n, w, true); }

void ShowNoResults(Editor& ed) { ed.services.messageBox("No Results Found"); }

void FindPrevious(Editor& ed) {
    const EditorState& s = ed.s;
    if (s.search.searchPattern.empty()) return;
    const auto n = static_cast<int32_t>(std::min<size_t>(s.search.searchPattern.size(), INT32_MAX));
    search(ed, n, s.search.searchWildcard, s.search.searchRelative, true);
}

void FindAgain(Editor& ed) {
    const EditorState& s = ed.s;
    if (s.search.searchPattern.empty()) return;
    const auto n = static_cast<int32_t>(std::min<size_t>(s.search.searchPattern.size(), INT32_MAX));
    if (s.search.searchRelative) FindRelative(ed, n, s.search.searchWildcard);
    else FindBytes(ed, n, s.search.searchWildcard);
}

}  // namespace tarpon
