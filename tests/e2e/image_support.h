// RGBA pictures for the end-to-end tests: simple ink shapes, PNG files and
// byte-exact comparison.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora::e2e {

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 0;
};

struct Image {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgba;  // 4 bytes a pixel, rows packed

    Image() = default;
    Image(int32_t w, int32_t h) : width(w), height(h), rgba(static_cast<size_t>(w * h * 4), 0) {}
    uint8_t* At(int32_t x, int32_t y) { return rgba.data() + (static_cast<size_t>(y) * width + x) * 4; }
    const uint8_t* At(int32_t x, int32_t y) const {
        return rgba.data() + (static_cast<size_t>(y) * width + x) * 4;
    }
};

// Ink shapes: pixels whose centre lies inside take the colour.
void FillCircle(Image& image, double cx, double cy, double radius, Rgba colour);
void FillRect(Image& image, int32_t x0, int32_t y0, int32_t x1, int32_t y1, Rgba colour);

bool ReadPng(const std::string& path, Image& image);
bool WritePng(const std::string& path, const Image& image);

// The picture as a person sees it: composited over white, alpha dropped.
Image OverWhite(const Image& image);

struct Difference {
    bool sameSize = true;
    int64_t pixels = 0;   // pixels with any differing byte
    int64_t bytes = 0;    // differing bytes
    int32_t largest = 0;  // largest difference of one byte
};
Difference Compare(const Image& expected, const Image& actual);

}  // namespace velmora::e2e
