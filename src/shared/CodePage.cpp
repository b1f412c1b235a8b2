#include "shared/CodePage.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <iconv.h>
#include <memory>

namespace {

struct IconvCloser {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

IconvHandle openConverter(const char* to, const char* from, ConverterOpener open) {
    void* cd = open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw MissingCp932Converter(to, from);
    }
    return IconvHandle(cd);
}

// Runs iconv over the whole input. An invalid or unconvertible sequence is
// replaced and skipped: `skip` bytes of input, `replacement` in the output.
std::string convert(const char* to, const char* from, std::string_view in,
                    std::string_view replacement, size_t skip, ConverterOpener open) {
    const IconvHandle handle = openConverter(to, from, open);
    const auto cd = static_cast<iconv_t>(handle.get());
    std::string out;
    out.reserve(in.size() * 2 + 8);
    char* inPtr = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
            // EILSEQ or EINVAL (truncated sequence at the end): replace, move on.
            out.append(replacement);
            size_t n = skip < inLeft ? skip : inLeft;
            if (from[0] == 'U') {
                // Skip a whole UTF-8 sequence, not a single byte of it.
                n = 1;
                while (n < inLeft && (static_cast<unsigned char>(inPtr[n]) & 0xC0) == 0x80) {
                    ++n;
                }
            }
            inPtr += n;
            inLeft -= n;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

constexpr bool isLeadByte(unsigned b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
constexpr bool isTrailByte(unsigned b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}
constexpr bool isHalfWidthKatakana(unsigned b) {
    return b >= 0xA1 && b <= 0xDF;
}
constexpr char16_t kKatakanaBase = 0xFF61; // byte 0xA1

// Characters that the single-byte rules or the escapes already stand for; a
// double-byte code that decoded to one of them could not be told apart.
constexpr bool isReservedChar(char16_t c) {
    return c < 0x80 || (c >= kKatakanaBase && c <= kKatakanaBase + (0xDF - 0xA1)) ||
           (c >= kCp932EscapeBase && c <= kCp932EscapeBase + 0xFF) || (c >= 0xD800 && c <= 0xDFFF);
}

// Converts a whole short input; false when iconv rejects any of it.
bool convertAll(void* cd, const char* in, size_t inSize, char* out, size_t outSize,
                size_t& written) {
    auto handle = static_cast<iconv_t>(cd);
    iconv(handle, nullptr, nullptr, nullptr, nullptr);
    char* inPtr = const_cast<char*>(in);
    size_t inLeft = inSize;
    char* outPtr = out;
    size_t outLeft = outSize;
    if (iconv(handle, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) ||
        inLeft != 0) {
        return false;
    }
    written = outSize - outLeft;
    return true;
}

// The double-byte codes with an exact round trip, in both directions. Built
// once from the system's converter; a code is kept only when it decodes to
// one character that encodes back to the very same two bytes.
struct Tables {
    std::array<char16_t, 0x10000> pairToChar{};      // lead << 8 | trail -> char, 0 if none
    std::array<std::uint16_t, 0x10000> charToPair{}; // char -> lead << 8 | trail, 0 if none

    Tables() {
        const IconvHandle decoder = openConverter("UTF-16LE", "CP932", openSystemConverter);
        const IconvHandle encoder = openConverter("CP932", "UTF-16LE", openSystemConverter);
        for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
            if (!isLeadByte(lead)) {
                continue;
            }
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                if (!isTrailByte(trail)) {
                    continue;
                }
                const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                char unit[8];
                size_t n = 0;
                if (!convertAll(decoder.get(), pair, 2, unit, sizeof unit, n) || n != 2) {
                    continue;
                }
                const auto c = static_cast<char16_t>(static_cast<unsigned char>(unit[0]) |
                                                     static_cast<unsigned char>(unit[1]) << 8);
                if (isReservedChar(c)) {
                    continue;
                }
                char back[8];
                if (!convertAll(encoder.get(), unit, 2, back, sizeof back, n) || n != 2 ||
                    back[0] != pair[0] || back[1] != pair[1]) {
                    continue;
                }
                const auto code = static_cast<std::uint16_t>(lead << 8 | trail);
                pairToChar[code] = c;
                charToPair[c] = code;
            }
        }
    }
};

const Tables& tables() {
    static const auto instance = std::make_unique<Tables>();
    return *instance;
}

} // namespace

MissingCp932Converter::MissingCp932Converter(const char* to, const char* from)
    : std::runtime_error(std::string("the code page 932 (CP932) converter is missing: the system's "
                                     "iconv cannot convert from ") +
                         from + " to " + to +
                         "; install glibc's gconv modules (Debian package libc6)") {}

void* openSystemConverter(const char* to, const char* from) {
    return iconv_open(to, from);
}

std::string utf8ToCp932(std::string_view utf8, ConverterOpener open) {
    return convert("CP932", "UTF-8", utf8, "?", 1, open);
}

std::string cp932ToUtf8(std::string_view cp932, ConverterOpener open) {
    return convert("UTF-8", "CP932", cp932, "\xEF\xBF\xBD", 1, open);
}

std::string crToLf(std::string_view text) {
    // Stretch by stretch: a million messages of bad lines pass through here.
    std::string out;
    out.reserve(text.size());
    size_t from = 0;
    for (size_t cr = text.find('\r'); cr != std::string_view::npos; cr = text.find('\r', from)) {
        out.append(text.substr(from, cr - from));
        out.push_back('\n');
        from = cr + 1;
        if (from < text.size() && text[from] == '\n') {
            ++from;
        }
    }
    out.append(text.substr(from));
    return out;
}

void appendDecodedCp932(std::u16string& out, std::string_view bytes) {
    const Tables& t = tables();
    const size_t n = bytes.size();
    const size_t start = out.size();
    out.resize(start + n); // never more characters than bytes
    char16_t* dst = out.data() + start;
    size_t i = 0;
    while (i < n) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            *dst++ = b;
            ++i;
        } else if (isHalfWidthKatakana(b)) {
            *dst++ = static_cast<char16_t>(kKatakanaBase + (b - 0xA1));
            ++i;
        } else {
            char16_t c = 0;
            if (isLeadByte(b) && i + 1 < n) {
                c = t.pairToChar[static_cast<size_t>(b) << 8 |
                                 static_cast<unsigned char>(bytes[i + 1])];
            }
            if (c != 0) {
                *dst++ = c;
                i += 2;
            } else {
                // Escape only this byte: the next one may start a valid character.
                *dst++ = static_cast<char16_t>(kCp932EscapeBase + b);
                ++i;
            }
        }
    }
    out.resize(static_cast<size_t>(dst - out.data()));
}

std::u16string decodeCp932Exact(std::string_view bytes) {
    std::u16string out;
    appendDecodedCp932(out, bytes);
    return out;
}

void appendEncodedCp932(std::string& out, std::u16string_view text) {
    const Tables& t = tables();
    out.reserve(out.size() + text.size() * 2);
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        const char16_t c = text[i];
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c >= kKatakanaBase && c <= kKatakanaBase + (0xDF - 0xA1)) {
            out.push_back(static_cast<char>(0xA1 + (c - kKatakanaBase)));
        } else if (c >= kCp932EscapeBase && c <= kCp932EscapeBase + 0xFF) {
            out.push_back(static_cast<char>(c - kCp932EscapeBase));
        } else if (const std::uint16_t code = t.charToPair[c]; code != 0) {
            out.push_back(static_cast<char>(code >> 8));
            out.push_back(static_cast<char>(code & 0xFF));
        } else {
            // A character outside the code page; a surrogate pair is one character.
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 &&
                text[i + 1] <= 0xDFFF) {
                ++i;
            }
            out.push_back('?');
        }
    }
}

std::string encodeCp932Exact(std::u16string_view text) {
    std::string out;
    appendEncodedCp932(out, text);
    return out;
}
