#pragma once
// A code page 932 codec that never loses a byte. The window shows the program's
// byte texts as Unicode and writes what the user sees back as bytes; a byte
// string must survive that trip unchanged even when it is not valid code page
// 932 (a broken data line, a remark cut in the middle of a double-byte
// character, one of the duplicate NEC/IBM codes). Every byte or byte pair that
// has no exact round trip is shown as one escape character per byte from a
// private-use block that code page 932 itself never produces.
//
// For every byte string b: encodeCp932Exact(decodeCp932Exact(b)) == b.

#include <string>
#include <string_view>

// First character of the escape block: byte x that cannot be decoded exactly
// becomes U+F700 + x.
inline constexpr char16_t kCp932EscapeBase = 0xF700;

std::u16string decodeCp932Exact(std::string_view bytes);
// Appends the decoded text to out (for building one big text without copies).
void appendDecodedCp932(std::u16string& out, std::string_view bytes);

// Characters that code page 932 lacks (typed or pasted by the user) become '?',
// one per character; escape characters become their byte again.
std::string encodeCp932Exact(std::u16string_view text);
void appendEncodedCp932(std::string& out, std::u16string_view text);
