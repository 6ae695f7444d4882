#pragma once
// Text files in the encodings character tables come in, converted to and from
// UTF-8 through the C library's iconv.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tarpon {

enum class TextEncoding {
    Utf8,
    Utf16Le,
    Utf16Be,
    ShiftJis,     // code page 932
    Windows1252,
    Latin1,       // ISO 8859-1: every byte a character
};
inline constexpr int kTextEncodings = 6;

// "UTF-8", "UTF-16 LE", "Shift-JIS", …: for messages and choices.
std::string_view encodingName(TextEncoding encoding);
// The encoding's byte-order mark ("" for none).
std::string_view byteOrderMark(TextEncoding encoding);
// Bytes in a code unit: 2 for UTF-16, else 1.
size_t codeUnitSize(TextEncoding encoding);

// UTF-8 text from text in `encoding`; nothing when a byte sequence is not valid in it.
std::optional<std::string> decodeText(std::string_view bytes, TextEncoding encoding);
// Text in `encoding` from UTF-8; nothing when a character has no bytes there, and
// then `refused` holds that character.
std::optional<std::string> encodeText(std::string_view utf8, TextEncoding encoding, char32_t* refused = nullptr);

struct DetectedEncoding {
    TextEncoding encoding = TextEncoding::Utf8;
    bool byteOrderMark = false;  // the file starts with the encoding's mark
    bool ascii = false;          // no byte above 0x7F: every 8-bit encoding reads the same
};
// A byte-order mark; else valid UTF-8; else a clean Shift-JIS reading that has
// two-byte characters; else Windows-1252 when it reads cleanly, else Latin-1.
// `decoded`, when given, receives the bytes as UTF-8 where finding the encoding
// converted them anyway (Shift-JIS and the 8-bit encodings), else stays empty.
DetectedEncoding detectEncoding(std::string_view bytes, std::string* decoded = nullptr);

}  // namespace tarpon
