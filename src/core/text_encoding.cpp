#include "core/text_encoding.h"

#include <iconv.h>

#include <array>
#include <memory>
#include <cerrno>

#include "core/text_coding.h"

namespace tarpon {
namespace {

const char* iconvName(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf8: return "UTF-8";
    case TextEncoding::Utf16Le: return "UTF-16LE";
    case TextEncoding::Utf16Be: return "UTF-16BE";
    case TextEncoding::ShiftJis: return "CP932";
    case TextEncoding::Windows1252: return "CP1252";
    case TextEncoding::Latin1: return "ISO-8859-1";
    }
    return "UTF-8";
}

// One open converter per direction and encoding, kept for the thread's life: a
// table whose file does not convert whole converts line by line, and so does saving.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Appends the converted text to `out`; false and the offset of the first byte that
    // could not be converted when one could not. The text goes straight into `out`,
    // with room first for one and a half bytes a byte (ASCII and two-byte characters
    // to UTF-8, UTF-16 to UTF-8), then for the most any of our encodings takes, so
    // that a file takes one or two calls: iconv converts again whatever did not fit
    // the room it was given, which with a small buffer doubled the work.
    bool convert(std::string_view in, std::string& out, size_t* failedAt) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) return false;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        size_t used = out.size();
        for (bool again = false;; again = true) {
            out.resize(used + (again ? 3 * srcLeft : srcLeft + srcLeft / 2) + 16);
            char* dst = out.data() + used;
            size_t dstLeft = out.size() - used;
            const size_t done = iconv(cd_, srcLeft ? &src : nullptr, &srcLeft, &dst, &dstLeft);
            used = static_cast<size_t>(dst - out.data());
            out.resize(used);
            if (done != static_cast<size_t>(-1) && srcLeft == 0) return true;
            if (done == static_cast<size_t>(-1) && errno != E2BIG) {
                *failedAt = static_cast<size_t>(src - in.data());
                return false;
            }
        }
    }

private:
    iconv_t cd_;
};

Converter& converter(TextEncoding encoding, bool toUtf8) {
    thread_local std::array<std::unique_ptr<Converter>, 2 * kTextEncodings> cache;
    auto& slot = cache[static_cast<size_t>(encoding) * 2 + (toUtf8 ? 1 : 0)];
    if (!slot)
        slot = toUtf8 ? std::make_unique<Converter>("UTF-8", iconvName(encoding))
                      : std::make_unique<Converter>(iconvName(encoding), "UTF-8");
    return *slot;
}

// Any byte 0x81..0x9F or 0xE0..0xFC: the first byte of a two-byte Shift-JIS character.
bool hasShiftJisLeadByte(std::string_view bytes) {
    for (const char c : bytes) {
        const auto b = static_cast<uint8_t>(c);
        if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) return true;
    }
    return false;
}

}  // namespace

std::string_view encodingName(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf8: return "UTF-8";
    case TextEncoding::Utf16Le: return "UTF-16 LE";
    case TextEncoding::Utf16Be: return "UTF-16 BE";
    case TextEncoding::ShiftJis: return "Shift-JIS";
    case TextEncoding::Windows1252: return "Windows-1252";
    case TextEncoding::Latin1: return "Latin-1";
    }
    return {};
}

std::string_view byteOrderMark(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf8: return "\xEF\xBB\xBF";
    case TextEncoding::Utf16Le: return "\xFF\xFE";
    case TextEncoding::Utf16Be: return "\xFE\xFF";
    default: return {};
    }
}

size_t codeUnitSize(TextEncoding encoding) {
    return encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be ? 2 : 1;
}

std::optional<std::string> decodeText(std::string_view bytes, TextEncoding encoding) {
    if (encoding == TextEncoding::Utf8 || !hasByteAbove7F(bytes)) {
        if (codeUnitSize(encoding) == 1) {
            if (encoding == TextEncoding::Utf8 && !isValidUtf8(bytes)) return std::nullopt;
            return std::string(bytes);
        }
    }
    std::string out;
    size_t failedAt = 0;
    if (!converter(encoding, true).convert(bytes, out, &failedAt)) return std::nullopt;
    return out;
}

std::optional<std::string> encodeText(std::string_view utf8, TextEncoding encoding, char32_t* refused) {
    if (!isValidUtf8(utf8)) return std::nullopt;
    if (encoding == TextEncoding::Utf8 || (codeUnitSize(encoding) == 1 && !hasByteAbove7F(utf8)))
        return std::string(utf8);
    std::string out;
    size_t failedAt = 0;
    if (converter(encoding, false).convert(utf8, out, &failedAt)) return out;
    if (refused) {
        const size_t length = utf8SequenceLength(utf8, failedAt);
        *refused = length ? utf8CodePoint(utf8, failedAt, length) : 0xFFFD;
    }
    return std::nullopt;
}

DetectedEncoding detectEncoding(std::string_view bytes, std::string* decoded) {
    for (const TextEncoding withMark : {TextEncoding::Utf8, TextEncoding::Utf16Le, TextEncoding::Utf16Be})
        if (bytes.starts_with(byteOrderMark(withMark))) return {withMark, true, false};
    if (!hasByteAbove7F(bytes)) return {TextEncoding::Utf8, false, true};
    if (isValidUtf8(bytes)) return {TextEncoding::Utf8, false, false};
    std::optional<std::string> text;
    DetectedEncoding found{TextEncoding::Latin1};
    if (hasShiftJisLeadByte(bytes) && (text = decodeText(bytes, TextEncoding::ShiftJis))) found = {TextEncoding::ShiftJis};
    else if ((text = decodeText(bytes, TextEncoding::Windows1252))) found = {TextEncoding::Windows1252};
    else text = decodeText(bytes, TextEncoding::Latin1);
    if (decoded && text) *decoded = std::move(*text);
    return found;
}

}  // namespace tarpon
