#pragma once
// A plain 8-bit RGB raster: the pictures the core draws without any toolkit.
// Pixels are contiguous bytes, row-major, three per pixel (red, green, blue)
// with no padding between rows, so a front end can wrap them directly (for
// Qt: QImage(data(), width, height, bytesPerLine(), QImage::Format_RGB888)).

#include <cstddef>
#include <cstdint>
#include <vector>

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

class RgbImage {
public:
    RgbImage() = default;
    // Negative sizes count as zero.
    RgbImage(int width, int height, Rgb fill);

    int width() const { return width_; }
    int height() const { return height_; }
    int bytesPerLine() const { return 3 * width_; }
    const std::uint8_t* data() const { return pixels_.data(); }
    std::uint8_t* data() { return pixels_.data(); }
    const std::vector<std::uint8_t>& bytes() const { return pixels_; }

    // Reading outside the image gives black; writing outside does nothing,
    // so drawing code may clip by simply overrunning the edges.
    Rgb pixel(int x, int y) const;
    void setPixel(int x, int y, Rgb colour);
    // Fills the part of the rectangle that lies inside the image.
    void fillRect(int x, int y, int width, int height, Rgb colour);

private:
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    std::size_t offset(int x, int y) const {
        return (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                static_cast<std::size_t>(x)) *
               3;
    }

    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> pixels_;
};
