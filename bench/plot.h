// A small line plot as a PNG: measured points joined by lines, beside the
// line of proportional growth from the first point. Both axes logarithmic.
#pragma once

#include <string>
#include <vector>

namespace velmora::bench {

struct PlotPoint {
    double x;
    double y;
};

// Writes a 640 x 400 picture; false when the file cannot be written.
bool WriteGrowthPlot(const std::string& path, const std::vector<PlotPoint>& points);

}  // namespace velmora::bench
