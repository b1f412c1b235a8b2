#include "shared/ShiftJis.h"

#include <cerrno>
#include <iconv.h>

namespace {

// Runs iconv over the whole input. An invalid or unconvertible sequence is
// replaced and skipped: `skip` bytes of input, `replacement` in the output.
std::string convert(const char* to, const char* from, std::string_view in,
                    std::string_view replacement, size_t skip) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::string(in); // no converter: better the bytes than nothing
    }
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
    iconv_close(cd);
    return out;
}

} // namespace

std::string utf8ToCp932(std::string_view utf8) {
    return convert("CP932", "UTF-8", utf8, "?", 1);
}

std::string cp932ToUtf8(std::string_view cp932) {
    return convert("UTF-8", "CP932", cp932, "\xEF\xBF\xBD", 1);
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
