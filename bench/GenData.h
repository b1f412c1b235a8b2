#pragma once
// Synthetic station data for the benchmarks: years of ten-minute slots from
// 2015/01/01 00:00 local time, written as a recorder writes them, flaws included.
//
// The output must be the same bytes for a seed on every compiler, library and
// CPU, so nothing here touches floating point or the std:: random distributions:
// the generator is splitmix64, and Poisson counts use integer arithmetic with
// fixed-point thresholds. Callers pass a sink that receives the text in blocks.

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace velkbench {

// High 64 bits of a 64 x 64-bit product, without compiler extensions.
inline uint64_t mulHi64(uint64_t a, uint64_t b) {
    const uint64_t aLo = a & 0xFFFFFFFFu, aHi = a >> 32;
    const uint64_t bLo = b & 0xFFFFFFFFu, bHi = b >> 32;
    const uint64_t loLo = aLo * bLo, hiLo = aHi * bLo, loHi = aLo * bHi, hiHi = aHi * bHi;
    const uint64_t cross = (loLo >> 32) + (hiLo & 0xFFFFFFFFu) + loHi;
    return hiHi + (hiLo >> 32) + (cross >> 32);
}

class SplitMix64 {
public:
    explicit SplitMix64(uint64_t seed) : state_(seed) {}

    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // A number in [0, n); the bias is below 2^-32 for the small n used here.
    uint32_t below(uint32_t n) { return static_cast<uint32_t>(mulHi64(next(), n)); }

private:
    uint64_t state_;
};

// Rates are held in 1/256 events per slot.
constexpr uint32_t kRateOne = 256;

// floor(2^64 * e^(-2^k / 256)) for k = 0..10, so e^-x for any x below 8 is a
// product of at most eleven of them.
constexpr std::array<uint64_t, 11> kExpNegPow2 = {
    0xFF007FD55FFDDE38ULL, 0xFE01FEAB551127CBULL, 0xFC07F55FF77D2493ULL, 0xF81FAB5445AEBC8AULL,
    0xF07D5FDE38151E72ULL, 0xE1EB51276C110C3CULL, 0xC75F7CF564105743ULL, 0x9B4597E37CB04FF3ULL,
    0x5E2D58D8B3BCDF1AULL, 0x22A555477F03973FULL, 0x04B0556E084F3D1DULL};
constexpr uint32_t kMaxChunk = (1u << kExpNegPow2.size()) - 1;

// e^(-rate / 256) as a fraction of 2^64, for rate <= kMaxChunk.
inline uint64_t expNegFixed(uint32_t rate) {
    uint64_t result = ~uint64_t{0};
    for (size_t k = 0; k < kExpNegPow2.size(); ++k) {
        if ((rate >> k) & 1u) {
            result = mulHi64(result, kExpNegPow2[k]);
        }
    }
    return result;
}

// A Poisson count of mean rate/256 (Knuth's product of uniforms). Large means are
// split into chunks so that the threshold keeps enough bits.
inline uint32_t poisson(SplitMix64& rng, uint32_t rate) {
    uint32_t count = 0;
    while (rate > 0) {
        const uint32_t chunk = rate < kMaxChunk ? rate : kMaxChunk;
        rate -= chunk;
        const uint64_t threshold = expNegFixed(chunk);
        uint64_t product = rng.next();
        while (product > threshold) {
            ++count;
            product = mulHi64(product, rng.next());
        }
    }
    return count;
}

// Echo rate in percent of the daily mean at each full local hour: peak at 06,
// trough at 18, four to one. Minutes in between are interpolated.
constexpr std::array<uint32_t, 24> kDiurnalPercent = {100, 116, 130, 142, 152, 158, 160, 158,
                                                      152, 142, 130, 116, 100, 84,  70,  58,
                                                      48,  42,  40,  42,  48,  58,  70,  84};

struct Shower {
    unsigned month, day, peakHour;
    int halfWidthMinutes; // the rate falls linearly to normal over this time
    uint32_t peakPercent; // rate at the peak in percent of the normal rate
};

constexpr std::array<Shower, 3> kShowers = {{
    {1, 4, 6, 12 * 60, 400},   // Quadrantids: short and sharp
    {8, 13, 4, 36 * 60, 350},  // Perseids: broad
    {12, 14, 2, 24 * 60, 500}, // Geminids: the strongest
}};

// Free texts a recorder operator types, in code page 932 where Japanese.
constexpr std::array<std::string_view, 7> kRemarks = {
    "PC restart",
    "antenna check",
    "time sync, +2 s",                                  // a comma inside the remark
    "\x89\x4a\x83\x6d\x83\x43\x83\x59",                 // rain static
    "\x97\x8b",                                         // thunder
    "\x92\xe2\x93\x64",                                 // power cut
    "\x83\x5c\x83\x74\x83\x67\x8d\xc4\x8b\x4e\x93\xae", // software restart; 0x5C trail byte
};

// Odds per slot, in parts per 10,000 unless noted.
constexpr uint32_t kGapStartOneIn = 1550; // gaps of 1..30 slots: about 1% of slots missing
constexpr uint32_t kMaxGap = 30;
constexpr uint32_t kSplitPer10k = 20;    // slot written twice, minutes split
constexpr uint32_t kMalformedPer10k = 5; // line that cannot be read
constexpr uint32_t kShortPer10k = 100;   // fewer than 10 observed minutes
constexpr uint32_t kRemarkOneIn = 5000;
constexpr uint32_t kMeanRate = 8 * kRateOne; // echoes per slot over a whole day
constexpr uint32_t kOtherRate = 5; // 1/256 events per slot: other data in about one slot in fifty

namespace detail {

inline void appendDigits(std::string& out, unsigned value, int width) {
    char digits[10];
    for (int i = width - 1; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out.append(digits, static_cast<size_t>(width));
}

inline void appendCount(std::string& out, uint32_t value) {
    char digits[10];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n > 0) {
        out.push_back(digits[--n]);
    }
}

struct Slot {
    unsigned year, month, day, minuteOfDay;
};

inline void appendFileName(std::string& out, const Slot& s, unsigned minuteOfDay) {
    out.push_back('v');
    appendDigits(out, s.year, 4);
    appendDigits(out, s.month, 2);
    appendDigits(out, s.day, 2);
    out.push_back('_');
    appendDigits(out, minuteOfDay / 60, 2);
    appendDigits(out, minuteOfDay % 60, 2);
    out.append(".dat");
}

inline void appendLine(std::string& out, const Slot& s, unsigned fileMinute, uint32_t echo,
                       uint32_t longEcho, uint32_t other, uint32_t obsTime,
                       std::string_view remark) {
    appendFileName(out, s, fileMinute);
    out.push_back(',');
    appendDigits(out, s.year, 4);
    out.push_back('/');
    appendDigits(out, s.month, 2);
    out.push_back('/');
    appendDigits(out, s.day, 2);
    out.push_back(' ');
    appendDigits(out, s.minuteOfDay / 60, 2);
    out.push_back(':');
    appendDigits(out, s.minuteOfDay % 60, 2);
    out.append(":00,");
    appendCount(out, echo);
    out.push_back(',');
    appendCount(out, longEcho);
    out.push_back(',');
    appendCount(out, other);
    out.push_back(',');
    appendCount(out, obsTime);
    out.push_back(',');
    out.append(remark);
}

// Rate of the slot in 1/256 events per ten minutes. minutesFromStart counts from
// 2015/01/01 00:00; showerPeaks holds the same count for this year's peaks.
inline uint32_t slotRate(unsigned minuteOfDay, int64_t minutesFromStart,
                         const std::array<int64_t, kShowers.size()>& showerPeaks) {
    const unsigned hour = minuteOfDay / 60, minute = minuteOfDay % 60;
    const uint32_t diurnal =
        (kDiurnalPercent[hour] * (60 - minute) + kDiurnalPercent[(hour + 1) % 24] * minute) / 60;
    uint32_t showerPercent = 100;
    for (size_t i = 0; i < kShowers.size(); ++i) {
        int64_t distance = minutesFromStart - showerPeaks[i];
        distance = distance < 0 ? -distance : distance;
        if (distance < kShowers[i].halfWidthMinutes) {
            const auto width = static_cast<uint64_t>(kShowers[i].halfWidthMinutes);
            showerPercent +=
                static_cast<uint32_t>((kShowers[i].peakPercent - 100) *
                                      (width - static_cast<uint64_t>(distance)) / width);
        }
    }
    return static_cast<uint32_t>(uint64_t{kMeanRate} * diurnal * showerPercent / 10000);
}

} // namespace detail

constexpr std::string_view kHeaderLine = "#FileName,Time,Echo,LongEcho,OtherData,ObsTime,Remark";

// Writes `years` years of slots from 2015/01/01 00:00. `sink(std::string_view)`
// receives the text in blocks of about 1 MiB; every line ends in CR LF.
template <typename Sink> void generateData(unsigned years, uint64_t seed, Sink&& sink) {
    using namespace std::chrono;
    using detail::Slot;
    constexpr size_t kBlock = 1 << 20;

    SplitMix64 rng(seed);
    std::string out;
    out.reserve(kBlock + 4096);
    out.append(kHeaderLine);
    out.append("\r\n");

    const sys_days start = sys_days{year{2015} / January / 1};
    const sys_days end = sys_days{year{2015 + static_cast<int>(years)} / January / 1};
    std::array<int64_t, kShowers.size()> showerPeaks{};
    int peaksYear = 0;
    uint32_t gapLeft = 0;

    for (sys_days day = start; day < end; day += days{1}) {
        const year_month_day ymd{day};
        const int y = static_cast<int>(ymd.year());
        if (y != peaksYear) {
            for (size_t i = 0; i < kShowers.size(); ++i) {
                const sys_days peakDay{ymd.year() / month{kShowers[i].month} / kShowers[i].day};
                showerPeaks[i] = (peakDay - start).count() * 1440 + kShowers[i].peakHour * 60;
            }
            peaksYear = y;
        }
        const int64_t dayMinutes = (day - start).count() * int64_t{1440};
        Slot slot{static_cast<unsigned>(y), static_cast<unsigned>(ymd.month()),
                  static_cast<unsigned>(ymd.day()), 0};

        for (unsigned m = 0; m < 1440; m += 10) {
            if (out.size() >= kBlock) {
                sink(std::string_view(out));
                out.clear();
            }
            slot.minuteOfDay = m;
            if (gapLeft > 0) {
                --gapLeft;
                continue;
            }
            if (rng.below(kGapStartOneIn) == 0) {
                gapLeft = rng.below(kMaxGap); // this slot and up to 29 more
                continue;
            }
            const uint32_t rate = detail::slotRate(m, dayMinutes + m, showerPeaks);
            const uint32_t kind = rng.below(10000);
            const bool split = kind < kSplitPer10k;
            const bool malformed = !split && kind < kSplitPer10k + kMalformedPer10k;
            const bool shortSlot = kind >= kSplitPer10k + kMalformedPer10k &&
                                   kind < kSplitPer10k + kMalformedPer10k + kShortPer10k;

            if (split) {
                // The recorder restarted inside the slot: two files, one slot time.
                const uint32_t first = 1 + rng.below(9);
                const uint32_t parts[2] = {first, 10 - first};
                unsigned fileMinute = m;
                for (uint32_t minutes : parts) {
                    // Separate statements: argument evaluation order differs between compilers.
                    const uint32_t echo = poisson(rng, rate * minutes / 10);
                    const uint32_t longEcho = poisson(rng, rate * minutes / 100);
                    const uint32_t other = poisson(rng, kOtherRate * minutes / 10);
                    detail::appendLine(out, slot, fileMinute, echo, longEcho, other, minutes, {});
                    out.append("\r\n");
                    fileMinute += minutes;
                }
                continue;
            }

            const uint32_t obsTime = shortSlot ? 1 + rng.below(9) : 10;
            const uint32_t echo = poisson(rng, rate * obsTime / 10);
            const uint32_t longEcho = poisson(rng, rate * obsTime / 100);
            const uint32_t other = poisson(rng, kOtherRate * obsTime / 10);
            std::string_view remark;
            if (rng.below(kRemarkOneIn) == 0) {
                remark = kRemarks[rng.below(static_cast<uint32_t>(kRemarks.size()))];
            }

            const size_t lineStart = out.size();
            detail::appendLine(out, slot, m, echo, longEcho, other, obsTime, remark);
            if (malformed) {
                if (rng.below(2) == 0) {
                    // Cut short by a crash: at least one byte stays and the comma
                    // after the observed minutes is always lost.
                    const size_t lengthWithoutRemark = out.size() - lineStart - remark.size();
                    const auto keep = 1 + rng.below(static_cast<uint32_t>(lengthWithoutRemark - 1));
                    out.resize(lineStart + keep);
                } else {
                    // A stray byte after the echo count.
                    const size_t timeEnd = out.find(',', out.find(',', lineStart) + 1);
                    const size_t echoEnd = out.find(',', timeEnd + 1);
                    out.insert(echoEnd, 1, '?');
                }
            }
            out.append("\r\n");
        }
    }
    if (!out.empty()) {
        sink(std::string_view(out));
    }
}

} // namespace velkbench
