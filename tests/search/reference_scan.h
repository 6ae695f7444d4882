#pragma once
// The straight scan: every start in ring order, byte by byte, with a modulo per
// byte. Slow and obviously right; the fast searchers are checked against it.
#include <cstdint>
#include <vector>

namespace tarpon::test {

// Whether the relative pattern matches at start s (bytes round the end of the ring); w: the wild card or -1.
inline bool relativeMatchAt(const std::vector<uint8_t>& doc, const std::vector<uint8_t>& pat, int32_t w, size_t s) {
    const int d = int{doc[s]} - int{pat[0]};
    for (size_t k = 0; k < pat.size(); ++k)
        if (pat[k] != w && int{doc[(s + k) % doc.size()]} - int{pat[k]} != d) return false;
    return true;
}

// `backward`: the starts before the cursor first, going down and round.
inline int64_t referenceFind(const uint8_t* doc, int64_t size, const uint8_t* pattern, int64_t length,
                             int32_t wildcard, int64_t cursor, bool relative, bool backward = false) {
    if (size <= 0) return -1;
    const int64_t tries = relative ? size - 1 : size;
    for (int64_t t = 1; t <= tries; ++t) {
        const int64_t s = backward ? ((cursor - t) % size + size) % size : (cursor + t) % size;
        const int d = int{doc[s]} - int{pattern[0]};
        bool match = true;
        for (int64_t k = 0; k < length && match; ++k) {
            const int b = doc[(s + k) % size];
            if (pattern[k] == wildcard) continue;
            match = relative ? b - int{pattern[k]} == d : b == pattern[k];
        }
        if (match) return s;
    }
    return -1;
}

}  // namespace tarpon::test
