#pragma once
// Number texts of the report files. Two decimals: the value is first taken to 18
// significant decimal digits, then that digit string is rounded at the second
// decimal with halves away from zero (0.625 gives 0.63, 0.285 gives 0.28 since
// the double lies below it). Runs millions of times on a decade of data, so the
// common case avoids printf.

#include <array>
#include <cstdint>
#include <string>

// Appends the value with exactly two decimals; "-" only when the written value
// is not zero.
void appendFixed2(std::string& out, double value);
std::string formatFixed2(double value);

// The exact reference of appendFixed2: formats through the 18-digit string
// every time. Tests prove the fast path against it.
std::string formatFixed2Exact(double value);

// Appends a whole number in decimal, "-" before a negative one.
void appendInt(std::string& out, std::int64_t value);

// The same two forms written into a caller's buffer, for the big tables that
// build a line in one go. putFixed2 writes at most kFixed2Room bytes and
// returns the end, or nullptr when the value needs the exact way (then use
// appendFixed2). putInt writes at most kIntRoom bytes.
inline constexpr int kFixed2Room = 17;
inline constexpr int kIntRoom = 20;
char* putFixed2(char* out, double value);
char* putInt(char* out, std::int64_t value);

// Appends a value of 0 to 99 in two digits.
void appendTwoDigits(std::string& out, int value);

// Appends the four counts, then the six values with two decimals, each after
// a comma: the middle of a line of the ten-minute and the hourly tables.
void appendCountsAndRates(std::string& out, const std::int64_t (&counts)[4],
                          const std::array<double, 6>& rates);

// Rounds to a whole number with halves away from zero, on the same 18-digit
// decimal view as appendFixed2 (so 12.5 gives 13 and 2.4999999999999999 stays 2).
std::int64_t roundHalfAway(double value);
