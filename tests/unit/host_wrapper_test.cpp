// The typed host wrappers: missing tables and slots give safe values, out
// values never stay undefined, host strings are released once.
#include <gtest/gtest.h>

#include "host/host.h"

namespace velmora {
namespace {

// Slots that fail without writing their out value.
HostInt FailInt(HostInt*, HostObject) { return 1; }
HostInt FailOffscreen(HostOffscreen*, HostObject) { return 1; }
HostInt FailBool(HostBool*, HostObject) { return 1; }
HostInt FailColours(HostRgb*, HostRgb*, HostObject) { return 1; }
HostInt FailReply(HostInt*, HostObject, HostInt) { return 1; }
HostInt FailPropInt(HostInt*, HostPropertyObject, HostInt) { return 1; }
HostInt FailPropDouble(HostDouble*, HostPropertyObject, HostInt) { return 1; }
HostInt FailPoint(HostPoint*, HostPropertyObject, HostInt) { return 1; }

int g_released = 0;
HostString g_lastReleased = nullptr;
HostInt CountRelease(HostString s) {
    ++g_released;
    g_lastReleased = s;
    return 0;
}
HostInt MakeFake(HostString* out, const char*, HostInt) {
    static char token;
    *out = reinterpret_cast<HostString>(&token);
    return 0;
}

TEST(HostWrappers, EveryCallOnANullServerIsHarmless) {
    const Host host(nullptr);
    EXPECT_FALSE(host.HasStrings());
    EXPECT_FALSE(host.HasModuleInit());
    EXPECT_EQ(host.HostVersion(), 0);
    EXPECT_FALSE(host.SetModuleId(nullptr));
    EXPECT_FALSE(host.SetModuleKind(1));
    EXPECT_FALSE(host.MakeString(u"text"));
    EXPECT_FALSE(host.MakeNarrowString("text"));
    EXPECT_FALSE(host.TableString(101));
    EXPECT_EQ(host.StringText(nullptr), u"");
    EXPECT_EQ(host.CanvasWidth(), 0);
    EXPECT_EQ(host.SourceOffscreen(), nullptr);
    EXPECT_FALSE(host.HasSelection());
    EXPECT_EQ(host.ProcessState(257, 259), 259);
    EXPECT_EQ(host.CreateBitmap(4, 4, 4), nullptr);
    EXPECT_EQ(host.PixelAddress(nullptr, {0, 0}), nullptr);
    EXPECT_EQ(host.CreatePropertyObject(), nullptr);
    EXPECT_EQ(host.GetDouble(nullptr, 202), 0.0);
    const HostPoint p = host.GetPoint(nullptr, 170);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    int32_t indices[4] = {9, 9, 9, 9};
    host.FourIndices(nullptr, indices);
    EXPECT_EQ(indices[0] + indices[1] + indices[2] + indices[3], 0);
    host.SetSwitches(true, true);
    host.AreaChanged(HostRect{0, 0, 1, 1});
    host.ReportProgress(3);
}

TEST(HostWrappers, TablesWithNullSlotsAreHarmless) {
    const ModuleInitService moduleInit{};
    const FilterInitService filterInit{};
    const FilterRunService filterRun{};
    const StringService strings{};
    const BitmapService bitmaps{};
    const OffscreenService offscreens{};
    const PropertyService properties{};
    const ExtPropertyService extProperties{};
    const HostServer server{nullptr,  &moduleInit, &filterInit, &filterRun,    &strings,
                            &bitmaps, &offscreens, &properties, &extProperties};
    const Host host(&server);
    EXPECT_TRUE(host.HasStrings());
    EXPECT_TRUE(host.HasModuleInit());
    EXPECT_EQ(host.HostVersion(), 0);
    EXPECT_FALSE(host.TableString(101));
    EXPECT_EQ(host.ProcessState(259, 258), 258);
    EXPECT_EQ(host.CanvasHeight(), 0);
    EXPECT_EQ(host.OffscreenKind(nullptr), 0);
    EXPECT_EQ(host.GetEnum(nullptr, 150), 0);
    host.SetPointSettings(nullptr, 170, 37, 34);
    host.AddEnumString(nullptr, 150, 0, nullptr);
}

TEST(HostWrappers, GettersGiveSafeValuesWhenTheHostWritesNothing) {
    FilterRunService filterRun{};
    filterRun.canvasWidth = FailInt;
    filterRun.canvasHeight = FailInt;
    filterRun.sourceOffscreen = FailOffscreen;
    filterRun.hasSelection = FailBool;
    filterRun.drawingColours = FailColours;
    filterRun.processState = FailReply;
    PropertyService properties{};
    properties.getInt = FailPropInt;
    properties.getDouble = FailPropDouble;
    ExtPropertyService extProperties{};
    extProperties.getPoint = FailPoint;
    extProperties.getEnum = FailPropInt;
    const HostServer server{nullptr, nullptr, nullptr, &filterRun, nullptr,
                            nullptr, nullptr, &properties, &extProperties};
    const Host host(&server);
    EXPECT_EQ(host.CanvasWidth(), 0);
    EXPECT_EQ(host.CanvasHeight(), 0);
    EXPECT_EQ(host.SourceOffscreen(), nullptr);
    EXPECT_FALSE(host.HasSelection());
    const HostRgb c = host.MainColour();
    EXPECT_EQ(c.r + c.g + c.b, 0);
    EXPECT_EQ(host.ProcessState(258, 257), 257);  // unanswered: the fallback
    EXPECT_EQ(host.GetInt(nullptr, 205), 0);
    EXPECT_EQ(host.GetDouble(nullptr, 202), 0.0);
    EXPECT_EQ(host.GetEnum(nullptr, 150), 0);
    EXPECT_EQ(host.GetPoint(nullptr, 170).x, 0);
}

TEST(HostStringRef, ReleasesOnceThroughTheStringService) {
    StringService strings{};
    strings.fromNarrow = MakeFake;
    strings.release = CountRelease;
    HostServer server{};
    server.string = &strings;
    const Host host(&server);
    g_released = 0;
    {
        HostStringRef a = host.MakeNarrowString("id");
        ASSERT_TRUE(a);
        const HostString handle = a.get();
        HostStringRef b(std::move(a));
        EXPECT_FALSE(a);
        HostStringRef c;
        c = std::move(b);
        EXPECT_EQ(g_released, 0);
        c.Release();
        EXPECT_EQ(g_released, 1);
        EXPECT_EQ(g_lastReleased, handle);
        c.Release();
    }
    EXPECT_EQ(g_released, 1);
    {
        HostStringRef d = host.MakeNarrowString("x");
    }
    EXPECT_EQ(g_released, 2);
}

}  // namespace
}  // namespace velmora
