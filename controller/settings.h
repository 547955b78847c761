// The effect's settings as the panel edits them, and the per-pass snapshot.
#pragma once

#include <cstdint>

#include "data/setting_table.h"
#include "layout/layout_context.h"
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

// The settings of one pass: what the strokes read and what the layouts read.
struct RenderSettings : StrokeSettings, LayoutSettings {};

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
