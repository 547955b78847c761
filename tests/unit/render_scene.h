// A small canvas for render tests: an RGBA source the test owns, wired into
// a RenderContext with zeroed coverage and an empty dirty box.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "controller/render_context.h"
#include "render/path_task.h"
#include "render/template_kind.h"

namespace velmora::test {

struct Scene {
    Scene(int32_t width, int32_t height, unsigned workers = 1)
        : context(std::make_unique<RenderContext>(workers)),
          pixels(static_cast<size_t>(width) * height * 4, 0) {
        PixelBlock& s = context->source;
        s.layout = kLayoutRgba;
        s.order[0] = 0;
        s.order[1] = 1;
        s.order[2] = 2;
        s.order[3] = 3;
        s.pixels = pixels.data();
        s.width = width;
        s.height = height;
        s.rowBytes = width * 4;
        s.pixelBytes = 4;
        context->stroke.size = 2.0;
        context->stroke.hardness = 1.0;
        context->AllocateCoverage();
    }

    // Paints pixels [x0, x1) x [y0, y1) with (r, g, b, a).
    void Paint(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t r = 0, uint8_t g = 0,
               uint8_t b = 0, uint8_t a = 255) {
        for (int32_t y = y0; y < y1; ++y)
            for (int32_t x = x0; x < x1; ++x) {
                uint8_t* p = &pixels[(static_cast<size_t>(y) * Width() + x) * 4];
                p[0] = r;
                p[1] = g;
                p[2] = b;
                p[3] = a;
            }
    }
    void InkAll() { Paint(0, 0, Width(), Height()); }

    int32_t Width() const { return context->source.width; }
    int32_t Height() const { return context->source.height; }
    uint8_t At(int32_t x, int32_t y) const {
        return context->coverage[static_cast<size_t>(y) * Width() + x];
    }
    std::vector<uint8_t> Coverage() const {
        return std::vector<uint8_t>(context->coverage.get(),
                                    context->coverage.get() + static_cast<size_t>(Width()) * Height());
    }
    int CountNonZero() const {
        const uint8_t* c = context->coverage.get();
        const size_t count = static_cast<size_t>(Width()) * Height();
        int n = 0;
        for (size_t i = 0; i < count; ++i) n += c[i] != 0;
        return n;
    }
    std::vector<int32_t> Dirty() const {
        return {context->dirty.x0.load(), context->dirty.y0.load(), context->dirty.x1.load(),
                context->dirty.y1.load()};
    }

    // A task whose path is the polyline through points (closed for rings).
    std::shared_ptr<PathTask> Task(const std::vector<PathPoint>& points,
                                   const Point32* centre = nullptr) const {
        auto task = std::make_shared<PathTask>(*context, centre);
        for (size_t i = 0; i < points.size(); ++i) {
            PathCommand command;
            command.kind = i == 0 ? kMoveTo : kLineTo;
            command.points.push_back(points[i]);
            task->path.commands.push_back(command);
        }
        return task;
    }

    // The runs the ink scan finds for a task (flattened as Execute does).
    std::vector<StrokeRun> Scan(PathTask& task) const {
        task.path.Flatten(context->stroke.type == kTemplateConcentric);
        std::vector<StrokeRun> runs;
        task.ScanInk(runs);
        return runs;
    }

    std::unique_ptr<RenderContext> context;
    std::vector<uint8_t> pixels;
};

}  // namespace velmora::test
