#include "shared/PngWriter.h"
#include "shared/Deflate.h"
#include "shared/IoError.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

namespace {

// Plain reference checksums, bit by bit and byte by byte, independent of the
// table-driven ones under test.
std::uint32_t referenceCrc(std::string_view bytes) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes) {
        c ^= b;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        }
    }
    return ~c;
}

std::uint32_t referenceAdler(std::string_view bytes) {
    std::uint32_t a = 1, b = 0;
    for (unsigned char c : bytes) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

std::uint32_t u32(const std::string& s, size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(s[at])) << 24 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 1])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 2])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 3]));
}

unsigned byteAt(const std::string& s, size_t at) {
    return static_cast<unsigned char>(s[at]);
}

struct Decoded {
    std::uint32_t width = 0, height = 0;
    std::string pixels; // RGB rows without filter bytes
    int blocks = 0;
};

// A plain inflater for the block types the writer may use (stored and fixed
// Huffman), written from the format's description, independent of the encoder.
// `used` receives the bytes consumed; `blocks` counts the blocks.
std::string inflate(const std::string& in, size_t& used, int& blocks) {
    size_t bitPos = 0;
    auto bit = [&]() -> unsigned {
        if (bitPos / 8 >= in.size()) {
            throw std::runtime_error("deflate stream ends early");
        }
        const unsigned b = (byteAt(in, bitPos / 8) >> (bitPos % 8)) & 1u;
        ++bitPos;
        return b;
    };
    auto bits = [&](int n) {
        unsigned v = 0;
        for (int i = 0; i < n; ++i) {
            v |= bit() << i;
        }
        return v;
    };
    auto huffman = [&](int n) { // most significant bit first
        unsigned v = 0;
        for (int i = 0; i < n; ++i) {
            v = (v << 1) | bit();
        }
        return v;
    };
    auto literal = [&]() -> unsigned {
        unsigned code = huffman(7);
        if (code <= 0x17) {
            return 256 + code;
        }
        code = (code << 1) | bit();
        if (code >= 0x30 && code <= 0xBF) {
            return code - 0x30;
        }
        if (code >= 0xC0 && code <= 0xC7) {
            return 280 + code - 0xC0;
        }
        code = (code << 1) | bit();
        return 144 + code - 0x190;
    };
    static const unsigned lenBase[] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                       15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                       67, 83, 99, 115, 131, 163, 195, 227, 258};
    static const int lenExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                   2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    static const unsigned distBase[] = {
        1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
        193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
    static const int distExtra[] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
    std::string out;
    bool final = false;
    while (!final) {
        final = bit() != 0;
        const unsigned type = bits(2);
        ++blocks;
        if (type == 0) {
            bitPos = (bitPos + 7) / 8 * 8;
            const size_t at = bitPos / 8;
            const unsigned len = byteAt(in, at) | byteAt(in, at + 1) << 8;
            const unsigned nlen = byteAt(in, at + 2) | byteAt(in, at + 3) << 8;
            EXPECT_EQ(len ^ nlen, 0xFFFFu);
            out += in.substr(at + 4, len);
            bitPos = (at + 4 + len) * 8;
        } else if (type == 1) {
            for (;;) {
                const unsigned sym = literal();
                if (sym < 256) {
                    out += static_cast<char>(sym);
                } else if (sym == 256) {
                    break;
                } else {
                    const unsigned li = sym - 257;
                    const unsigned length = lenBase[li] + bits(lenExtra[li]);
                    const unsigned di = huffman(5);
                    const unsigned distance = distBase[di] + bits(distExtra[di]);
                    if (distance > out.size()) {
                        throw std::runtime_error("distance before the start");
                    }
                    for (unsigned k = 0; k < length; ++k) {
                        out += out[out.size() - distance];
                    }
                }
            }
        } else {
            throw std::runtime_error("unexpected block type");
        }
    }
    used = (bitPos + 7) / 8;
    return out;
}

// Walks the chunks, checks every CRC, inflates the deflate stream and
// checks the zlib header and Adler-32. Failures are reported through gtest.
Decoded decodePng(const std::string& png) {
    Decoded out;
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
    std::vector<std::string> types;
    std::string idat;
    size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = u32(png, at);
        const std::string type = png.substr(at + 4, 4);
        const std::string data = png.substr(at + 8, length);
        EXPECT_EQ(u32(png, at + 8 + length), referenceCrc(png.substr(at + 4, 4 + length))) << type;
        types.push_back(type);
        if (type == "IHDR") {
            EXPECT_EQ(length, 13u);
            out.width = u32(data, 0);
            out.height = u32(data, 4);
            EXPECT_EQ(data.substr(8), std::string("\x08\x02\x00\x00\x00", 5));
        } else if (type == "IDAT") {
            idat += data;
        }
        at += 12 + length;
    }
    EXPECT_EQ(at, png.size());
    EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));

    EXPECT_EQ(byteAt(idat, 0), 0x78u);
    EXPECT_EQ((byteAt(idat, 0) * 256 + byteAt(idat, 1)) % 31, 0u);
    size_t used = 0;
    const std::string raw = inflate(idat.substr(2), used, out.blocks);
    EXPECT_EQ(2 + used + 4, idat.size());
    EXPECT_EQ(u32(idat, 2 + used), referenceAdler(raw));

    const size_t row = 1 + 3 * static_cast<size_t>(out.width);
    EXPECT_EQ(raw.size(), row * out.height);
    for (size_t y = 0; y < out.height && (y + 1) * row <= raw.size(); ++y) {
        EXPECT_EQ(raw[y * row], '\0');
        out.pixels += raw.substr(y * row + 1, row - 1);
    }
    return out;
}

RgbImage pattern(int w, int h) {
    RgbImage img(w, h, Rgb{});
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            img.setPixel(x, y,
                         Rgb{static_cast<std::uint8_t>(x * 7 + y), static_cast<std::uint8_t>(y * 3),
                             static_cast<std::uint8_t>(x ^ y)});
        }
    }
    return img;
}

std::string pixelsOf(const RgbImage& img) {
    return std::string(reinterpret_cast<const char*>(img.data()), img.bytes().size());
}

} // namespace

TEST(Checksums, KnownValuesAndContinuation) {
    EXPECT_EQ(pngCrc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(pngCrc32("6789", pngCrc32("12345")), 0xCBF43926u);
    EXPECT_EQ(pngCrc32("IEND"), 0xAE426082u);
    EXPECT_EQ(adler32Of("Wikipedia"), 0x11E60398u);
    EXPECT_EQ(adler32Of(""), 1u);
    // Long runs of high bytes test the deferred modulo of both sums.
    const std::string ones(100000, '\xFF');
    EXPECT_EQ(pngCrc32(ones), referenceCrc(ones));
    EXPECT_EQ(adler32Of(ones), referenceAdler(ones));
    EXPECT_EQ(adler32Of(ones.substr(7000), adler32Of(ones.substr(0, 7000))), referenceAdler(ones));
}

TEST(encodePng, SmallImageRoundTrips) {
    const RgbImage img = pattern(3, 2);
    const Decoded d = decodePng(encodePng(img));
    EXPECT_EQ(d.width, 3u);
    EXPECT_EQ(d.height, 2u);
    EXPECT_EQ(d.blocks, 1);
    EXPECT_EQ(d.pixels, pixelsOf(img));
}

TEST(encodePng, LargeImageRoundTrips) {
    // 120 rows of 601 bytes: longer than the window, so matches reach far back.
    const RgbImage img = pattern(200, 120);
    const Decoded d = decodePng(encodePng(img));
    EXPECT_EQ(d.blocks, 1);
    EXPECT_EQ(d.pixels, pixelsOf(img));
}

TEST(deflateFixed, RoundTripsRunsRandomBytesAndLongMatches) {
    std::mt19937 random(7);
    std::string noise(100000, '\0');
    for (char& c : noise) {
        c = static_cast<char>(random() & 0xFF);
    }
    std::string runs;
    for (int i = 0; i < 3000; ++i) {
        runs.append(static_cast<size_t>(1 + i % 300), static_cast<char>('a' + i % 5));
    }
    const std::string repeatFar = noise.substr(0, 40000) + noise.substr(0, 40000);
    for (const std::string& data : {std::string(), std::string("a"), std::string("abcabcabcabc"),
                                    noise, runs, repeatFar, std::string(100000, 'x')}) {
        const std::string packed = deflateFixed(data);
        size_t used = 0;
        int blocks = 0;
        EXPECT_EQ(inflate(packed, used, blocks), data);
        EXPECT_EQ(used, packed.size());
    }
    EXPECT_LT(deflateFixed(runs).size(), runs.size() / 20);
}

TEST(encodePng, RefusesAnImageWithoutPixels) {
    EXPECT_THROW(encodePng(RgbImage()), std::invalid_argument);
    EXPECT_THROW(encodePng(RgbImage(5, 0, Rgb{})), std::invalid_argument);
}

TEST(writePng, WritesTheEncodedBytes) {
    TempDir dir;
    const RgbImage img = pattern(17, 9);
    writePng(dir.file("a.png"), img);
    EXPECT_EQ(readFile(dir.file("a.png")), encodePng(img));
}

TEST(writePng, FailuresNameTheFile) {
    TempDir dir;
    const RgbImage img = pattern(2, 2);
    const std::string missing = dir.file("no-such-folder/a.png");
    try {
        writePng(missing, img);
        FAIL() << "no IoError";
    } catch (const IoError& e) {
        EXPECT_NE(std::string(e.what()).find(missing), std::string::npos);
    }
    EXPECT_THROW(writePng(dir.path().string(), img), IoError);
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_THROW(writePng("/dev/full", img), IoError);
    }
}
