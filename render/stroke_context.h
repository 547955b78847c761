// What a stroke task reads and writes in a render pass: the source pixels
// and selection, the pen settings, the coverage buffer and its dirty box,
// the literal-step bits and the work each line may take.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

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

// Steps a pass may take literally, one by one, instead of by the shortcuts
// that stand for them (bits of StrokeContext::literal). Each shortcut gives
// the same bytes as its steps; tests compare the two.
enum LiteralSteps : uint32_t {
    kLiteralLayout = 1u << 0,  // every line and ring of a layout, no cull or jump
    kLiteralScan = 1u << 1,    // every pixel of the ink scan
    kLiteralRings = 1u << 2,   // every ring built and stored whole
    kLiteralDraw = 1u << 3,    // every step and disc of a stroke
    kLiteralLaps = 1u << 4,    // every lap of a walk round a ring
    kLiteralAll = ~0u,
};

// The settings a stroke reads: how runs are found, lengthened and shifted,
// and the pen that draws them.
struct StrokeSettings {
    int32_t type = 0;  // the template (TemplateKind)
    double size = 0.0;
    double hardness = 0.0;
    double fluction = 0.0;
    double in = 0.0;  // pixels when asdist, else a fraction of half the run
    double out = 0.0;
    bool asdist = false;
    bool easing = false;
    int32_t position = 0;
    double posfluct = 0.0;
    int32_t length = 0;
    double lenfluct = 0.0;
    double lengain = 0.0;
    bool connect = false;
};

// Coverage tiles are 8 x 8 pixels: a pixel's tile is (x >> 3, y >> 3).
constexpr int kTileShift = 3;
constexpr int kTileSide = 1 << kTileShift;

struct StrokeContext;
// A disc rasteriser with Stamp's signature.
using StampFunction = void (*)(StrokeContext& context, double cx, double cy, double diameter);

struct StrokeContext {
    StrokeSettings stroke;
    PixelBlock source;
    MaskBlock mask;
    std::unique_ptr<uint8_t[]> coverage;  // source.width * source.height bytes
    // Per coverage tile, row by row: not 0 once every pixel of the tile is
    // known to be 255, so that a dab can pass the tile by. Null: no tiles.
    std::unique_ptr<uint8_t[]> fullTiles;
    int32_t tileColumns = 0;
    DirtyBox dirty;
    // LiteralSteps this pass takes one by one. The module leaves it 0; it is
    // read once per line, ring or run, never per step.
    uint32_t literal = 0;

    // Work one line or ring may take in this pass; a task past any of them
    // is left out (draws nothing). Unlimited until set.
    size_t lineSegmentLimit = SIZE_MAX;     // segments of its flattened path
    uint64_t lineSampleLimit = UINT64_MAX;  // ink samples of its scan
    uint64_t lineStepLimit = UINT64_MAX;    // pen steps of its runs

    // Seams a test or benchmark sets through the controller; the module
    // leaves them as they are. stamp: the strokes' discs go to it instead
    // of Stamp. portableStamp: Stamp keeps to the pixel loops of processors
    // without AVX2.
    StampFunction stamp = nullptr;
    bool portableStamp = false;

    // Zeroed coverage of source.width x source.height, its tiles none full,
    // and an empty box.
    void AllocateCoverage();
};

}  // namespace velmora
