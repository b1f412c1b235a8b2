#include "shared/RgbImage.h"

#include <algorithm>

RgbImage::RgbImage(int width, int height, Rgb fill)
    : width_(std::max(width, 0)), height_(std::max(height, 0)) {
    const std::size_t count = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    pixels_.resize(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        pixels_[3 * i] = fill.r;
        pixels_[3 * i + 1] = fill.g;
        pixels_[3 * i + 2] = fill.b;
    }
}

Rgb RgbImage::pixel(int x, int y) const {
    if (!inside(x, y)) {
        return {};
    }
    const std::size_t o = offset(x, y);
    return {pixels_[o], pixels_[o + 1], pixels_[o + 2]};
}

void RgbImage::setPixel(int x, int y, Rgb colour) {
    if (!inside(x, y)) {
        return;
    }
    const std::size_t o = offset(x, y);
    pixels_[o] = colour.r;
    pixels_[o + 1] = colour.g;
    pixels_[o + 2] = colour.b;
}

void RgbImage::fillRect(int x, int y, int width, int height, Rgb colour) {
    // Clip in 64 bits so that huge rectangles cannot overflow the sums.
    const long long x0 = std::max<long long>(x, 0);
    const long long y0 = std::max<long long>(y, 0);
    const long long x1 = std::min<long long>(static_cast<long long>(x) + width, width_);
    const long long y1 = std::min<long long>(static_cast<long long>(y) + height, height_);
    for (long long row = y0; row < y1; ++row) {
        std::uint8_t* p = pixels_.data() + offset(static_cast<int>(x0), static_cast<int>(row));
        for (long long col = x0; col < x1; ++col) {
            *p++ = colour.r;
            *p++ = colour.g;
            *p++ = colour.b;
        }
    }
}
