#include "core/plain_number.h"

namespace tarpon {

std::optional<int64_t> readPlainNumber(std::string_view text) {
    constexpr int64_t kLimit = int64_t{1} << 48;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) text.remove_prefix(1);
    int radix = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) text.remove_prefix(2), radix = 16;
    else if (text.starts_with("$")) text.remove_prefix(1), radix = 16;
    if (text.empty()) return std::nullopt;
    int64_t value = 0;
    for (const char c : text) {
        int digit = 99;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit >= radix) return std::nullopt;
        value = value * radix + digit;
        if (value > kLimit) return std::nullopt;
    }
    return negative ? -value : value;
}

}  // namespace tarpon
