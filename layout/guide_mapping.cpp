#include "layout/guide_mapping.h"

#include <cmath>

namespace velmora {

void MapGuide(const PathParser& guide, PathParser& taskPath, PathPoint start, double phi,
              double k, double c) {
    if (guide.commands.empty() || guide.commands.front().points.empty()) return;
    const PathPoint g0 = guide.commands.front().points.front();
    const double cosPhi = std::cos(phi);
    const double sinPhi = std::sin(phi);

    taskPath.commands.reserve(taskPath.commands.size() + guide.commands.size());
    for (const PathCommand& command : guide.commands) {
        PathCommand mapped;
        mapped.kind = command.kind;
        mapped.points.reserve(command.points.size());
        for (const PathPoint& p : command.points) {
            const double u = (p.x - g0.x) * k;  // along the line
            const double v = (p.y - g0.y) * c;  // across it, towards phi + 90 degrees
            mapped.points.push_back({start.x + u * cosPhi - v * sinPhi,
                                     start.y + u * sinPhi + v * cosPhi});
        }
        taskPath.commands.push_back(std::move(mapped));
    }
}

bool RoomToMap(const PathParser& guide, int64_t& mapped) {
    const int64_t commands = static_cast<int64_t>(guide.commands.size());
    if (commands > kMaxMappedCommands - mapped) return false;
    mapped += commands;
    return true;
}

// A guide maps onto a line only with an origin and a finite, non-zero width
// (the along scale divides by it). The radial and parallel layouts lay out
// no line for any other guide rather than make infinite or NaN geometry.
bool GuideIsMappable(const PathParser& guide) {
    return !guide.commands.empty() && !guide.commands.front().points.empty() &&
           std::isfinite(guide.width) && guide.width != 0.0;
}

}  // namespace velmora
