#pragma once
// PNG files of RgbImage rasters, written without any library: 8-bit RGB, one
// IDAT chunk holding a zlib stream of one fixed-Huffman deflate block.

#include "shared/RgbImage.h"

#include <cstdint>
#include <string>
#include <string_view>

// The complete file as bytes. std::invalid_argument for an image without
// pixels or too large for one IDAT chunk.
std::string encodePng(const RgbImage& img);

// Creates or replaces the file. IoError naming the file on any failure to
// create, write or close it.
void writePng(const std::string& name, const RgbImage& img);

// The checksums of the format: CRC-32 (ISO 3309, as in every PNG chunk) and
// Adler-32 (the zlib trailer).
std::uint32_t pngCrc32(std::string_view bytes, std::uint32_t crc = 0);
std::uint32_t adler32Of(std::string_view bytes, std::uint32_t adler = 1);
