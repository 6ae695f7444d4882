// libFuzzer target for relative search through a custom alphabet and Find All: the
// sequence, the search text, the wild card and the document all come from the input.
// A sequence or text is taken, or refused with a message; the hits are exactly the
// starts the straight scan accepts (at most kMaxHits); every preview is UTF-8 and
// every table entry a hit gives lies in 0..255.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/text_coding.h"
#include "search/alphabet.h"
#include "search/find.h"
#include "search/find_all.h"
#include "search/reference_scan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarpon;
    FuzzedDataProvider in(data, size);
    const std::string sequence = in.ConsumeRandomLengthString(400);
    const std::string text = in.ConsumeRandomLengthString(40);
    const std::string wildcard = in.ConsumeRandomLengthString(5);
    const std::vector<uint8_t> doc = in.ConsumeRemainingBytes<uint8_t>();  // exact size: reads past it are caught
    std::string problem;
    const auto alphabet = customAlphabet(sequence, &problem);
    if (alphabet.has_value() == !problem.empty()) std::abort();
    if (!alphabet) return 0;
    problem.clear();
    const auto request = buildAlphabetPattern(*alphabet, text, wildcard, &problem);
    if (!request) {
        if (problem.empty() != text.empty()) std::abort();
        return 0;
    }
    const FindForm form{PatternKind::Ascii, text, wildcard, true, *alphabet};
    const HitList list = collectHits(form, *request, doc.data(), static_cast<int64_t>(doc.size()));
    std::vector<int64_t> expected;
    for (size_t s = 0; s < doc.size() && expected.size() <= kMaxHits; ++s)
        if (test::relativeMatchAt(doc, request->pattern, request->wildcard, s)) expected.push_back(static_cast<int64_t>(s));
    if (list.more != (expected.size() > kMaxHits)) std::abort();
    expected.resize(std::min(expected.size(), kMaxHits));
    if (list.hits.size() != expected.size()) std::abort();
    for (size_t i = 0; i < expected.size(); ++i) {
        const RelativeHit& hit = list.hits[i];
        if (hit.offset != expected[i] || !isValidUtf8(hit.preview)) std::abort();
        for (const TableFillEntry& entry : tableFromHit(list, hit, true))
            if (entry.index < 0 || entry.index > 255 || entry.letters.empty()) std::abort();
    }
    return 0;
}
