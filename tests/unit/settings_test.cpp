// Default settings, the per-pass snapshot and the templates' default points.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "controller/settings.h"
#include "controller/velmora_manager.h"
#include "tests/expect_settings.h"

namespace velmora {
namespace {

using testing::ExpectSettings;
using testing::NamedSettings;
using testing::SetSettings;

TEST(EffectSettings, FreshControllerHoldsTheDefaults) {
    VelmoraManager manager;
    const EffectSettings& s = manager.settings;
    EXPECT_FALSE(s.savePreset);
    EXPECT_EQ(s.type, 0);
    EXPECT_EQ(s.p1, (Point32{0, 0}));
    EXPECT_EQ(s.p2, (Point32{0, 0}));
    EXPECT_EQ(s.p3, (Point32{0, 0}));
    EXPECT_EQ(s.guide, 0);
    ExpectSettings(s, {{"curvature", 1.0}, {"size", 2.0}, {"hardness", 1.0},
                       {"fluction", 0.0}, {"in", 500}, {"out", 500},
                       {"asdist", false}, {"easing", false}, {"position", 0},
                       {"posfluct", 0.0}, {"length", 10}, {"lenfluct", 0.0},
                       {"spacing", 50}, {"spcfluct", 0.0}, {"lengain", 0.0},
                       {"spcgain", 0.0}, {"connect", true}});
    EXPECT_TRUE(manager.presets.empty());
    EXPECT_TRUE(manager.guides.empty());
    EXPECT_EQ(manager.lastProgress, 0);
    EXPECT_EQ(manager.lastReply, 257);
    EXPECT_EQ(manager.propertyObject, nullptr);
    EXPECT_EQ(manager.server, nullptr);
}

TEST(RenderSnapshot, PenStartAndEndAreThousandthsUnlessDistanceBased) {
    EffectSettings s;
    s.in = 250;
    s.out = 1000;
    EXPECT_EQ(MakeSnapshot(s).settings.in, 0.25);
    EXPECT_EQ(MakeSnapshot(s).settings.out, 1.0);
    s.asdist = true;
    EXPECT_EQ(MakeSnapshot(s).settings.in, 250.0);
    EXPECT_EQ(MakeSnapshot(s).settings.out, 1000.0);
}

TEST(RenderSnapshot, CopiesEveryFieldAndThePoints) {
    // Every setting but the pen's ends, which the snapshot converts.
    const NamedSettings values = {
        {"curvature", -3.5}, {"size", 12.0}, {"hardness", 0.25}, {"fluction", 0.5},
        {"asdist", false}, {"easing", true}, {"position", -40}, {"posfluct", 0.125},
        {"length", 700}, {"lenfluct", 0.75}, {"spacing", 3}, {"spcfluct", 0.0625},
        {"lengain", -99.0}, {"spcgain", 42.0}, {"connect", false}};
    EffectSettings s;
    s.type = 2;
    s.p1 = {1, 2};
    s.p2 = {3, 4};
    s.p3 = {-5, 6};
    SetSettings(s, values);
    const RenderSnapshot snap = MakeSnapshot(s);
    EXPECT_EQ(snap.settings.type, 2);
    ExpectSettings(snap.settings, values);
    EXPECT_EQ(snap.p1, (Point32{1, 2}));
    EXPECT_EQ(snap.p2, (Point32{3, 4}));
    EXPECT_EQ(snap.p3, (Point32{-5, 6}));
}

TEST(TemplatePoint, ParallelPointsOnA1000By600Canvas) {
    const Point32 expected[3] = {{250, 525}, {250, 75}, {750, 525}};
    for (int i = 0; i < 3; ++i) {
        const PointFraction f = TemplatePoint(1, i);
        EXPECT_EQ(ScaleToCanvas(1000, f.fx), expected[i].x) << "point " << i;
        EXPECT_EQ(ScaleToCanvas(600, f.fy), expected[i].y) << "point " << i;
    }
}

TEST(TemplatePoint, ProductsAreTruncatedNotRounded) {
    const PointFraction f = TemplatePoint(0, 1);
    EXPECT_EQ(ScaleToCanvas(999, f.fx), 499);  // 499.5
    EXPECT_EQ(ScaleToCanvas(999, f.fy), 324);  // 324.675
}

TEST(TemplatePoint, TableOfAllTemplates) {
    const PointFraction table[3][3] = {
        {{0.5, 0.5}, {0.5, 0.325}, {0.5, 0.125}},
        {{0.25, 0.875}, {0.25, 0.125}, {0.75, 0.875}},
        {{0.25, 0.5}, {0.75, 0.5}, {0.5, 0.25}},
    };
    for (int type = 0; type < 3; ++type) {
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(TemplatePoint(type, i).fx, table[type][i].fx);
            EXPECT_EQ(TemplatePoint(type, i).fy, table[type][i].fy);
        }
    }
}

TEST(ScaleToCanvas, SaturatesAndTurnsNanIntoZero) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(ScaleToCanvas(100, nan), 0);
    EXPECT_EQ(ScaleToCanvas(100, inf), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(ScaleToCanvas(100, -inf), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(ScaleToCanvas(std::numeric_limits<int32_t>::max(), 4.0),
              std::numeric_limits<int32_t>::max());
    EXPECT_EQ(ScaleToCanvas(-7, 0.5), -3);  // toward zero
    EXPECT_EQ(ScaleToCanvas(0, 0.5), 0);
}

TEST(ModuleId, Is36UpperCaseGuidCharactersAndAZero) {
    VelmoraManager manager;
    char buffer[64];
    std::fill(std::begin(buffer), std::end(buffer), 'x');
    manager.GetModuleId(buffer);
    EXPECT_EQ(buffer[36], '\0');
    for (int i = 0; i < 36; ++i) {
        const char c = buffer[i];
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            EXPECT_EQ(c, '-') << i;
        } else {
            EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << i;
        }
    }
    EXPECT_EQ(buffer[37], 'x');
}

}  // namespace
}  // namespace velmora
