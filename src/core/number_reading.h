#pragma once
// Turning typed or stored text into a number. The caller picks the radix with a
// prefix ("&h0", "&o0", "0", ...); reading never fails and yields 0 without digits.
#include <string_view>

namespace tarpon {

double ReadNumber(std::string_view text);

bool IsNotDigit(int code);
bool IsNotHexLetter(int code);

inline bool IsHexDigitChar(int code) { return !IsNotDigit(code) || !IsNotHexLetter(code); }

}  // namespace tarpon
