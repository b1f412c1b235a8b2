#pragma once
// PNG files of RgbImage rasters: 8-bit RGB, unfiltered rows, one IDAT chunk
// holding the zlib stream of the rows.

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

// The CRC-32 of every PNG chunk (ISO 3309); `crc` continues an earlier sum.
std::uint32_t pngCrc32(std::string_view bytes, std::uint32_t crc = 0);
