#include "shared/PngWriter.h"
#include "shared/Errors.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

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

// Walks the chunks, checks every CRC, unpacks the stored deflate blocks and
// checks the zlib header and Adler-32. Failures are reported through gtest.
Decoded decodeStoredPng(const std::string& png) {
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
    std::string raw;
    size_t p = 2;
    bool final = false;
    while (!final && p + 5 <= idat.size()) {
        const unsigned header = byteAt(idat, p);
        EXPECT_EQ(header & 6u, 0u); // stored
        final = (header & 1u) != 0;
        const unsigned len = byteAt(idat, p + 1) | byteAt(idat, p + 2) << 8;
        const unsigned nlen = byteAt(idat, p + 3) | byteAt(idat, p + 4) << 8;
        EXPECT_EQ(len ^ nlen, 0xFFFFu);
        raw += idat.substr(p + 5, len);
        p += 5 + len;
        ++out.blocks;
    }
    EXPECT_TRUE(final);
    EXPECT_EQ(p + 4, idat.size());
    EXPECT_EQ(u32(idat, p), referenceAdler(raw));

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
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(Crc32("6789", Crc32("12345")), 0xCBF43926u);
    EXPECT_EQ(Crc32("IEND"), 0xAE426082u);
    EXPECT_EQ(Adler32("Wikipedia"), 0x11E60398u);
    EXPECT_EQ(Adler32(""), 1u);
    // Long runs of high bytes test the deferred modulo of both sums.
    const std::string ones(100000, '\xFF');
    EXPECT_EQ(Crc32(ones), referenceCrc(ones));
    EXPECT_EQ(Adler32(ones), referenceAdler(ones));
    EXPECT_EQ(Adler32(ones.substr(7000), Adler32(ones.substr(0, 7000))), referenceAdler(ones));
}

TEST(EncodePng, SmallImageRoundTrips) {
    const RgbImage img = pattern(3, 2);
    const Decoded d = decodeStoredPng(EncodePng(img));
    EXPECT_EQ(d.width, 3u);
    EXPECT_EQ(d.height, 2u);
    EXPECT_EQ(d.blocks, 1);
    EXPECT_EQ(d.pixels, pixelsOf(img));
}

TEST(EncodePng, LargeImageSpansSeveralStoredBlocks) {
    // 120 rows of 601 bytes: 72120 bytes, more than one stored block holds.
    const RgbImage img = pattern(200, 120);
    const Decoded d = decodeStoredPng(EncodePng(img));
    EXPECT_EQ(d.blocks, 2);
    EXPECT_EQ(d.pixels, pixelsOf(img));
}

TEST(EncodePng, RefusesAnImageWithoutPixels) {
    EXPECT_THROW(EncodePng(RgbImage()), std::invalid_argument);
    EXPECT_THROW(EncodePng(RgbImage(5, 0, Rgb{})), std::invalid_argument);
}

TEST(WritePng, WritesTheEncodedBytes) {
    TempDir dir;
    const RgbImage img = pattern(17, 9);
    WritePng(dir.file("a.png"), img);
    EXPECT_EQ(readFile(dir.file("a.png")), EncodePng(img));
}

TEST(WritePng, FailuresNameTheFile) {
    TempDir dir;
    const RgbImage img = pattern(2, 2);
    const std::string missing = dir.file("no-such-folder/a.png");
    try {
        WritePng(missing, img);
        FAIL() << "no IoError";
    } catch (const IoError& e) {
        EXPECT_NE(std::string(e.what()).find(missing), std::string::npos);
    }
    EXPECT_THROW(WritePng(dir.path().string(), img), IoError);
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_THROW(WritePng("/dev/full", img), IoError);
    }
}
