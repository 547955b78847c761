// stb_image and stb_image_write are compiled here, once for the test binary.
#include "image_support.h"

#include <algorithm>
#include <cstdlib>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

namespace velmora::e2e {

namespace {

void Put(Image& image, int32_t x, int32_t y, Rgba c) {
    uint8_t* p = image.At(x, y);
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
    p[3] = c.a;
}

}  // namespace

void FillCircle(Image& image, double cx, double cy, double radius, Rgba colour) {
    for (int32_t y = 0; y < image.height; ++y) {
        for (int32_t x = 0; x < image.width; ++x) {
            const double dx = x + 0.5 - cx;
            const double dy = y + 0.5 - cy;
            if (dx * dx + dy * dy <= radius * radius) Put(image, x, y, colour);
        }
    }
}

void FillRect(Image& image, int32_t x0, int32_t y0, int32_t x1, int32_t y1, Rgba colour) {
    for (int32_t y = std::max(y0, 0); y < std::min(y1, image.height); ++y)
        for (int32_t x = std::max(x0, 0); x < std::min(x1, image.width); ++x) Put(image, x, y, colour);
}

bool ReadPng(const std::string& path, Image& image) {
    int w = 0, h = 0, channels = 0;
    unsigned char* data = stbi_load(path.c_str(), &w, &h, &channels, 4);
    if (data == nullptr) return false;
    image = Image(w, h);
    std::copy(data, data + static_cast<size_t>(w) * h * 4, image.rgba.begin());
    stbi_image_free(data);
    return true;
}

bool WritePng(const std::string& path, const Image& image) {
    return stbi_write_png(path.c_str(), image.width, image.height, 4, image.rgba.data(),
                          image.width * 4) != 0;
}

Image OverWhite(const Image& image) {
    Image out(image.width, image.height);
    for (size_t i = 0; i < image.rgba.size(); i += 4) {
        const int a = image.rgba[i + 3];
        for (int c = 0; c < 3; ++c)
            out.rgba[i + c] = static_cast<uint8_t>((image.rgba[i + c] * a + 255 * (255 - a) + 127) / 255);
        out.rgba[i + 3] = 255;
    }
    return out;
}

Difference Compare(const Image& expected, const Image& actual) {
    Difference d;
    if (expected.width != actual.width || expected.height != actual.height) {
        d.sameSize = false;
        return d;
    }
    for (size_t i = 0; i < expected.rgba.size(); i += 4) {
        bool differs = false;
        for (int c = 0; c < 4; ++c) {
            const int diff = std::abs(int{expected.rgba[i + c]} - int{actual.rgba[i + c]});
            if (diff != 0) {
                differs = true;
                ++d.bytes;
            }
            d.largest = std::max(d.largest, diff);
        }
        if (differs) ++d.pixels;
    }
    return d;
}

}  // namespace velmora::e2e
