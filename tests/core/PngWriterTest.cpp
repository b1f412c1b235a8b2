#include "shared/PngWriter.h"
#include "shared/IoError.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <stdexcept>

namespace {

// A plain bit-by-bit CRC, independent of the library under test.
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

std::uint32_t u32(const std::string& s, size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(s[at])) << 24 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 1])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 2])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 3]));
}

struct Decoded {
    std::uint32_t width = 0, height = 0;
    std::string pixels; // RGB rows without filter bytes
};

// Walks the chunks, checks every CRC and unpacks the zlib stream (zlib checks
// its header and Adler-32). Failures are reported through gtest.
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

    const size_t row = 1 + 3 * static_cast<size_t>(out.width);
    std::string raw(row * out.height, '\0');
    uLongf rawSize = raw.size();
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(raw.data()), &rawSize,
                         reinterpret_cast<const Bytef*>(idat.data()), idat.size()),
              Z_OK);
    EXPECT_EQ(rawSize, raw.size());
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

TEST(pngCrc32, KnownValuesAndContinuation) {
    EXPECT_EQ(pngCrc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(pngCrc32("6789", pngCrc32("12345")), 0xCBF43926u);
    EXPECT_EQ(pngCrc32("IEND"), 0xAE426082u);
    EXPECT_EQ(pngCrc32(""), 0u);
}

TEST(encodePng, SmallImageRoundTrips) {
    const RgbImage img = pattern(3, 2);
    const Decoded d = decodePng(encodePng(img));
    EXPECT_EQ(d.width, 3u);
    EXPECT_EQ(d.height, 2u);
    EXPECT_EQ(d.pixels, pixelsOf(img));
}

TEST(encodePng, LargeImageRoundTrips) {
    // 120 rows of 601 bytes: longer than the window, so matches reach far back.
    const RgbImage img = pattern(200, 120);
    const Decoded d = decodePng(encodePng(img));
    EXPECT_EQ(d.pixels, pixelsOf(img));
}

TEST(encodePng, ShrinksRunsOfFewColours) {
    // Like a colorgramme: bands of one colour across wide rows.
    RgbImage img(1000, 200, Rgb{});
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 1000; ++x) {
            img.setPixel(x, y, Rgb{static_cast<std::uint8_t>(x / 100 * 20), 0, 255});
        }
    }
    const std::string png = encodePng(img);
    EXPECT_LT(png.size(), img.bytes().size() / 100);
    EXPECT_EQ(decodePng(png).pixels, pixelsOf(img));
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
