// OffscreenService: the host's layers, their sizes and channel layout, and
// copies of their pixels to and from the module's bitmaps.
#include <algorithm>
#include <cstring>

#include "tools/host_core/services.h"
#include "tools/host_core/slot.h"

namespace velmora::hostcore {

using namespace slot;

namespace {

constexpr Service kTable = Service::kOffscreen;

// The body on an offscreen the host knows; an unknown one fails.
template <typename Body, typename... Out>
HostInt OnOffscreen(const char* name, HostOffscreen o, Body body, Out*... outs) {
    return Run(kTable, name, {}, [&](HostCore& h) {
        const Offscreen* off = h.GetOffscreen(o);
        if (off == nullptr) return Refuse(h, std::string(name) + ": unknown offscreen");
        body(*off);
        return kOk;
    }, outs...);
}

// Whole pixels of an image for a copy: its size, pixel bytes and rows.
struct PixelGrid {
    int32_t width;
    int32_t height;
    int32_t pixelBytes;
    uint8_t* base;
    size_t rowBytes;
    uint8_t* At(int32_t x, int32_t y) const {
        return base + size_t(y) * rowBytes + size_t(x) * pixelBytes;
    }
};

PixelGrid GridOf(Bitmap& b) {
    return {b.width, b.height, b.pixelBytes, b.pixels.data(), size_t(b.rowBytes)};
}

PixelGrid GridOf(Offscreen& o) {
    return {o.width, o.height, o.channels, o.pixels.data(), size_t(o.width) * o.channels};
}

// Copies whole pixels of a width x height box, clipped to both images.
void CopyBox(HostCore& h, const char* where, const PixelGrid& dst, HostPoint dp,
             const PixelGrid& src, HostPoint sp, int32_t width, int32_t height) {
    if (dst.pixelBytes != src.pixelBytes) {
        h.Fault(std::string(where) + ": pixel sizes differ (" + Num(dst.pixelBytes) + " vs " +
                Num(src.pixelBytes) + ")");
    }
    const int32_t n = std::min(dst.pixelBytes, src.pixelBytes);
    // Columns inside both images; pixels of one row lie side by side in
    // both, so equal pixel sizes copy a row's stretch at once.
    int64_t xFirst = 0, xEnd = width;
    xFirst = std::max({xFirst, -int64_t(sp.x), -int64_t(dp.x)});
    xEnd = std::min({xEnd, int64_t(src.width) - sp.x, int64_t(dst.width) - dp.x});
    for (int32_t y = 0; y < height; ++y) {
        const int64_t sy = int64_t(sp.y) + y, dy = int64_t(dp.y) + y;
        if (sy < 0 || dy < 0 || sy >= src.height || dy >= dst.height) continue;
        if (dst.pixelBytes == src.pixelBytes) {
            if (xFirst < xEnd)
                std::memmove(dst.At(int32_t(dp.x + xFirst), int32_t(dy)),
                             src.At(int32_t(sp.x + xFirst), int32_t(sy)),
                             size_t(xEnd - xFirst) * size_t(n));
            continue;
        }
        for (int32_t x = 0; x < width; ++x) {
            const int64_t sx = int64_t(sp.x) + x, dx = int64_t(dp.x) + x;
            if (sx < 0 || dx < 0 || sx >= src.width || dx >= dst.width) continue;
            std::copy_n(src.At(int32_t(sx), int32_t(sy)), n, dst.At(int32_t(dx), int32_t(dy)));
        }
    }
}

// A copy between a bitmap and an offscreen, either way, once both are
// known and both points are there.
HostInt CopySlot(const char* name, bool toBitmap, HostBitmap bitmap, HostOffscreen offscreen,
                 const HostPoint* dstPoint, const HostPoint* srcPoint, HostInt width,
                 HostInt height, HostInt mode) {
    const std::string detail = Num(width) + "x" + Num(height) + " mode " + Num(mode);
    return Run(kTable, name, detail, [&](HostCore& h) {
        Bitmap* b = h.GetBitmap(bitmap);
        Offscreen* o = h.GetOffscreen(offscreen);
        if (b == nullptr || o == nullptr || dstPoint == nullptr || srcPoint == nullptr) {
            return Refuse(h, std::string(name) + ": unknown bitmap or offscreen, or null point");
        }
        const PixelGrid bitmapGrid = GridOf(*b), offscreenGrid = GridOf(*o);
        CopyBox(h, name, toBitmap ? bitmapGrid : offscreenGrid, *dstPoint,
                toBitmap ? offscreenGrid : bitmapGrid, *srcPoint, width, height);
        return kOk;
    });
}

}  // namespace

OffscreenService OffscreenSlots() {
    OffscreenService t{};
    t.width = [](HostInt* out, HostOffscreen o) {
        return OnOffscreen("width", o, [&](const Offscreen& off) { *out = off.width; }, out);
    };
    t.height = [](HostInt* out, HostOffscreen o) {
        return OnOffscreen("height", o, [&](const Offscreen& off) { *out = off.height; }, out);
    };
    t.channelKind = [](HostInt* out, HostOffscreen o) {
        return OnOffscreen("channelKind", o, [&](const Offscreen& off) { *out = off.kind; }, out);
    };
    t.colourIndices = [](HostInt* r, HostInt* g, HostInt* b, HostOffscreen o) {
        return OnOffscreen("colourIndices", o, [&](const Offscreen& off) {
            *r = off.colourIndices[0];
            *g = off.colourIndices[1];
            *b = off.colourIndices[2];
        }, r, g, b);
    };
    t.fourIndices = [](HostInt* c0, HostInt* c1, HostInt* c2, HostInt* c3, HostOffscreen o) {
        return OnOffscreen("fourIndices", o, [&](const Offscreen& off) {
            *c0 = off.fourIndices[0];
            *c1 = off.fourIndices[1];
            *c2 = off.fourIndices[2];
            *c3 = off.fourIndices[3];
        }, c0, c1, c2, c3);
    };
    t.copyToBitmap = [](HostBitmap dst, const HostPoint* dstPoint, HostOffscreen src,
                        const HostPoint* srcPoint, HostInt width, HostInt height, HostInt mode) {
        return CopySlot("copyToBitmap", true, dst, src, dstPoint, srcPoint, width, height, mode);
    };
    t.copyFromBitmap = [](HostOffscreen dst, const HostPoint* dstPoint, HostBitmap src,
                          const HostPoint* srcPoint, HostInt width, HostInt height, HostInt mode) {
        return CopySlot("copyFromBitmap", false, src, dst, dstPoint, srcPoint, width, height,
                        mode);
    };
    return t;
}

}  // namespace velmora::hostcore
