// Settings snapshot and the templates' default base points.
#include "controller/settings.h"

#include <cmath>
#include <limits>

namespace velmora {

RenderSnapshot MakeSnapshot(const EffectSettings& s) {
    RenderSnapshot snap;
    RenderSettings& r = snap.settings;
    r.type = s.type;
    ForEachSetting([&](const SettingRow&, auto field) { field(r) = field(s); });
    // Pen start and end are pixels when distance-based, else thousandths.
    r.in = s.asdist ? static_cast<double>(s.in) : s.in / 1000.0;
    r.out = s.asdist ? static_cast<double>(s.out) : s.out / 1000.0;
    snap.p1 = s.p1;
    snap.p2 = s.p2;
    snap.p3 = s.p3;
    return snap;
}

PointFraction TemplatePoint(int32_t type, int index) {
    static constexpr PointFraction kPoints[3][3] = {
        {{0.5, 0.5}, {0.5, 0.325}, {0.5, 0.125}},      // radial: centre, then upwards
        {{0.25, 0.875}, {0.25, 0.125}, {0.75, 0.875}},  // parallel
        {{0.25, 0.5}, {0.75, 0.5}, {0.5, 0.25}},        // concentric
    };
    if (type < kTemplateRadial || type > kTemplateConcentric) type = kTemplateRadial;
    if (index < 0 || index > 2) return {};
    return kPoints[type][index];
}

int32_t ScaleToCanvas(int32_t extent, double fraction) {
    const double v = static_cast<double>(extent) * fraction;
    if (std::isnan(v)) return 0;
    if (v >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
        return std::numeric_limits<int32_t>::max();
    }
    if (v <= static_cast<double>(std::numeric_limits<int32_t>::min())) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(v);  // truncates toward zero
}

}  // namespace velmora
