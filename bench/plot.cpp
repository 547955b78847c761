// Pixels drawn straight into an RGB buffer; tick labels in a 3 x 5 digit font.
#include "bench/plot.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace velmora::bench {
namespace {

constexpr int kW = 640, kH = 400;
constexpr int kLeft = 70, kRight = 20, kTop = 20, kBottom = 40;

struct Canvas {
    std::vector<uint8_t> rgb = std::vector<uint8_t>(kW * kH * 3, 255);
    void Dot(int x, int y, uint32_t c) {
        if (x < 0 || y < 0 || x >= kW || y >= kH) return;
        uint8_t* p = &rgb[(y * kW + x) * 3];
        p[0] = c >> 16;
        p[1] = (c >> 8) & 255;
        p[2] = c & 255;
    }
    void Line(double x0, double y0, double x1, double y1, uint32_t c, int dash = 0) {
        const int n = static_cast<int>(std::max(std::abs(x1 - x0), std::abs(y1 - y0))) + 1;
        for (int i = 0; i <= n; ++i) {
            if (dash && (i / dash) % 2) continue;
            const double t = static_cast<double>(i) / n;
            const int x = static_cast<int>(std::lround(x0 + (x1 - x0) * t));
            const int y = static_cast<int>(std::lround(y0 + (y1 - y0) * t));
            Dot(x, y, c);
            Dot(x + 1, y, c);
            Dot(x, y + 1, c);
        }
    }
    // Digits, '.', 'e' and '-' at 2x scale.
    void Text(int x, int y, const char* s, uint32_t c) {
        static const char* const kGlyphs[] = {
            "111101101101111", "010110010010111", "111001111100111", "111001111001111",
            "101101111001001", "111100111001111", "111100111101111", "111001001001001",
            "111101111101111", "111101111001111"};
        for (; *s; ++s, x += 8) {
            const char* g = nullptr;
            if (*s >= '0' && *s <= '9') g = kGlyphs[*s - '0'];
            else if (*s == '.') g = "000000000000010";
            else if (*s == '-') g = "000000111000000";
            else if (*s == 'e') g = "000111111100111";
            if (!g) continue;
            for (int r = 0; r < 5; ++r)
                for (int k = 0; k < 3; ++k)
                    if (g[r * 3 + k] == '1')
                        for (int a = 0; a < 2; ++a)
                            for (int b = 0; b < 2; ++b) Dot(x + k * 2 + a, y + r * 2 + b, c);
        }
    }
};

}  // namespace

bool WriteGrowthPlot(const std::string& path, const std::vector<PlotPoint>& points) {
    if (points.empty()) return false;
    double xmin = points[0].x, xmax = xmin, ymin = points[0].y, ymax = ymin;
    for (const PlotPoint& p : points) {
        xmin = std::min(xmin, p.x);
        xmax = std::max(xmax, p.x);
        ymin = std::min(ymin, p.y);
        ymax = std::max(ymax, p.y);
    }
    // Room for the proportional line too.
    const double propMax = points[0].y * xmax / points[0].x;
    ymax = std::max(ymax, propMax);
    const double lx0 = std::floor(std::log10(xmin)), lx1 = std::ceil(std::log10(xmax));
    const double ly0 = std::floor(std::log10(ymin)), ly1 = std::ceil(std::log10(ymax));
    auto px = [&](double x) {
        return kLeft + (std::log10(x) - lx0) / std::max(1e-9, lx1 - lx0) * (kW - kLeft - kRight);
    };
    auto py = [&](double y) {
        return kH - kBottom - (std::log10(y) - ly0) / std::max(1e-9, ly1 - ly0) * (kH - kTop - kBottom);
    };

    Canvas c;
    char label[32];
    for (double e = lx0; e <= lx1; ++e) {
        c.Line(px(std::pow(10, e)), kTop, px(std::pow(10, e)), kH - kBottom, 0xdddddd);
        std::snprintf(label, sizeof label, "1e%d", static_cast<int>(e));
        c.Text(static_cast<int>(px(std::pow(10, e))) - 12, kH - kBottom + 10, label, 0x000000);
    }
    for (double e = ly0; e <= ly1; ++e) {
        c.Line(kLeft, py(std::pow(10, e)), kW - kRight, py(std::pow(10, e)), 0xdddddd);
        std::snprintf(label, sizeof label, "1e%d", static_cast<int>(e));
        c.Text(8, static_cast<int>(py(std::pow(10, e))) - 5, label, 0x000000);
    }
    c.Line(kLeft, kTop, kLeft, kH - kBottom, 0x000000);
    c.Line(kLeft, kH - kBottom, kW - kRight, kH - kBottom, 0x000000);
    // Proportional growth from the first point, dashed grey.
    c.Line(px(points[0].x), py(points[0].y), px(xmax), py(propMax), 0x888888, 6);
    for (size_t i = 0; i + 1 < points.size(); ++i)
        c.Line(px(points[i].x), py(points[i].y), px(points[i + 1].x), py(points[i + 1].y), 0x1f4fc8);
    for (const PlotPoint& p : points)
        for (int a = -3; a <= 3; ++a)
            for (int b = -3; b <= 3; ++b)
                c.Dot(static_cast<int>(px(p.x)) + a, static_cast<int>(py(p.y)) + b, 0xc81f1f);
    return stbi_write_png(path.c_str(), kW, kH, 3, c.rgb.data(), kW * 3) != 0;
}

}  // namespace velmora::bench
