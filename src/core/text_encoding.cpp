#include "core/text_encoding.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <memory>
#include <optional>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

// Writes the UTF-8 of one code point at `out`; false for a value that is no Unicode
// scalar value.
bool putUtf8(uint32_t c, char*& out) {
    if (c < 0x80) {
        *out++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *out++ = static_cast<char>(0xC0 | c >> 6);
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        if (c >= 0xD800 && c <= 0xDFFF) return false;
        *out++ = static_cast<char>(0xE0 | c >> 12);
        *out++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c <= 0x10FFFF) {
        *out++ = static_cast<char>(0xF0 | c >> 18);
        *out++ = static_cast<char>(0x80 | (c >> 12 & 0x3F));
        *out++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        return false;
    }
    return true;
}

// Writes the UTF-8 of `count` code points to `out` (room for four bytes each is
// there); returns the bytes written, or nothing for a value that is no Unicode
// scalar value (the C library never gives one). ASCII letters, the bulk of a table
// file, are narrowed eight at a time up to the next letter that is not ASCII.
std::optional<size_t> utf8FromCodePoints(const wchar_t* codes, size_t count, char* out) {
    static_assert(sizeof(wchar_t) == 4, "wide characters are UTF-32");
    char* const start = out;
    size_t i = 0;
#ifdef __SSE2__
    const __m128i limit = _mm_set1_epi32(0x80), none = _mm_set1_epi32(-1);
    while (i + 8 <= count) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(codes + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(codes + i + 4));
        const __m128i asciiA = _mm_and_si128(_mm_cmplt_epi32(a, limit), _mm_cmpgt_epi32(a, none));
        const __m128i asciiB = _mm_and_si128(_mm_cmplt_epi32(b, limit), _mm_cmpgt_epi32(b, none));
        const int ascii = _mm_movemask_ps(_mm_castsi128_ps(asciiA)) | _mm_movemask_ps(_mm_castsi128_ps(asciiB)) << 4;
        // All eight narrowed; only those before the first other letter are kept.
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(_mm_packs_epi32(a, b), _mm_setzero_si128()));
        if (ascii == 0xFF) {
            out += 8;
            i += 8;
            continue;
        }
        const auto kept = static_cast<size_t>(std::countr_zero(static_cast<unsigned>(~ascii)));
        out += kept;
        i += kept;
        if (!putUtf8(static_cast<uint32_t>(codes[i]), out)) return std::nullopt;
        ++i;
    }
#endif
    for (; i < count; ++i)
        if (!putUtf8(static_cast<uint32_t>(codes[i]), out)) return std::nullopt;
    return static_cast<size_t>(out - start);
}

// An iconv conversion, open for its owner's life.
class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (isOpen()) iconv_close(cd_);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    bool isOpen() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    // Starts a new text.
    void restart() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }
    // As iconv: a null source ends the text.
    size_t operator()(char** src, size_t* srcLeft, char** dst, size_t* dstLeft) {
        return iconv(cd_, src, srcLeft, dst, dstLeft);
    }

private:
    iconv_t cd_;
};

// Converts UTF-8 into an encoding.
class Encoder {
public:
    explicit Encoder(const char* encoding) : iconv_(encoding, "UTF-8") {}

    // Appends the converted text to `out`; false and the offset of the first byte that
    // could not be converted when one could not. The text goes straight into `out`,
    // with room first for one and a half bytes a byte, then for the most any of our
    // encodings takes, so that a text takes one or two calls: iconv converts again
    // whatever did not fit the room it was given, which with a small buffer doubled
    // the work.
    bool convert(std::string_view in, std::string& out, size_t* failedAt) {
        if (!iconv_.isOpen()) return false;
        iconv_.restart();
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        size_t used = out.size();
        for (bool again = false;; again = true) {
            out.resize(used + (again ? 3 * srcLeft : srcLeft + srcLeft / 2) + 16);
            char* dst = out.data() + used;
            size_t dstLeft = out.size() - used;
            const size_t done = iconv_(srcLeft ? &src : nullptr, &srcLeft, &dst, &dstLeft);
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
    IconvHandle iconv_;
};

// Converts an encoding into UTF-8 through the C library's wide characters, a block
// at a time: iconv makes its own UTF-8 from them in a second step of its own, which
// takes longer than the first, and converting into wide characters stops cleanly
// where a block is full.
class Decoder {
public:
    explicit Decoder(const char* encoding) : iconv_("WCHAR_T", encoding) {}

    // As Encoder::convert.
    bool convert(std::string_view in, std::string& out, size_t* failedAt) {
        if (!iconv_.isOpen()) return false;
        iconv_.restart();
        out.reserve(out.size() + in.size() + in.size() / 2 + 16);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        for (;;) {
            const size_t blockAt = static_cast<size_t>(src - in.data());
            char* dst = reinterpret_cast<char*>(wide_.data());
            size_t dstLeft = sizeof(wide_);
            const size_t done = iconv_(srcLeft ? &src : nullptr, &srcLeft, &dst, &dstLeft);
            const size_t count = (sizeof(wide_) - dstLeft) / sizeof(wchar_t);
            const std::optional<size_t> bytes = utf8FromCodePoints(wide_.data(), count, utf8_.data());
            if (!bytes) {
                *failedAt = blockAt;
                return false;
            }
            out.append(utf8_.data(), *bytes);
            if (done != static_cast<size_t>(-1) && srcLeft == 0) return true;
            if (done == static_cast<size_t>(-1) && errno != E2BIG) {
                *failedAt = static_cast<size_t>(src - in.data());
                return false;
            }
        }
    }

private:
    static constexpr size_t kBlock = 4096;
    IconvHandle iconv_;
    std::array<wchar_t, kBlock> wide_;
    std::array<char, 4 * kBlock> utf8_;
};

// One open conversion per direction and encoding, kept for the thread's life: a
// table whose file does not convert whole converts line by line, and so does saving.
template <typename Conversion>
Conversion& conversion(TextEncoding encoding) {
    thread_local std::array<std::unique_ptr<Conversion>, kTextEncodings> cache;
    auto& slot = cache[static_cast<size_t>(encoding)];
    if (!slot) slot = std::make_unique<Conversion>(iconvName(encoding));
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
    if (!conversion<Decoder>(encoding).convert(bytes, out, &failedAt)) return std::nullopt;
    return out;
}

std::optional<std::string> encodeText(std::string_view utf8, TextEncoding encoding, char32_t* refused) {
    if (!isValidUtf8(utf8)) return std::nullopt;
    if (encoding == TextEncoding::Utf8 || (codeUnitSize(encoding) == 1 && !hasByteAbove7F(utf8)))
        return std::string(utf8);
    std::string out;
    size_t failedAt = 0;
    if (conversion<Encoder>(encoding).convert(utf8, out, &failedAt)) return out;
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
