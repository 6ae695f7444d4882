// libFuzzer target for number reading. The dialogs' reader: any text gives a
// number (never NaN), the radix prefixes give whole non-negative numbers, blanks
// anywhere change nothing, and a number written out in each radix reads back as
// itself. The command line's and scripts' plain reader: a value only within
// ±2^48, nothing for a text with a blank or a second sign, "-" negates, and a
// number written in decimal, after 0x or after $ reads back as itself.
#include <fuzzer/FuzzedDataProvider.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

#include "core/number_reading.h"
#include "core/plain_number.h"

namespace {

void plainNumbers(uint64_t value, const std::string& text) {
    using tarpon::readPlainNumber;
    constexpr int64_t kLimit = int64_t{1} << 48;
    const std::optional<int64_t> v = readPlainNumber(text);
    if (v && (*v > kLimit || *v < -kLimit)) std::abort();
    if (v && text.find(' ') != std::string::npos) std::abort();
    if (!text.starts_with('-')) {
        const std::optional<int64_t> negated = readPlainNumber("-" + text);
        if (negated.has_value() != v.has_value() || (v && *negated != -*v)) std::abort();
    }
    if (readPlainNumber("--" + text) || readPlainNumber(text + " ")) std::abort();
    const int64_t n = static_cast<int64_t>(value % (uint64_t{kLimit} + 1));
    char buf[40];
    for (const auto& [prefix, base] : {std::pair{"", 10}, {"0x", 16}, {"0X", 16}, {"$", 16}, {"-", 10}, {"-$", 16}}) {
        const std::string written = prefix + std::string(buf, std::to_chars(buf, buf + sizeof buf, n, base).ptr);
        if (readPlainNumber(written) != (prefix[0] == '-' ? -n : n)) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using tarpon::ReadNumber;
    FuzzedDataProvider in(data, size);
    const uint64_t value = in.ConsumeIntegral<uint64_t>() >> in.ConsumeIntegralInRange(0, 63);
    const std::string text = in.ConsumeRemainingBytesAsString();

    for (const std::string prefix : {"", "&h", "&H", "&o", "&O", "0", "-", "&"}) {
        const double v = ReadNumber(prefix + text);
        if (std::isnan(v)) std::abort();
        if (prefix.size() == 2 && !(v >= 0 && (std::isinf(v) || v == std::floor(v)))) std::abort();
        std::string spaced;  // a blank after each character
        for (const char c : prefix + text) spaced += {c, ' '};
        if (ReadNumber(spaced) != v) std::abort();  // never NaN, so != compares
    }

    // Written out and read back; exact as long as the double can hold it.
    const auto written = [value](const std::string& prefix, int base) {
        char buf[70];
        return ReadNumber(prefix + std::string(buf, std::to_chars(buf, buf + sizeof buf, value, base).ptr));
    };
    const double exact = static_cast<double>(value);
    if (value < (uint64_t{1} << 53) && (written("&h", 16) != exact || written("&O", 8) != exact)) std::abort();
    if (written("", 10) != exact || written("-", 10) != -exact) std::abort();  // decimal rounds like the compiler

    plainNumbers(value, text);
    return 0;
}
