// What a template layout reads and writes in a render pass: the spacing
// settings, the template's base points, the guide, the pool its stroke
// tasks go to, and the way to keep in touch with the host while it works.
// A stroke task sees the StrokeContext part alone.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "layout/ring_shape.h"
#include "render/path_parser.h"
#include "render/point32.h"
#include "render/stroke_context.h"
#include "render/thread_pool.h"

namespace velmora {

using Points3 = std::array<Point32, 3>;

// The settings a layout reads: where its lines or rings go and how they bend.
struct LayoutSettings {
    double curvature = 0.0;
    int32_t spacing = 0;
    double spcfluct = 0.0;
    double spcgain = 0.0;
};

struct LayoutContext : StrokeContext {
    // Destroyed before the stroke record's buffers: no worker outlives them.
    ThreadPool pool;

    std::atomic<bool> cancelled{false};
    LayoutSettings settings;
    // The base points of the pass's template; the others stay null.
    std::unique_ptr<RingShape> ring;
    std::unique_ptr<Points3> parallelPoints;
    std::unique_ptr<Points3> radialPoints;
    PathParser* guidePath = nullptr;  // borrowed from the guide list
    // Set by the concentric layout once the guide's open flattening can no
    // longer change from ring to ring.
    bool ringGuideFlat = false;

    // Keeps in touch with the host while the pass's thread works: asks it
    // whether to go on when enough time has passed since the last request
    // (data: contactData); false once the host asked to stop.
    bool (*contactFn)(void* data) = nullptr;
    void* contactData = nullptr;
    // Called often from long work on the pass's thread (the layout, and the
    // pool while no task finishes). True once the pass is to stop.
    bool Heartbeat();

    LayoutContext() = default;
    explicit LayoutContext(unsigned workers) : pool(workers) {}
};

}  // namespace velmora
