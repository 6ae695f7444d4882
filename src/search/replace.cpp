#include "search/replace.h"

#include <algorithm>
#include <functional>

#include "core/edits.h"
#include "core/editor.h"
#include "core/number_reading.h"
#include "core/spelling.h"
#include "core/text_coding.h"
#include "search/find.h"
#include "view/cursor.h"
#include "view/painting.h"

namespace tarpon {
namespace {

std::string lengths(size_t replacement, size_t found) {
    return "The replacement is " + std::to_string(replacement) + (replacement == 1 ? " byte" : " bytes") +
           " and the text found " + std::to_string(found) + ".";
}

// The padding byte typed in hex; nothing when it is no byte.
std::optional<uint8_t> padByte(const std::string& text) {
    if (text.empty() || text.size() > 2 || !std::all_of(text.begin(), text.end(), IsHexDigitChar)) return std::nullopt;
    return static_cast<uint8_t>(ReadNumber("&h0" + text));
}

// Fits the replacement to the found length as the rule says; false when it may not.
bool fitLength(ReplacePlan& plan, const ReplaceForm& form, std::string* problem) {
    const size_t found = plan.pattern.size(), wanted = plan.replacement.size();
    if (wanted == found || form.rule == LengthRule::Resize) return true;
    if (form.rule == LengthRule::Pad && wanted < found) {
        const std::optional<uint8_t> pad = padByte(form.pad);
        if (!pad) {
            *problem = "The padding byte must be one or two hexadecimal digits.";
            return false;
        }
        plan.replacement.resize(found, *pad);
        return true;
    }
    *problem = lengths(wanted, found) +
               (form.rule == LengthRule::Pad ? " Padding cannot make room for a longer replacement: choose "
                                               "\"Insert/delete bytes\" to move what follows."
                                             : " Choose how to fill the difference, or make them the same length.");
    return false;
}

bool matchesAt(const EditorState& s, const std::vector<uint8_t>& pattern, int64_t at) {
    const auto m = static_cast<int64_t>(pattern.size());
    return at >= 0 && at + m <= s.doc.fileSize && std::equal(pattern.begin(), pattern.end(), s.doc.fileData.begin() + at);
}

// The next match after `cursor` in ring order (the cursor's own start last), or -1.
int64_t nextMatch(const EditorState& s, const std::vector<uint8_t>& pattern, int64_t cursor) {
    std::vector<int64_t> after = matchStarts(s, pattern, cursor + 1, 1);
    if (!after.empty()) return after[0];
    std::vector<int64_t> first = matchStarts(s, pattern, 0, 1);
    return first.empty() || first[0] > cursor ? -1 : first[0];
}

SearchRequest searchFor(const std::vector<uint8_t>& pattern) {
    SearchRequest request;
    request.pattern = pattern;
    return request;
}

void showMatch(Editor& ed, int64_t at) {
    if (at < 0) {
        ShowNoResults(ed);
        return;
    }
    ed.s.view.selAnchor = static_cast<int32_t>(at);
    MoveCursor(ed, at);
}

// A form's text as UTF-8 (the Replace window gives Latin-1 unless the table's letters are UTF-8).
std::string formText(const Editor& ed, const std::string& text) {
    return findTextIsUtf8(ed, PatternKind::Table) ? text : utf8FromLatin1Text(text);
}

// Through the table, longest entries first: the text found as Find reads it, the
// replacement only where every character is spelled by an entry.
std::optional<ReplacePlan> planTableReplace(Editor& ed, const ReplaceForm& form, std::string* problem) {
    const Table& table = ed.s.table.model();
    const auto found = buildTablePattern(formText(ed, form.find), "", table, problem);
    if (!found) {
        if (problem->empty()) *problem = "There is nothing to look for.";
        return std::nullopt;
    }
    ReplacePlan plan;
    plan.pattern = found->pattern;
    const std::string replacement = formText(ed, form.replacement);
    size_t bad = 0;
    auto with = ed.s.table.speller().spell(replacement, &bad);
    if (!with && !form.replacement.empty()) {
        *problem = "The replacement cannot be written: " + describeCharacter(characterAt(replacement, bad)) +
                   " begins no entry of the table.";
        return std::nullopt;
    }
    if (with) plan.replacement = std::move(*with);
    if (!fitLength(plan, form, problem)) return std::nullopt;
    return plan;
}

ReplaceAllSplice cancelledSplice() {
    ReplaceAllSplice out;
    out.cancelled = true;
    return out;
}

}  // namespace

std::vector<int64_t> matchStarts(std::span<const uint8_t> doc, const std::vector<uint8_t>& pattern, int64_t from,
                                 size_t most, const Progress& progress) {
    constexpr int64_t kSlab = int64_t{1} << 18;
    std::vector<int64_t> starts;
    if (pattern.empty() || from < 0) return starts;
    const auto m = std::ssize(pattern), n = std::ssize(doc);
    const std::boyer_moore_horspool_searcher searcher(pattern.begin(), pattern.end());
    // A slab at a time: the matches that start in it lie whole before its end.
    for (int64_t at = std::min(from, n); starts.size() < most && at + m <= n;) {
        if (!progress.keepGoing(at, n, kSlab)) return {};
        const auto end = doc.begin() + std::min(n, at + kSlab + m - 1);
        const auto hit = std::search(doc.begin() + at, end, searcher);
        if (hit == end) {
            at = (end - doc.begin()) - m + 1;
            continue;
        }
        starts.push_back(hit - doc.begin());
        at = starts.back() + m;
    }
    return starts;
}

std::vector<int64_t> matchStarts(const EditorState& s, const std::vector<uint8_t>& pattern, int64_t from,
                                 size_t most) {
    return matchStarts(std::span<const uint8_t>(s.doc.fileData.data(), static_cast<size_t>(s.doc.fileSize)), pattern, from,
                       most);
}

ReplaceAllSplice replaceAllSplice(std::span<const uint8_t> doc, const ReplacePlan& plan, int64_t maxSize,
                                  const Progress& progress) {
    ReplaceAllSplice out;
    const std::vector<int64_t> starts = matchStarts(doc, plan.pattern, 0, SIZE_MAX, progress);
    if (progress.stopped()) return cancelledSplice();
    out.matches = std::ssize(starts);
    if (starts.empty()) return out;
    const auto m = std::ssize(plan.pattern), n = out.matches;
    const int64_t grows = n * (std::ssize(plan.replacement) - m);
    out.fits = std::ssize(doc) + grows < maxSize;
    if (!out.fits) return out;
    // The bytes between matches as they are.
    out.from = starts.front();
    out.length = starts.back() + m - out.from;
    out.bytes.reserve(static_cast<size_t>(out.length + grows));
    for (size_t i = 0; i < starts.size(); ++i) {
        if (!progress.keepGoing(out.bytes.size(), out.length + grows, 1 << 18)) return cancelledSplice();
        out.bytes.insert(out.bytes.end(), plan.replacement.begin(), plan.replacement.end());
        const int64_t gapEnd = i + 1 < starts.size() ? starts[i + 1] : out.from + out.length;
        out.bytes.insert(out.bytes.end(), doc.begin() + starts[i] + m, doc.begin() + gapEnd);
    }
    return out;
}

std::optional<ReplacePlan> planReplace(Editor& ed, const ReplaceForm& form, std::string* problem) {
    if (form.kind == PatternKind::Table) return planTableReplace(ed, form, problem);
    const auto found = buildPattern(form.kind, form.find, "", ed.s.table.charTable(), false, problem);
    if (!found) {
        if (problem->empty()) *problem = "There is nothing to look for.";
        return std::nullopt;
    }
    ReplacePlan plan;
    plan.pattern = found->pattern;
    if (!form.replacement.empty()) {
        const auto with = buildPattern(form.kind, form.replacement, "", ed.s.table.charTable(), false, problem);
        if (!with) {
            if (problem->empty()) *problem = "The replacement gives no bytes.";
            return std::nullopt;
        }
        plan.replacement = with->pattern;
    }
    if (!fitLength(plan, form, problem)) return std::nullopt;
    return plan;
}

void ReplaceNext(Editor& ed, const ReplaceForm& form) {
    std::string problem;
    const std::optional<ReplacePlan> plan = planReplace(ed, form, &problem);
    if (!plan) {
        ed.services.messageBox(problem);
        return;
    }
    EditorState& s = ed.s;
    keepSearch(ed, searchFor(plan->pattern), false);  // F3 goes on with it
    int64_t cursor = s.cursor();
    const auto grows = static_cast<int64_t>(plan->replacement.size()) - static_cast<int64_t>(plan->pattern.size());
    if (matchesAt(s, plan->pattern, cursor)) {
        if (int64_t{s.doc.fileSize} + grows >= kMaxFileSize) {
            ed.services.messageBox("The document would reach the size limit; nothing was replaced.");
            return;
        }
        spliceRecorded(s, cursor, static_cast<int64_t>(plan->pattern.size()), plan->replacement);
        cursor += static_cast<int64_t>(plan->replacement.size()) - 1;  // the next match starts after the replacement
    }
    showMatch(ed, nextMatch(s, plan->pattern, cursor));
    RepaintAll(ed);
}

int64_t ReplaceAll(Editor& ed, const ReplaceForm& form) {
    std::string problem;
    const std::optional<ReplacePlan> plan = planReplace(ed, form, &problem);
    if (!plan) {
        ed.services.messageBox(problem);
        return 0;
    }
    EditorState& s = ed.s;
    const std::span<const uint8_t> doc(s.doc.fileData.data(), static_cast<size_t>(s.doc.fileSize));
    ReplaceAllSplice splice;
    if (!runLongWork(ed.services, "Replacing every match...", "replace every match",
                     [&](const Progress& progress) { splice = replaceAllSplice(doc, *plan, kMaxFileSize, progress); }))
        return 0;
    const int64_t n = splice.matches;
    if (n == 0) {
        ShowNoResults(ed);
        return 0;
    }
    if (!splice.fits) {
        ed.services.messageBox("Replacing all " + std::to_string(n) +
                               " would make the document reach the size limit; nothing was replaced.");
        return 0;
    }
    spliceRecorded(s, splice.from, splice.length, splice.bytes);
    keepSearch(ed, searchFor(plan->pattern), false);
    s.view.selAnchor = static_cast<int32_t>(splice.from);
    MoveCursor(ed, splice.from);
    ed.services.messageBox("Replaced " + std::to_string(n) + (n == 1 ? " match." : " matches."));
    return n;
}

}  // namespace tarpon
