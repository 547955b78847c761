// Draws the bundled sample picture: a page a comic artist has inked, with a
// bold figure leaping at the centre, splashes of ink and a block of
// lettering-like bars, black on white, antialiased. The effect lines of the
// module cross these shapes, so every template has something to bite on.
//
//   make-sample OUT.png
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

struct Vec {
    double x, y;
};

Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }
double Length(Vec a) { return std::sqrt(Dot(a, a)); }

// Signed distances: negative inside the shape.
using Shape = std::function<double(Vec)>;

Shape Disc(Vec c, double r) {
    return [=](Vec p) { return Length(p - c) - r; };
}

// A stroke from a to b with round ends, radius tapering from ra to rb.
Shape Capsule(Vec a, Vec b, double ra, double rb) {
    return [=](Vec p) {
        const Vec ab = b - a;
        const double t = std::clamp(Dot(p - a, ab) / Dot(ab, ab), 0.0, 1.0);
        const Vec q{a.x + ab.x * t, a.y + ab.y * t};
        return Length(p - q) - (ra + (rb - ra) * t);
    };
}

// A slanted bar: a parallelogram with its top edge shifted right by `slant`.
Shape Bar(double x, double y, double w, double h, double slant) {
    return [=](Vec p) {
        const double shift = slant * (y + h - p.y) / h;
        const double dx = std::max(x + shift - p.x, p.x - (x + shift + w));
        const double dy = std::max(y - p.y, p.y - (y + h));
        return std::max(dx, dy);
    };
}

Shape Ellipse(Vec c, double rx, double ry) {
    return [=](Vec p) {
        const double nx = (p.x - c.x) / rx, ny = (p.y - c.y) / ry;
        return (std::sqrt(nx * nx + ny * ny) - 1.0) * std::min(rx, ry);
    };
}

std::vector<Shape> Scene() {
    std::vector<Shape> s;
    // The figure, leaping to the right: head, torso, arms, legs.
    s.push_back(Disc({418, 200}, 34));
    s.push_back(Capsule({404, 248}, {372, 352}, 34, 30));
    s.push_back(Capsule({396, 262}, {470, 228}, 15, 12));   // upper arm, reaching
    s.push_back(Capsule({470, 228}, {540, 176}, 12, 10));   // forearm
    s.push_back(Disc({548, 170}, 18));                        // fist
    s.push_back(Capsule({388, 270}, {322, 300}, 14, 11));   // trailing arm
    s.push_back(Capsule({322, 300}, {276, 268}, 11, 10));
    s.push_back(Capsule({380, 346}, {452, 394}, 22, 17));   // front thigh
    s.push_back(Capsule({452, 394}, {438, 470}, 17, 14));   // shin
    s.push_back(Capsule({438, 470}, {474, 482}, 12, 10));   // foot
    s.push_back(Capsule({364, 350}, {300, 410}, 22, 17));   // back thigh
    s.push_back(Capsule({300, 410}, {224, 424}, 16, 13));   // shin
    s.push_back(Capsule({224, 424}, {206, 396}, 11, 10));   // foot

    // Ink splashes: a main blot with droplets.
    s.push_back(Ellipse({140, 150}, 62, 48));
    s.push_back(Disc({214, 118}, 13));
    s.push_back(Disc({92, 214}, 10));
    s.push_back(Disc({200, 206}, 8));
    s.push_back(Ellipse({660, 470}, 54, 40));
    s.push_back(Disc({604, 532}, 12));
    s.push_back(Disc({728, 418}, 9));
    s.push_back(Disc({720, 520}, 6));

    // Lettering-like bars, top right: three italic blocks and an exclamation.
    s.push_back(Bar(580, 48, 34, 110, 18));
    s.push_back(Bar(630, 48, 34, 110, 18));
    s.push_back(Bar(680, 48, 34, 110, 18));
    s.push_back(Bar(736, 48, 22, 80, 14));
    s.push_back(Ellipse({741, 146}, 12, 12));
    return s;
}

// Ink coverage of one pixel: 4 x 4 sub-samples against the union of shapes.
double Coverage(const std::vector<Shape>& shapes, int x, int y) {
    int inside = 0;
    for (int sy = 0; sy < 4; ++sy) {
        for (int sx = 0; sx < 4; ++sx) {
            const Vec p{x + (sx + 0.5) / 4.0, y + (sy + 0.5) / 4.0};
            for (const Shape& shape : shapes) {
                if (shape(p) <= 0.0) {
                    ++inside;
                    break;
                }
            }
        }
    }
    return inside / 16.0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-sample OUT.png\n");
        return 2;
    }
    const std::vector<Shape> shapes = Scene();
    std::vector<unsigned char> rgba(size_t(kWidth) * kHeight * 4);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const auto v = static_cast<unsigned char>(
                std::lround(255.0 * (1.0 - Coverage(shapes, x, y))));
            unsigned char* px = &rgba[(size_t(y) * kWidth + x) * 4];
            px[0] = px[1] = px[2] = v;
            px[3] = 255;
        }
    }
    if (stbi_write_png(argv[1], kWidth, kHeight, 4, rgba.data(), kWidth * 4) == 0) {
        std::fprintf(stderr, "make-sample: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
