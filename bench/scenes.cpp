// Ink shapes: a pixel whose centre lies inside a shape takes its colour.
#include "bench/scenes.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace velmora::bench {
namespace {

struct Colour {
    uint8_t r, g, b, a;
};
constexpr Colour kInk{0, 0, 0, 255};
constexpr Colour kPaper{255, 255, 255, 255};

Picture Blank(int32_t width, int32_t height) {
    Picture p;
    p.width = width;
    p.height = height;
    p.rgba.assign(static_cast<size_t>(width) * height * 4, 0);
    return p;
}

void Put(Picture& p, int32_t x, int32_t y, Colour c) {
    uint8_t* px = p.rgba.data() + (static_cast<size_t>(y) * p.width + x) * 4;
    px[0] = c.r;
    px[1] = c.g;
    px[2] = c.b;
    px[3] = c.a;
}

void FillRect(Picture& p, double x0, double y0, double x1, double y1, Colour c) {
    const int32_t ix0 = std::max(0, static_cast<int32_t>(std::ceil(x0 - 0.5)));
    const int32_t iy0 = std::max(0, static_cast<int32_t>(std::ceil(y0 - 0.5)));
    const int32_t ix1 = std::min(p.width, static_cast<int32_t>(std::ceil(x1 - 0.5)));
    const int32_t iy1 = std::min(p.height, static_cast<int32_t>(std::ceil(y1 - 0.5)));
    for (int32_t y = iy0; y < iy1; ++y)
        for (int32_t x = ix0; x < ix1; ++x) Put(p, x, y, c);
}

// An axis-aligned ellipse.
void FillEllipse(Picture& p, double cx, double cy, double rx, double ry, Colour c) {
    const int32_t y0 = std::max(0, static_cast<int32_t>(cy - ry) - 1);
    const int32_t y1 = std::min(p.height, static_cast<int32_t>(cy + ry) + 2);
    for (int32_t y = y0; y < y1; ++y) {
        const double t = (y + 0.5 - cy) / ry;
        if (t * t >= 1) continue;
        const double half = rx * std::sqrt(1 - t * t);
        FillRect(p, cx - half, y, cx + half, y + 1, c);
    }
}

void FillDisc(Picture& p, double cx, double cy, double r, Colour c) { FillEllipse(p, cx, cy, r, r, c); }

// An outline of an ellipse of the given thickness.
void RingEllipse(Picture& p, double cx, double cy, double rx, double ry, double thick, Colour ink,
                 Colour inside) {
    FillEllipse(p, cx, cy, rx, ry, ink);
    FillEllipse(p, cx, cy, rx - thick, ry - thick, inside);
}

// Deterministic numbers for the scenes (no dependence on the module's RNG).
uint32_t Next(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

}  // namespace

Picture ShapesScene(int32_t width, int32_t height) {
    Picture p = Blank(width, height);
    const double sx = width / 256.0, sy = height / 192.0;
    FillDisc(p, 128 * sx, 96 * sy, 36 * std::min(sx, sy), kInk);
    FillRect(p, 24 * sx, 24 * sy, 56 * sx, 168 * sy, kInk);
    FillRect(p, 160 * sx, 140 * sy, 240 * sx, 160 * sy, kInk);
    return p;
}

Picture BlobScene(int32_t width, int32_t height) {
    Picture p = Blank(width, height);
    // Discs of radius 0.4 cell fill pi x 0.16 = 50 % of their cells.
    const double cell = std::max(8.0, std::min(width, height) / 6.0);
    uint32_t state = 12345;
    for (double cy = cell * 0.5; cy < height; cy += cell) {
        for (double cx = cell * 0.5; cx < width; cx += cell) {
            const double jx = (static_cast<double>(Next(state) % 1000) / 1000 - 0.5) * cell * 0.15;
            const double jy = (static_cast<double>(Next(state) % 1000) / 1000 - 0.5) * cell * 0.15;
            FillDisc(p, cx + jx, cy + jy, cell * 0.4, kInk);
        }
    }
    return p;
}

Picture PageScene(int32_t width, int32_t height) {
    Picture p = Blank(width, height);
    FillRect(p, 0, 0, width, height, kPaper);
    const double m = width * 0.06;        // page margin
    const double gutter = width * 0.02;   // between panels
    const double border = width * 0.003;  // panel border thickness
    // Three tiers: one wide panel, two side by side, one wide.
    const double tiers[4] = {m, height * 0.36, height * 0.66, height - m};
    uint32_t state = 777;
    for (int t = 0; t < 3; ++t) {
        const int panels = t == 1 ? 2 : 1;
        const double y0 = tiers[t] + (t ? gutter * 0.5 : 0), y1 = tiers[t + 1] - (t < 2 ? gutter * 0.5 : 0);
        for (int k = 0; k < panels; ++k) {
            const double pw = (width - 2 * m - (panels - 1) * gutter) / panels;
            const double x0 = m + k * (pw + gutter), x1 = x0 + pw;
            FillRect(p, x0, y0, x1, y1, kInk);
            FillRect(p, x0 + border, y0 + border, x1 - border, y1 - border, kPaper);
            // A figure: head, body, dark hair.
            const double fx = x0 + pw * (0.3 + 0.4 * (Next(state) % 100) / 100.0);
            const double fh = (y1 - y0) * 0.7;
            RingEllipse(p, fx, y1 - fh * 0.8, fh * 0.16, fh * 0.2, border, kInk, kPaper);
            FillEllipse(p, fx, y1 - fh * 0.92, fh * 0.17, fh * 0.1, kInk);
            RingEllipse(p, fx, y1 - fh * 0.1, fh * 0.3, fh * 0.5, border, kInk, kPaper);
            // A speech bubble.
            RingEllipse(p, x0 + pw * 0.78, y0 + (y1 - y0) * 0.22, pw * 0.14, (y1 - y0) * 0.13,
                        border * 0.8, kInk, kPaper);
            // Hatching in a corner: diagonal bars.
            const double hx = x0 + border * 3, hy = y0 + border * 3;
            for (int i = 0; i < 40; ++i) {
                const double off = i * border * 2.5;
                for (int s = 0; s < 60; ++s)
                    FillRect(p, hx + off + s * border * 0.5, hy + s * border * 0.5,
                             hx + off + s * border * 0.5 + border * 0.6, hy + (s + 1) * border * 0.5,
                             kInk);
            }
        }
    }
    return p;
}

}  // namespace velmora::bench
