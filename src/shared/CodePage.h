#pragma once
// Code page 932 (Shift-JIS), the encoding of every text the program reads and
// writes, and its conversions through the system's iconv:
// - UTF-8 <-> code page 932 for the program's own texts, which are written in
//   UTF-8 source and used as code page 932 bytes (the command-line tool
//   converts them back to print them on a UTF-8 terminal);
// - an exact codec for the window, which shows byte texts as Unicode and
//   writes what the user sees back as bytes. A byte string must survive that
//   trip unchanged even when it is not valid code page 932 (a broken data
//   line, a remark cut in the middle of a double-byte character, one of the
//   duplicate NEC/IBM codes). Every byte or byte pair that has no exact round
//   trip is shown as one escape character per byte from a private-use block
//   that code page 932 itself never produces.
//   For every byte string b: encodeCp932Exact(decodeCp932Exact(b)) == b.
//
// Without iconv's CP932 module no conversion is possible, and guessing would
// corrupt the files: every conversion throws MissingCp932Converter then.

#include <stdexcept>
#include <string>
#include <string_view>

class MissingCp932Converter : public std::runtime_error {
public:
    // `to` and `from`: the encodings of the converter that could not be opened.
    MissingCp932Converter(const char* to, const char* from);
};

// Opens an iconv converter with iconv_open's contract (the handle, or
// (iconv_t)-1 on failure). Conversions take this as a parameter so that tests
// can stand in a system without the CP932 module.
using ConverterOpener = void* (*)(const char* to, const char* from);
void* openSystemConverter(const char* to, const char* from);

// Converts UTF-8 to code page 932. Characters that code page 932 lacks become '?'.
std::string utf8ToCp932(std::string_view utf8, ConverterOpener open = openSystemConverter);

// Converts code page 932 to UTF-8. Bytes that are not valid code page 932 become
// U+FFFD, so the result is always valid UTF-8 (for display, not for round trips).
std::string cp932ToUtf8(std::string_view cp932, ConverterOpener open = openSystemConverter);

// Replaces each CR (and each CR LF) by LF: message texts separate lines by CR.
std::string crToLf(std::string_view text);

// First character of the exact codec's escape block: byte x that cannot be
// decoded exactly becomes U+F700 + x.
inline constexpr char16_t kCp932EscapeBase = 0xF700;

std::u16string decodeCp932Exact(std::string_view bytes);
// Appends the decoded text to out (for building one big text without copies).
void appendDecodedCp932(std::u16string& out, std::string_view bytes);

// Characters that code page 932 lacks (typed or pasted by the user) become '?',
// one per character; escape characters become their byte again.
std::string encodeCp932Exact(std::u16string_view text);
void appendEncodedCp932(std::string& out, std::u16string_view text);
