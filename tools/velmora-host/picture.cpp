// Pixel arithmetic on pictures: compositing, masks and grey levels.
#include "tools/velmora-host/picture.h"

namespace velmora::cli {
namespace {

// a over b with alpha t (0..255), rounded.
uint8_t Blend(uint32_t a, uint32_t b, uint32_t t) {
    return static_cast<uint8_t>((a * t + b * (255 - t) + 127) / 255);
}

}  // namespace

Picture CompositeOver(const Picture& effect, const Picture& source) {
    Picture out;
    out.width = effect.width;
    out.height = effect.height;
    out.rgba.resize(effect.rgba.size());
    const size_t n = effect.rgba.size() / 4;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* s = &source.rgba[i * 4];
        const uint8_t* e = &effect.rgba[i * 4];
        uint8_t* o = &out.rgba[i * 4];
        for (int c = 0; c < 3; ++c) {
            const uint8_t base = Blend(s[c], 255, s[3]);
            o[c] = Blend(e[c], base, e[3]);
        }
        o[3] = 255;
    }
    return out;
}

std::vector<uint8_t> MaskValues(const Picture& mask) {
    const size_t n = mask.rgba.size() / 4;
    bool useAlpha = false;
    for (size_t i = 0; i < n && !useAlpha; ++i) useAlpha = mask.rgba[i * 4 + 3] != 255;
    std::vector<uint8_t> values(n);
    if (useAlpha) {
        for (size_t i = 0; i < n; ++i) values[i] = mask.rgba[i * 4 + 3];
    } else {
        std::vector<uint8_t> alpha;
        GreyValues(mask, values, alpha);
    }
    return values;
}

void GreyValues(const Picture& picture, std::vector<uint8_t>& grey, std::vector<uint8_t>& alpha) {
    const size_t n = picture.rgba.size() / 4;
    grey.resize(n);
    alpha.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* p = &picture.rgba[i * 4];
        grey[i] = static_cast<uint8_t>((77u * p[0] + 150u * p[1] + 29u * p[2]) >> 8);
        alpha[i] = p[3];
    }
}

}  // namespace velmora::cli
