#include "view/jump.h"

#include <limits>

#include "core/number_reading.h"
#include "core/rounding.h"

namespace tarpon {

const char* jumpPrefix(Radix radix) {
    switch (radix) {
    case Radix::Dec: return "0";
    case Radix::Oct: return "&o0";
    case Radix::Hex: break;
    }
    return "&h0";
}

std::string filterForRadix(const std::string& text, Radix radix) {
    if (radix == Radix::Hex) return text;
    std::string kept;
    for (char c : text)
        if ((c >= '0' && c <= '9') || c == ' ') kept.push_back(c);
    return kept;
}

std::optional<int64_t> jumpTarget(const std::string& text, Radix radix, bool relative, int64_t cursor) {
    std::string s = text.empty() ? "0" : text;
    bool negative = false;
    if (s[0] == '-') {
        negative = true;
        s.erase(0, 1);
    }
    // "0x200" and "$200" are hexadecimal whatever the radix buttons say.
    if (s.rfind("0x", 0) == 0 || s.rfind("0X", 0) == 0) s.erase(0, 2), radix = Radix::Hex;
    else if (s.rfind("$", 0) == 0) s.erase(0, 1), radix = Radix::Hex;
    const std::optional<int32_t> value = roundToInt32(ReadNumber(jumpPrefix(radix) + s));
    if (!value) return std::nullopt;
    if (!relative) return *value;
    const int64_t target = negative ? cursor - *value : cursor + *value;
    if (target > std::numeric_limits<int32_t>::max()) return std::nullopt;
    return target;
}

}  // namespace tarpon
