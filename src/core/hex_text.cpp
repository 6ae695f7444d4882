#include "core/hex_text.h"

namespace tarpon {

std::string hexPairs(std::span<const uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size() * 3);
    for (const uint8_t b : bytes) {
        if (!text.empty()) text += ' ';
        appendHexByte(text, b);
    }
    return text;
}

std::string rawBytesText(std::span<const uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size() * 5);
    for (const uint8_t b : bytes) appendRawByte(text, b);
    return text;
}

}  // namespace tarpon
