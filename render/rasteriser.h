// Antialiased pen dabs into the coverage buffer, and ink sampling of the
// source layer. Both are called from every worker at once.
#pragma once

#include <cstddef>
#include <cstdint>

#include "render/stroke_context.h"

namespace velmora {

// One disc of the given diameter centred at (cx, cy); pixel (x, y) spans
// [x, x+1) x [y, y+1). Coverage combines by maximum; the dirty box grows.
void Stamp(StrokeContext& context, double cx, double cy, double diameter);

// One pen disc: its centre and diameter, in canvas pixels.
struct Disc {
    double cx;
    double cy;
    double diameter;
};

// A disc of a stroke between its neighbours there, each of which is stamped
// whole (before it, or after it) or null. A pixel nearer, by a margin, to a
// neighbour no narrower than this disc gets no more from this disc than from
// that neighbour (every sub-point weighs no more), so it is passed by:
// coverage only rises, and the neighbour puts its value there, or passes the
// pixel by for a neighbour of its own that is nearer still. The disc
// nearest to a pixel never passes it by.
void StampBetween(StrokeContext& context, const Disc& disc, const Disc* before, const Disc* after);

// The discs of one stroke, each stamped between neighbours: the latest of
// the last two discs stamped, and the first of the next two, that lie at
// least kApart from it (a step's last disc and the next step's first often
// nearly coincide, and so lean on nothing in each other). A disc is stamped
// once two more are known. Flush stamps the rest and starts afresh; it must
// come before the trail is dropped, and where the stroke's discs stop being
// stamped in a row.
class DiscTrail {
public:
    static constexpr double kApart = 0.25;

    void Place(StrokeContext& context, const Disc& disc) {
        pending_[pendingCount_++] = disc;
        if (pendingCount_ == 3) StampFirst(context);
    }
    void Flush(StrokeContext& context) {
        while (pendingCount_ > 0) StampFirst(context);
        stampedCount_ = 0;
    }

private:
    void StampFirst(StrokeContext& context);

    Disc stamped_[2]{};  // the latest first
    Disc pending_[3]{};  // the earliest first
    int stampedCount_ = 0;
    int pendingCount_ = 0;
};

// The dirty box that dabs wholly off the canvas would grow, gathered on one
// thread and added at once: the same growth as stamping them, without their
// pixel work or a shared update per dab.
struct DabBox {
    int32_t x0 = INT32_MAX;
    int32_t y0 = INT32_MAX;
    int32_t x1 = INT32_MIN;
    int32_t y1 = INT32_MIN;
    void Add(const StrokeContext& context, double cx, double cy, double diameter);
    void GrowDirty(StrokeContext& context) const;
};

// Ink value 0..255 at pixel (x, y), or -1 outside the canvas. Inline: the
// ink scan calls it at every step.
inline int32_t SampleInk(const StrokeContext& context, int32_t x, int32_t y) {
    const PixelBlock& source = context.source;
    if (x < 0 || x >= source.width || y < 0 || y >= source.height || !source.pixels) return -1;

    const uint8_t* p = source.pixels + static_cast<ptrdiff_t>(y) * source.rowBytes +
                       static_cast<ptrdiff_t>(x) * source.pixelBytes;
    const uint8_t* order = source.order;
    int32_t lightness = 255;
    int32_t alpha = p[0];
    switch (source.layout) {
        case kLayoutRgba:
            lightness = (p[order[1]] * 150 + p[order[0]] * 77 + p[order[2]] * 29) >> 8;
            alpha = p[order[3]];
            break;
        case kLayoutGrey:
            lightness = p[order[0]];
            alpha = p[order[1]];
            break;
        default:  // one channel: opacity only, never ink
            break;
    }

    int32_t opacity = alpha;
    if (context.mask.pixels) {
        const ptrdiff_t at = static_cast<ptrdiff_t>(x) +
                             static_cast<ptrdiff_t>(y) * context.mask.rowBytes;
        opacity = (context.mask.pixels[at] * alpha + 127) / 255;
    }

    const int32_t darkness = 255 - lightness;
    if (opacity > 254) return darkness;
    if (opacity > 0 && darkness != 0) {
        const int32_t q = darkness * opacity;
        if (q < 256) return 0;
        if (q < 65280) return q >> 8;
        return 255;
    }
    return 0;
}

}  // namespace velmora
