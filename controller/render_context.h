// Shared state of one render pass: what the layout and its stroke tasks
// read and write (LayoutContext, StrokeContext), and the pass's progress.
#pragma once

#include <chrono>
#include <cstdint>

#include "controller/settings.h"
#include "host/layer_block.h"
#include "layout/layout_context.h"

namespace velmora {

// Layout code for a host channel kind: 3 -> 0, 2 and 6 -> 1, else 3.
uint8_t LayoutCodeForKind(int32_t kind);
// Pixel stride of a layout code: 0: 4, 1: 2, 2: 5, 3: 1.
int32_t PixelBytesForLayout(uint8_t layout);
// The pixel block of a layer (layout, channel order, pixels, sizes).
PixelBlock MakePixelBlock(const LayerBlock& layer);

struct RenderContext : LayoutContext {
    void* progressData = nullptr;
    bool (*progressFn)(int total, int done, void* data) = nullptr;

    // workers: the pool's worker count, 0 for one per logical processor.
    explicit RenderContext(unsigned workers = 0);

    // The pass's settings, as the layout and the strokes read them.
    void UseSettings(const RenderSettings& settings);
};

// The pool's progress function for a pass; data is the RenderContext.
bool progressRelay(int total, int done, void* context);
// The pool's heartbeat for a pass (RenderContext::Heartbeat); false: stop.
bool heartbeatRelay(void* context);

// Longest time the pass's thread goes without asking the host whether to go on.
inline constexpr std::chrono::milliseconds kContactInterval{20};

}  // namespace velmora
