#include "core/number_reading.h"

#include <charconv>
#include <cmath>
#include <string>

namespace tarpon {
namespace {

std::string withoutBlanks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n') out.push_back(c);
    return out;
}

int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 99;
}

double readRadix(std::string_view digits, int radix) {
    double value = 0;
    for (char c : digits) {
        const int d = digitValue(c);
        if (d >= radix) break;
        value = value * radix + d;
    }
    return value;
}

bool isDec(char c) { return c >= '0' && c <= '9'; }

// Longest prefix of the form [+-]digits[.digits][(E|e)[+-]digits]; 0 without digits.
double readDecimal(std::string_view s) {
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const size_t mantissaStart = i;
    while (i < s.size() && isDec(s[i])) ++i;
    size_t digits = i - mantissaStart;
    if (i < s.size() && s[i] == '.') {
        const size_t fracStart = ++i;
        while (i < s.size() && isDec(s[i])) ++i;
        digits += i - fracStart;
    }
    if (digits == 0) return 0;
    size_t end = i;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        const size_t expStart = j;
        while (j < s.size() && isDec(s[j])) ++j;
        if (j > expStart) end = j;
    }
    std::string number(s.substr(0, end));
    if (number[0] == '+') number.erase(0, 1);
    if (number.back() == '.') number.pop_back();
    double value = 0;
    // from_chars is locale-independent; overflow leaves value unset, so map it to infinity.
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        const bool negative = number[0] == '-';
        const size_t e = number.find_first_of("eE");
        if (e != std::string::npos && e + 1 < number.size() && number[e + 1] == '-') return 0;
        return negative ? -HUGE_VAL : HUGE_VAL;
    }
    return value;
}

}  // namespace

double ReadNumber(std::string_view text) {
    const std::string t = withoutBlanks(text);
    if (t.size() >= 2 && t[0] == '&' && (t[1] == 'h' || t[1] == 'H'))
        return readRadix(std::string_view(t).substr(2), 16);
    if (t.size() >= 2 && t[0] == '&' && (t[1] == 'o' || t[1] == 'O'))
        return readRadix(std::string_view(t).substr(2), 8);
    return readDecimal(t);
}

bool IsNotDigit(int code) { return code < '0' || code > '9'; }

bool IsNotHexLetter(int code) {
    return (code < 'A' || code > 'F') && (code < 'a' || code > 'f');
}

}  // namespace tarpon
