// libFuzzer target for number reading: any text gives a number (never NaN), the
// radix prefixes give whole non-negative numbers, blanks anywhere change nothing,
// and a number written out in each radix reads back as itself.
#include <fuzzer/FuzzedDataProvider.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/number_reading.h"

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
    return 0;
}
