#pragma once
// Walking UTF-8 text character by character, for the few texts kept in UTF-8
// (the station description) that must be checked against an 8-bit code.

#include <cstddef>
#include <string_view>

// Calls f(codePoint) for each UTF-8 character; a byte that starts no valid
// sequence is reported as -1 and skipped alone.
template <typename F> void forEachUtf8CodePoint(std::string_view s, F&& f) {
    size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        int len = 0;
        char32_t cp = 0;
        if (b < 0x80) {
            len = 1;
            cp = b;
        } else if ((b & 0xE0) == 0xC0 && b >= 0xC2) {
            len = 2;
            cp = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            len = 3;
            cp = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0 && b <= 0xF4) {
            len = 4;
            cp = b & 0x07;
        }
        bool valid = len > 0 && i + static_cast<size_t>(len) <= s.size();
        for (int k = 1; valid && k < len; ++k) {
            const auto c = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
            valid = (c & 0xC0) == 0x80;
            cp = (cp << 6) | (c & 0x3F);
        }
        // Overlong forms and surrogates are no characters.
        if (valid && ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
                      (cp >= 0xD800 && cp <= 0xDFFF))) {
            valid = false;
        }
        if (valid) {
            f(static_cast<long>(cp));
            i += static_cast<size_t>(len);
        } else {
            f(-1L);
            ++i;
        }
    }
}
