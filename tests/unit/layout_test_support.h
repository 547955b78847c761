// Scenes for the layout tests: a layout context with a canvas size and a
// guide, and the paths of the tasks a layout queued.
#pragma once

#include <memory>
#include <vector>

#include "layout/layout_context.h"
#include "render/ring_stream.h"
#include "render/path_parser.h"
#include "render/path_task.h"

namespace velmora::testing {

inline PathParser StraightGuide() {
    PathParser guide;
    guide.commands = {{kMoveTo, {{0, 10}}}, {kLineTo, {{100, 10}}}};
    guide.width = 100;
    return guide;
}

inline PathParser CurveGuide() {
    PathParser guide;
    guide.commands = {{kMoveTo, {{0, 50}}}, {kQuadTo, {{50, 0}, {100, 50}}}};
    guide.width = 100;
    return guide;
}

// One worker, so a test doesn't spawn a thread per core.
struct Scene {
    explicit Scene(int32_t width = 1000, int32_t height = 1000) : context(1) {
        context.source.width = width;
        context.source.height = height;
        context.settings.spacing = 50;
        context.settings.curvature = 1.0;
        context.guidePath = &guide;
    }
    std::vector<const PathTask*> Tasks() const {
        std::vector<const PathTask*> tasks;
        // The pool keeps its references until it runs.
        for (const auto& task : context.pool.Pending()) {
            tasks.push_back(dynamic_cast<const PathTask*>(task.get()));
        }
        return tasks;
    }
    std::vector<std::vector<PathPoint>> Paths() const {
        std::vector<std::vector<PathPoint>> paths;
        for (const PathTask* task : Tasks()) {
            std::vector<PathPoint> points;
            // A ring whose vertices its task makes when it runs: made here.
            PathParser planned;
            const bool stored = task->streamedRing && task->streamedRing->stored;
            if (stored) BuildPlannedRing(*task->streamedRing, planned);
            for (const PathCommand& command : (stored ? planned : task->path).commands) {
                points.insert(points.end(), command.points.begin(), command.points.end());
            }
            paths.push_back(points);
        }
        return paths;
    }

    PathParser guide = StraightGuide();
    LayoutContext context;
};

}  // namespace velmora::testing
