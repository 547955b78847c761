// The effect's settings as the panel edits them, and the per-pass snapshot.
#pragma once

#include <cstdint>

#include "data/setting_table.h"
#include "render/point32.h"
#include "render/template_kind.h"

namespace velmora {

struct EffectSettings {
    bool savePreset = false;
    int32_t type = kTemplateRadial;
    Point32 p1;
    Point32 p2;
    Point32 p3;
    int32_t guide = 0;
    VELMORA_SETTING_TABLE(VELMORA_SETTING_FIELD)
};

struct RenderSettings {
    int32_t type = 0;
    double curvature = 0.0;
    double size = 0.0;
    double hardness = 0.0;
    double fluction = 0.0;
    double in = 0.0;   // pixels when asdist, else a fraction of half the run
    double out = 0.0;
    bool asdist = false;
    bool easing = false;
    int32_t position = 0;
    double posfluct = 0.0;
    int32_t length = 0;
    double lenfluct = 0.0;
    int32_t spacing = 0;
    double spcfluct = 0.0;
    double lengain = 0.0;
    double spcgain = 0.0;
    bool connect = false;
};

// What PrepareRender takes: the settings plus the three base points.
struct RenderSnapshot {
    RenderSettings settings;
    Point32 p1;
    Point32 p2;
    Point32 p3;
};

// in/out divided by 1000 unless asdist.
RenderSnapshot MakeSnapshot(const EffectSettings& settings);

struct PointFraction {
    double fx = 0.0;
    double fy = 0.0;
};

// Default position of base point index (0..2) for a template, as fractions
// of the canvas width and height.
PointFraction TemplatePoint(int32_t type, int index);

// trunc(extent * fraction), saturating at the int32 range, NaN to 0.
int32_t ScaleToCanvas(int32_t extent, double fraction);

}  // namespace velmora
