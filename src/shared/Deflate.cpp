#include "shared/Deflate.h"

#include <array>
#include <cstdint>
#include <vector>

namespace {

constexpr std::size_t kWindow = 32768;
constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 258;
constexpr int kMaxChain = 32; // candidates tried per position: speed over the last byte
constexpr int kHashBits = 15;

constexpr std::array<std::uint16_t, 29> kLengthBase = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                       15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                       67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint16_t, 30> kDistBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> kDistExtra = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                     4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                     9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// Deflate packs bits from the least significant end; Huffman codes go in with
// their most significant bit first.
class BitWriter {
public:
    explicit BitWriter(std::string& out) : out_(out) {}
    void bits(std::uint32_t value, int count) {
        acc_ |= static_cast<std::uint64_t>(value) << fill_;
        fill_ += count;
        while (fill_ >= 8) {
            out_ += static_cast<char>(acc_ & 0xFF);
            acc_ >>= 8;
            fill_ -= 8;
        }
    }
    void code(std::uint32_t code, int length) {
        std::uint32_t reversed = 0;
        for (int i = 0; i < length; ++i) {
            reversed = (reversed << 1) | ((code >> i) & 1);
        }
        bits(reversed, length);
    }
    void flush() {
        if (fill_ > 0) {
            out_ += static_cast<char>(acc_ & 0xFF);
        }
        acc_ = 0;
        fill_ = 0;
    }

private:
    std::string& out_;
    std::uint64_t acc_ = 0;
    int fill_ = 0;
};

void literalOrLength(BitWriter& w, unsigned symbol) {
    if (symbol <= 143) {
        w.code(0x30 + symbol, 8);
    } else if (symbol <= 255) {
        w.code(0x190 + (symbol - 144), 9);
    } else if (symbol <= 279) {
        w.code(symbol - 256, 7);
    } else {
        w.code(0xC0 + (symbol - 280), 8);
    }
}

void match(BitWriter& w, std::size_t length, std::size_t distance) {
    std::size_t li = kLengthBase.size() - 1;
    while (kLengthBase[li] > length) {
        --li;
    }
    literalOrLength(w, static_cast<unsigned>(257 + li));
    w.bits(static_cast<std::uint32_t>(length - kLengthBase[li]), kLengthExtra[li]);
    std::size_t di = kDistBase.size() - 1;
    while (kDistBase[di] > distance) {
        --di;
    }
    w.code(static_cast<std::uint32_t>(di), 5);
    w.bits(static_cast<std::uint32_t>(distance - kDistBase[di]), kDistExtra[di]);
}

std::uint32_t hash3(const unsigned char* p) {
    const std::uint32_t v =
        static_cast<std::uint32_t>(p[0]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[2];
    return (v * 2654435761u) >> (32 - kHashBits);
}

} // namespace

std::string deflateFixed(std::string_view data) {
    std::string out;
    out.reserve(data.size() / 8 + 64);
    BitWriter w(out);
    w.bits(1, 1); // final block
    w.bits(1, 2); // fixed Huffman codes

    const auto* p = reinterpret_cast<const unsigned char*>(data.data());
    const std::size_t n = data.size();
    constexpr std::size_t kNone = SIZE_MAX;
    std::vector<std::size_t> head(std::size_t{1} << kHashBits, kNone);
    std::vector<std::size_t> prev(kWindow, kNone);
    auto insert = [&](std::size_t pos) {
        if (pos + kMinMatch <= n) {
            const std::uint32_t h = hash3(p + pos);
            prev[pos % kWindow] = head[h];
            head[h] = pos;
        }
    };

    std::size_t i = 0;
    while (i < n) {
        std::size_t bestLength = 0;
        std::size_t bestDistance = 0;
        if (i + kMinMatch <= n) {
            std::size_t candidate = head[hash3(p + i)];
            const std::size_t limit = std::min(kMaxMatch, n - i);
            for (int chain = 0; chain < kMaxChain && candidate != kNone && i - candidate <= kWindow;
                 ++chain) {
                std::size_t length = 0;
                while (length < limit && p[candidate + length] == p[i + length]) {
                    ++length;
                }
                if (length > bestLength) {
                    bestLength = length;
                    bestDistance = i - candidate;
                    if (length == limit) {
                        break;
                    }
                }
                const std::size_t older = prev[candidate % kWindow];
                // A slot of the ring may already hold a newer position.
                if (older == kNone || older >= candidate) {
                    break;
                }
                candidate = older;
            }
        }
        if (bestLength >= kMinMatch) {
            match(w, bestLength, bestDistance);
            for (std::size_t k = 0; k < bestLength; ++k) {
                insert(i + k);
            }
            i += bestLength;
        } else {
            literalOrLength(w, p[i]);
            insert(i);
            ++i;
        }
    }
    literalOrLength(w, 256); // end of block
    w.flush();
    return out;
}
