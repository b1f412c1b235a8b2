#include "shared/PngWriter.h"

#include "shared/Deflate.h"
#include "shared/TextFile.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace {

// Eight tables let the CRC take eight bytes per step: a decade of pictures is
// close to a hundred megabytes of pixels, and a byte-at-a-time CRC would be
// the slowest part of the export.
using CrcTables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr CrcTables makeCrcTables() {
    CrcTables t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        t[0][i] = c;
    }
    for (std::size_t k = 1; k < 8; ++k) {
        for (std::size_t i = 0; i < 256; ++i) {
            t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
        }
    }
    return t;
}

constexpr CrcTables kCrc = makeCrcTables();

// The largest chunk length the format allows.
constexpr std::uint64_t kChunkMax = 0x7FFFFFFF;

void putU32(std::string& out, std::uint32_t v) {
    out += static_cast<char>(v >> 24);
    out += static_cast<char>((v >> 16) & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
    out += static_cast<char>(v & 0xFF);
}

// Appends a chunk whose data the callback appends; the length and CRC are
// filled in afterwards so that the pixel data is copied only once.
template <typename F> void putChunk(std::string& out, const char* type, F&& appendData) {
    const std::size_t lengthAt = out.size();
    putU32(out, 0);
    const std::size_t typeAt = out.size();
    out.append(type, 4);
    appendData(out);
    const std::size_t length = out.size() - typeAt - 4;
    for (int i = 0; i < 4; ++i) {
        out[lengthAt + static_cast<std::size_t>(i)] =
            static_cast<char>((length >> (24 - 8 * i)) & 0xFF);
    }
    putU32(out, pngCrc32(std::string_view(out).substr(typeAt)));
}

} // namespace

std::uint32_t pngCrc32(std::string_view bytes, std::uint32_t crc) {
    std::uint32_t c = ~crc;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t n = bytes.size();
    while (n >= 8) {
        const std::uint32_t one =
            c ^ (static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                 static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24);
        c = kCrc[7][one & 0xFF] ^ kCrc[6][(one >> 8) & 0xFF] ^ kCrc[5][(one >> 16) & 0xFF] ^
            kCrc[4][one >> 24] ^ kCrc[3][p[4]] ^ kCrc[2][p[5]] ^ kCrc[1][p[6]] ^ kCrc[0][p[7]];
        p += 8;
        n -= 8;
    }
    while (n-- > 0) {
        c = kCrc[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
    }
    return ~c;
}

std::uint32_t adler32Of(std::string_view bytes, std::uint32_t adler) {
    constexpr std::uint32_t kMod = 65521;
    // 5552 is the longest run whose sums cannot overflow 32 bits before the
    // modulo has to be taken.
    constexpr std::size_t kRun = 5552;
    std::uint32_t a = adler & 0xFFFF;
    std::uint32_t b = adler >> 16;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t n = bytes.size();
    while (n > 0) {
        const std::size_t run = std::min(n, kRun);
        for (std::size_t i = 0; i < run; ++i) {
            a += p[i];
            b += a;
        }
        a %= kMod;
        b %= kMod;
        p += run;
        n -= run;
    }
    return (b << 16) | a;
}

std::string encodePng(const RgbImage& img) {
    const std::uint64_t w = static_cast<std::uint64_t>(img.width());
    const std::uint64_t h = static_cast<std::uint64_t>(img.height());
    if (w == 0 || h == 0) {
        throw std::invalid_argument("a PNG image needs at least one pixel");
    }
    // Each row starts with its filter type byte (0: none).
    const std::uint64_t rawSize = h * (1 + 3 * w);
    if (w > kChunkMax || h > kChunkMax || rawSize > kChunkMax) {
        throw std::invalid_argument("image too large for one PNG data chunk");
    }
    std::string raw;
    raw.reserve(static_cast<std::size_t>(rawSize));
    const auto* pixels = reinterpret_cast<const char*>(img.data());
    const std::size_t rowBytes = static_cast<std::size_t>(img.bytesPerLine());
    for (std::size_t y = 0; y < static_cast<std::size_t>(h); ++y) {
        raw += '\0';
        raw.append(pixels + y * rowBytes, rowBytes);
    }

    std::string out;
    out.append("\x89PNG\r\n\x1A\n", 8);
    putChunk(out, "IHDR", [&](std::string& o) {
        putU32(o, static_cast<std::uint32_t>(w));
        putU32(o, static_cast<std::uint32_t>(h));
        o += '\x08'; // bit depth
        o += '\x02'; // colour type: RGB
        o += '\x00'; // compression: deflate
        o += '\x00'; // filter method
        o += '\x00'; // no interlace
    });
    putChunk(out, "IDAT", [&](std::string& o) {
        // CMF 0x78: deflate with a 32 KiB window; FLG 0x01 makes the pair a
        // multiple of 31 and claims the fastest level, which is honest here.
        o += '\x78';
        o += '\x01';
        o += deflateFixed(raw);
        putU32(o, adler32Of(raw));
    });
    putChunk(out, "IEND", [](std::string&) {});
    return out;
}

void writePng(const std::string& name, const RgbImage& img) {
    const std::string bytes = encodePng(img);
    TextFileWriter out(name);
    out.write(bytes);
    out.close();
}
