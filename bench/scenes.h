// Ink pictures of the benchmark workloads, made from simple shapes.
#pragma once

#include <cstdint>
#include <vector>

namespace velmora::bench {

struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgba;  // 4 bytes a pixel, rows packed
};

// A disc in the middle, a tall bar on the left, a low bar on the right,
// all scaled to the canvas; transparent elsewhere.
Picture ShapesScene(int32_t width, int32_t height);
// Black discs on a grid, covering about half of the canvas.
Picture BlobScene(int32_t width, int32_t height);
// A comic page: white paper, panel borders, figures, bubbles and hatching.
Picture PageScene(int32_t width, int32_t height);

}  // namespace velmora::bench
