// libFuzzer target for number reading: any text gives a number (never NaN), the
// radix prefixes give whole non-negative numbers, blanks anywhere change nothing,
// and a number written out in each radix reads back as itself.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/number_reading.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

bool sameNumber(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

std::string withBlankAfterEach(const std::string& text) {
    std::string out;
    for (char c : text) {
        out.push_back(c);
        out.push_back(' ');
    }
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
        check(sameNumber(v, ReadNumber(withBlankAfterEach(prefix + text))));
    }

    // Written out and read back; exact as long as the double can hold it.
    char buf[40];
    const double exact = static_cast<double>(value);
    const bool representable = value < (uint64_t{1} << 53);
    std::snprintf(buf, sizeof buf, "&h%llx", static_cast<unsigned long long>(value));
    if (representable) check(ReadNumber(buf) == exact);
    std::snprintf(buf, sizeof buf, "&O%llo", static_cast<unsigned long long>(value));
    if (representable) check(ReadNumber(buf) == exact);
    std::snprintf(buf, sizeof buf, "%llu", static_cast<unsigned long long>(value));
    check(ReadNumber(buf) == exact);  // decimal reading rounds like the compiler does
    std::snprintf(buf, sizeof buf, "-%llu", static_cast<unsigned long long>(value));
    check(ReadNumber(buf) == -exact);

    for (int code = -1; code <= 256; ++code) {
        const bool digit = code >= '0' && code <= '9';
        const bool hexLetter = (code >= 'A' && code <= 'F') || (code >= 'a' && code <= 'f');
        check(tarpon::IsNotDigit(code) == !digit && tarpon::IsNotHexLetter(code) == !hexLetter);
    }
    return 0;
}
