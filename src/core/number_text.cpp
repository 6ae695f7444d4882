#include "core/number_text.h"

#include <cstdio>

namespace tarpon {

std::string PadNumber(int32_t value, bool hexMode, int width) {
    char buf[16];
    if (hexMode) std::snprintf(buf, sizeof buf, "%X", static_cast<uint32_t>(value));
    else std::snprintf(buf, sizeof buf, "%d", value);
    std::string text(buf);
    if (static_cast<int>(text.size()) < width) text.insert(0, width - text.size(), '0');
    return text;
}

std::string offsetText(int64_t value, bool hexMode) {
    char buf[24];
    std::snprintf(buf, sizeof buf, hexMode ? "%llX" : "%lld", static_cast<long long>(value));
    return buf;
}

}  // namespace tarpon
