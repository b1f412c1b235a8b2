#pragma once
// Conversion between UTF-8 and code page 932 (Shift-JIS) bytes. The program's
// own texts are written in UTF-8 source and used as code page 932 bytes; the
// command-line tool converts them back to print them on a UTF-8 terminal.

#include <string>
#include <string_view>

// Converts UTF-8 to code page 932. Characters that code page 932 lacks become '?'.
std::string utf8ToCp932(std::string_view utf8);

// Converts code page 932 to UTF-8. Bytes that are not valid code page 932 become
// U+FFFD, so the result is always valid UTF-8 (for display, not for round trips).
std::string cp932ToUtf8(std::string_view cp932);

// Replaces each CR (and each CR LF) by LF: message texts separate lines by CR.
std::string crToLf(std::string_view text);
