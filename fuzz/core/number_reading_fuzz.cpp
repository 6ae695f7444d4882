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

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

std::string withBlankAfterEach(const std::string& text) {
    std::string out;
    for (char c : text) out += {c, ' '};
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using tarpon::ReadNumber;
    FuzzedDataProvider in(data, size);
    const uint64_t value = in.ConsumeIntegral<uint64_t>() >> in.ConsumeIntegralInRange(0, 63);
    const std::string text = in.ConsumeRemainingBytesAsString();

    for (const std::string prefix : {"", "&h", "&H", "&o", "&O", "0", "-", "&"}) {
        const double v = ReadNumber(prefix + text);
        check(!std::isnan(v));
        if (prefix.size() == 2) check(v >= 0 && (std::isinf(v) || v == std::floor(v)));
        check(v == ReadNumber(withBlankAfterEach(prefix + text)));  // never NaN, so == compares
    }

    // Written out and read back; exact as long as the double can hold it.
    const auto written = [value](const std::string& prefix, int base) {
        char buf[70];
        return ReadNumber(prefix + std::string(buf, std::to_chars(buf, buf + sizeof buf, value, base).ptr));
    };
    const double exact = static_cast<double>(value);
    if (value < (uint64_t{1} << 53)) check(written("&h", 16) == exact && written("&O", 8) == exact);
    check(written("", 10) == exact && written("-", 10) == -exact);  // decimal rounds like the compiler
    return 0;
}
