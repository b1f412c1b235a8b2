#pragma once
// Nearly every row of the big tables is a full slot (ten minutes observed) or
// a full hour, with counts of a few dozen. Their rates and errors are copied
// from texts worked out once, by the table's own rate function and so with
// the very same digits, rather than converted six times a row.

#include "shared/NumberFormat.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

template <typename Row> class FullRateTexts {
public:
    static constexpr std::int64_t kCounts = 1024;

    // ratesOf gives a row's three rates, then its three errors, as the
    // table writes them; a row of fullMinutes observed has its texts here.
    FullRateTexts(std::int64_t fullMinutes, std::array<double, 6> (*ratesOf)(const Row&))
        : minutes_(fullMinutes) {
        Row row;
        row.observedMinutes = fullMinutes;
        for (std::int64_t count = 0; count < kCounts; ++count) {
            row.echo = count;
            const std::array<double, 6> values = ratesOf(row);
            Entry& entry = entries_[static_cast<size_t>(count)];
            entry.rate = textOf(values[0]);
            entry.error = textOf(values[3]);
        }
    }

    // Writes the rates, then the errors, each after a comma; nullptr when
    // the row is not one of these.
    char* put(char* p, const Row& row) const {
        if (row.observedMinutes != minutes_) {
            return nullptr;
        }
        const std::int64_t counts[3] = {row.echo, row.longEcho, row.otherData};
        for (std::int64_t count : counts) {
            if (count < 0 || count >= kCounts) {
                return nullptr;
            }
        }
        for (bool error : {false, true}) {
            for (std::int64_t count : counts) {
                const Entry& entry = entries_[static_cast<size_t>(count)];
                const Text& text = error ? entry.error : entry.rate;
                if (text.size == 0) {
                    return nullptr; // a value that goes the exact way
                }
                *p++ = ',';
                // All of it: a copy of known size, within the room of a value.
                std::memcpy(p, text.bytes, sizeof text.bytes);
                p += text.size;
            }
        }
        return p;
    }

private:
    struct Text {
        char bytes[kFixed2Room];
        std::uint8_t size = 0; // 0: putFixed2 leaves this value to the exact way
    };
    struct Entry {
        Text rate;
        Text error;
    };

    static Text textOf(double value) {
        Text text{};
        if (char* end = putFixed2(text.bytes, value)) {
            text.size = static_cast<std::uint8_t>(end - text.bytes);
        }
        return text;
    }

    std::int64_t minutes_;
    std::array<Entry, kCounts> entries_;
};
