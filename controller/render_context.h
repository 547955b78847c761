// Shared state of one render pass: settings, template geometry, the source
// pixels and selection, the coverage buffer, the dirty box and the pool.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "controller/settings.h"
#include "host/layer_block.h"
#include "layout/ring_shape.h"
#include "render/path_parser.h"
#include "render/thread_pool.h"

namespace velmora {

// Layout codes of a pixel block.
enum LayoutCode : uint8_t {
    kLayoutRgba = 0,     // three colour channels and alpha
    kLayoutGrey = 1,     // one value channel and alpha
    kLayoutFive = 2,     // four colour channels and alpha (defined, not produced)
    kLayoutSingle = 3,   // one byte
};

struct PixelBlock {
    uint8_t layout = kLayoutSingle;
    uint8_t order[5] = {0, 0, 0, 0, 0};
    const uint8_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t rowBytes = 0;
    int32_t pixelBytes = 0;
};

struct MaskBlock {
    int32_t rowBytes = 0;
    const uint8_t* pixels = nullptr;  // null: no selection
};

// Box of touched pixels, x1/y1 exclusive; empty as (width, height, 0, 0).
// Grown by every worker at once, so each bound is atomic.
struct DirtyBox {
    std::atomic<int32_t> x0{0};
    std::atomic<int32_t> y0{0};
    std::atomic<int32_t> x1{0};
    std::atomic<int32_t> y1{0};
    void Reset(int32_t width, int32_t height) {
        x0 = width;
        y0 = height;
        x1 = 0;
        y1 = 0;
    }
    bool Empty() const { return x0.load() >= x1.load() || y0.load() >= y1.load(); }
};

using Points3 = std::array<Point32, 3>;

// Steps a pass may take literally, one by one, instead of by the shortcuts
// that stand for them (bits of RenderContext::literal). Each shortcut gives
// the same bytes as its steps; tests compare the two.
enum LiteralSteps : uint32_t {
    kLiteralLayout = 1u << 0,  // every line and ring of a layout, no cull or jump
    kLiteralScan = 1u << 1,    // every pixel of the ink scan
    kLiteralRings = 1u << 2,   // every ring built and stored whole
    kLiteralDraw = 1u << 3,    // every step and disc of a stroke
    kLiteralLaps = 1u << 4,    // every lap of a walk round a ring
    kLiteralAll = ~0u,
};

// Layout code for a host channel kind: 3 -> 0, 2 and 6 -> 1, else 3.
uint8_t LayoutCodeForKind(int32_t kind);
// Pixel stride of a layout code: 0: 4, 1: 2, 2: 5, 3: 1.
int32_t PixelBytesForLayout(uint8_t layout);
// The pixel block of a layer (layout, channel order, pixels, sizes).
PixelBlock MakePixelBlock(const LayerBlock& layer);

struct RenderContext {
    // Declared first so it is destroyed last, after the buffers.
    ThreadPool pool;

    std::atomic<bool> cancelled{false};
    RenderSettings settings;
    std::unique_ptr<RingShape> ring;
    std::unique_ptr<Points3> parallelPoints;
    std::unique_ptr<Points3> radialPoints;
    PathParser* guidePath = nullptr;  // borrowed from the guide list
    PixelBlock source;
    MaskBlock mask;
    std::unique_ptr<uint8_t[]> coverage;  // source.width * source.height bytes
    DirtyBox dirty;
    // Test seam: LiteralSteps this pass takes one by one. The module leaves
    // it 0; it is read once per line, ring or run, never per step.
    uint32_t literal = 0;
    // Set by the concentric layout once the guide's open flattening can no
    // longer change from ring to ring.
    bool ringGuideFlat = false;
    void* progressData = nullptr;
    bool (*progressFn)(int total, int done, void* data) = nullptr;

    // Work one line or ring may take in this pass, set by the run cycle once
    // the layout has queued its tasks; a task past any of them is left out
    // (draws nothing). Unlimited until set.
    size_t lineSegmentLimit = SIZE_MAX;     // segments of its flattened path
    uint64_t lineSampleLimit = UINT64_MAX;  // ink samples of its scan
    uint64_t lineStepLimit = UINT64_MAX;    // pen steps of its runs

    // Keeps in touch with the host while the pass's thread works: asks it
    // whether to go on when kContactInterval has passed since the last
    // request (data: progressData); false once the host asked to stop.
    bool (*contactFn)(void* data) = nullptr;
    // Called often from long work on the pass's thread (the layout, and the
    // pool while no task finishes). True once the pass is to stop.
    bool Heartbeat();

    RenderContext() = default;
    explicit RenderContext(unsigned workers) : pool(workers) {}

    // Zeroed coverage of source.width x source.height and an empty box.
    void AllocateCoverage();
};

// The pool's progress function for a pass; data is the RenderContext.
bool progressRelay(int total, int done, void* context);
// The pool's heartbeat for a pass (RenderContext::Heartbeat); false: stop.
bool heartbeatRelay(void* context);

// Longest time the pass's thread goes without asking the host whether to go on.
inline constexpr std::chrono::milliseconds kContactInterval{20};

}  // namespace velmora
