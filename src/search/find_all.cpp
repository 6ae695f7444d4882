#include "search/find_all.h"

#include <algorithm>
#include <cstdio>

#include "core/hex_text.h"
#include "core/editor.h"
#include "search/find.h"
#include "search/ring_search.h"
#include "view/cursor.h"
#include "view/painting.h"

namespace tarpon {
namespace {

constexpr std::string_view kNoLetter = "\xC2\xB7";  // ·

bool isAscii(const HitList& list) { return list.alphabet.kind == AlphabetKind::Ascii; }

// The ASCII alphabet's first letter for this list: capitals only when the text had no small letters.
char asciiFirst(const HitList& list) { return list.upper && !list.lower ? 'A' : 'a'; }

// The letter with this code in the list's alphabet, or nothing.
std::string_view letterOf(const HitList& list, int code, char& ascii) {
    if (isAscii(list)) {
        if (!((code >= 'a' && code <= 'z') || (code >= 'A' && code <= 'Z'))) return {};
        ascii = static_cast<char>(code);
        return {&ascii, 1};
    }
    if (code < 0 || code >= static_cast<int>(list.alphabet.letters.size())) return {};
    return list.alphabet.letters[static_cast<size_t>(code)];
}

void addRun(TableFill& fill, int base, char first) {
    for (int j = 0; j < 26; ++j)
        if (base + j >= 0 && base + j <= 255) fill.push_back({base + j, std::string(1, static_cast<char>(first + j))});
}

}  // namespace

int impliedBase(const HitList& list, const RelativeHit& hit) {
    return hit.shift + (isAscii(list) ? asciiFirst(list) : 0);
}

std::string baseText(const HitList& list, const RelativeHit& hit) {
    const int base = impliedBase(list, hit);
    std::string digits = base < 0 ? "-" : "";
    appendHexByte(digits, static_cast<uint8_t>(std::abs(base)));
    digits += '=';
    const std::string first = isAscii(list)                 ? std::string(1, asciiFirst(list))
                              : list.alphabet.letters.empty() ? std::string()
                                                              : list.alphabet.letters.front();
    return digits + first;
}

std::string hitPreview(const HitList& list, int shift, const uint8_t* data, int64_t size, int64_t offset) {
    const int64_t from = std::max<int64_t>(0, offset - kPreviewBefore);
    const int64_t to = std::min(size, offset + kPreviewFrom);
    std::string text;
    for (int64_t i = from; i < to; ++i) {
        char ascii = 0;
        const std::string_view letter = letterOf(list, int{data[i]} - shift, ascii);
        text += letter.empty() ? kNoLetter : letter;
    }
    return text;
}

TableFill tableFromHit(const HitList& list, const RelativeHit& hit, bool bothCases) {
    TableFill fill;
    if (isAscii(list)) {
        if (list.lower || !list.upper || bothCases) addRun(fill, hit.shift + 'a', 'a');
        if (list.upper || bothCases) addRun(fill, hit.shift + 'A', 'A');
        std::sort(fill.begin(), fill.end(), [](const auto& a, const auto& b) { return a.index < b.index; });
        return fill;
    }
    for (size_t code = 0; code < list.alphabet.letters.size(); ++code) {
        const int64_t byte = hit.shift + static_cast<int64_t>(code);
        if (byte >= 0 && byte <= 255) fill.push_back({static_cast<int>(byte), list.alphabet.letters[code]});
    }
    return fill;
}

HitList collectHits(const FindForm& form, const SearchRequest& request, const uint8_t* data, int64_t size,
                    const Progress& progress) {
    HitList list;
    list.alphabet = form.alphabet;
    if (isAscii(list))
        for (const char c : form.text) {
            list.upper = list.upper || (c >= 'A' && c <= 'Z');
            list.lower = list.lower || (c >= 'a' && c <= 'z');
        }
    const auto length = static_cast<int64_t>(request.pattern.size());
    const RingQuery q{data, size, request.pattern.data(), length, request.wildcard, 0, true};
    std::vector<int64_t> starts = findAllInRing(q, kMaxHits + 1, bestIsa(), progress);
    if (progress.stopped()) {
        list.cancelled = true;
        return list;
    }
    list.more = starts.size() > kMaxHits;
    starts.resize(std::min(starts.size(), kMaxHits));
    for (const int64_t s : starts) {
        const int shift = int{data[s]} - int{request.pattern[0]};
        list.hits.push_back({s, shift, hitPreview(list, shift, data, size, s)});
    }
    return list;
}

std::optional<HitList> cmdFindAll_Click(Editor& ed, const FindForm& form) {
    if (!form.relative || form.kind != PatternKind::Ascii) return std::nullopt;
    std::string problem;
    auto request = requestFor(ed, form, &problem);
    if (!request) {
        if (!problem.empty()) ed.services.messageBox(problem);
        return std::nullopt;
    }
    const int64_t size = std::clamp<int64_t>(ed.s.doc.fileSize, 0, static_cast<int64_t>(ed.s.doc.fileData.size()));
    const uint8_t* data = ed.s.doc.fileData.data();
    HitList list;
    if (!runLongWork(ed.services, "Finding every hit...", "find every hit",
                     [&](const Progress& progress) { list = collectHits(form, *request, data, size, progress); }))
        return std::nullopt;
    keepSearch(ed, std::move(*request), true);
    if (list.hits.empty()) {
        ShowNoResults(ed);
        return std::nullopt;
    }
    if (list.more) ed.services.messageBox("More than 1,000 hits: the list shows the first 1,000.");
    return list;
}

void GoToHit(Editor& ed, int64_t offset) {
    if (ed.s.doc.fileSize <= 0) return;
    MoveCursor(ed, std::clamp<int64_t>(offset, 0, ed.s.doc.fileSize - 1));
    RepaintAll(ed);
    PlaceMarks(ed);
}

}  // namespace tarpon
