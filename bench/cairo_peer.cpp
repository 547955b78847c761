#include "bench/cairo_peer.h"

#include <cairo.h>

#include <chrono>
#include <numbers>

namespace velmora::bench {

double CairoFillSeconds(int32_t width, int32_t height, const std::vector<Disc>& discs) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgba(cr, 0, 0, 0, 1);
    const auto start = std::chrono::steady_clock::now();
    for (const Disc& d : discs) {
        cairo_new_path(cr);
        cairo_arc(cr, d.cx, d.cy, d.diameter * 0.5, 0, 2 * std::numbers::pi);
        cairo_fill(cr);
    }
    cairo_surface_flush(surface);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return seconds;
}

}  // namespace velmora::bench
