// The typed host wrappers: missing tables and slots give safe values, out
// values never stay undefined, host strings are released once.
#include <gtest/gtest.h>

#include "host/host.h"
#include "tests/item_keys.h"

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
    EXPECT_EQ(host.GetDouble(nullptr, kItemSize), 0.0);
    const HostPoint p = host.GetPoint(nullptr, kItemPoint1);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    int32_t indices[4] = {9, 9, 9, 9};
    EXPECT_FALSE(host.FourIndices(nullptr, indices));
    EXPECT_EQ(indices[0] + indices[1] + indices[2] + indices[3], 36);  // untouched
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
    EXPECT_FALSE(host.OffscreenKind(nullptr));
    EXPECT_EQ(host.GetEnum(nullptr, kItemTemplate), 0);
    host.SetPointSettings(nullptr, kItemPoint1, 37, 34);
    host.AddEnumString(nullptr, kItemTemplate, 0, nullptr);
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
    EXPECT_EQ(host.GetInt(nullptr, kItemIn), 0);
    EXPECT_EQ(host.GetDouble(nullptr, kItemSize), 0.0);
    EXPECT_EQ(host.GetEnum(nullptr, kItemTemplate), 0);
    EXPECT_EQ(host.GetPoint(nullptr, kItemPoint1).x, 0);
}

// Slots that write a plausible value and then report failure.
HostInt JunkInt(HostInt* out, HostObject) { *out = 4000; return 2; }
HostInt JunkOffscreen(HostOffscreen* out, HostObject) {
    static char token;
    *out = reinterpret_cast<HostOffscreen>(&token);
    return -1;
}
HostInt JunkBool(HostBool* out, HostObject) { *out = 1; return 7; }
HostInt JunkColours(HostRgb* main, HostRgb* sub, HostObject) {
    *main = HostRgb{9, 9, 9};
    *sub = HostRgb{9, 9, 9};
    return 1;
}
HostInt JunkReply(HostInt* out, HostObject, HostInt) { *out = 259; return 1; }
HostInt JunkOffscreenInt(HostInt* out, HostOffscreen) { *out = 3; return 1; }
HostInt JunkThree(HostInt* r, HostInt* g, HostInt* b, HostOffscreen) {
    *r = *g = *b = 1;
    return 1;
}
HostInt JunkFour(HostInt* a, HostInt* b, HostInt* c, HostInt* d, HostOffscreen) {
    *a = *b = *c = *d = 1;
    return 1;
}
HostInt JunkBitmap(HostBitmap* out, HostInt, HostInt, HostInt, HostInt) {
    static char token;
    *out = reinterpret_cast<HostBitmap>(&token);
    return 1;
}
HostInt JunkAddress(uint8_t** out, HostBitmap, const HostPoint*) {
    static uint8_t byte;
    *out = &byte;
    return 1;
}
HostInt JunkBitmapInt(HostInt* out, HostBitmap) { *out = 4; return 1; }
HostInt JunkString(HostString* out, const HostChar16*, HostInt) {
    static char token;
    *out = reinterpret_cast<HostString>(&token);
    return 1;
}
HostInt JunkText(const HostChar16** out, HostString) { *out = u"junk"; return 1; }
HostInt JunkPropInt(HostInt* out, HostPropertyObject, HostInt) { *out = 77; return 1; }
HostInt JunkPropBool(HostBool* out, HostPropertyObject, HostInt) { *out = 1; return 1; }
HostInt JunkPropDouble(HostDouble* out, HostPropertyObject, HostInt) { *out = 7.5; return 1; }
HostInt JunkPoint(HostPoint* out, HostPropertyObject, HostInt) { *out = HostPoint{5, 6}; return 1; }
HostInt FailAddString(HostPropertyObject, HostInt, HostInt, HostString, HostInt) { return 1; }

TEST(HostWrappers, AnyStatusButZeroIsAFailureWhateverTheHostWrote) {
    FilterRunService filterRun{};
    filterRun.canvasWidth = JunkInt;
    filterRun.canvasHeight = JunkInt;
    filterRun.sourceOffscreen = JunkOffscreen;
    filterRun.destinationOffscreen = JunkOffscreen;
    filterRun.selectionOffscreen = JunkOffscreen;
    filterRun.hasSelection = JunkBool;
    filterRun.drawingColours = JunkColours;
    filterRun.processState = JunkReply;
    StringService strings{};
    strings.fromUtf16 = JunkString;
    strings.utf16Text = JunkText;
    BitmapService bitmaps{};
    bitmaps.create = JunkBitmap;
    bitmaps.pixelAddress = JunkAddress;
    bitmaps.rowBytes = JunkBitmapInt;
    bitmaps.pixelBytes = JunkBitmapInt;
    OffscreenService offscreens{};
    offscreens.width = JunkOffscreenInt;
    offscreens.height = JunkOffscreenInt;
    offscreens.channelKind = JunkOffscreenInt;
    offscreens.colourIndices = JunkThree;
    offscreens.fourIndices = JunkFour;
    PropertyService properties{};
    properties.getInt = JunkPropInt;
    properties.getIntDefault = JunkPropInt;
    properties.getBool = JunkPropBool;
    properties.getBoolDefault = JunkPropBool;
    properties.getDouble = JunkPropDouble;
    properties.getDoubleDefault = JunkPropDouble;
    ExtPropertyService extProperties{};
    extProperties.getPoint = JunkPoint;
    extProperties.getEnum = JunkPropInt;
    extProperties.getEnumDefault = JunkPropInt;
    extProperties.addEnumString = FailAddString;
    const HostServer server{nullptr,  nullptr,     nullptr,     &filterRun,    &strings,
                            &bitmaps, &offscreens, &properties, &extProperties};
    const Host host(&server);

    EXPECT_EQ(host.CanvasWidth(), 0);
    EXPECT_EQ(host.CanvasHeight(), 0);
    EXPECT_EQ(host.SourceOffscreen(), nullptr);
    EXPECT_EQ(host.DestinationOffscreen(), nullptr);
    EXPECT_EQ(host.SelectionOffscreen(), nullptr);
    EXPECT_FALSE(host.HasSelection());
    const HostRgb c = host.MainColour();
    EXPECT_EQ(c.r + c.g + c.b, 0);
    EXPECT_EQ(host.ProcessState(258, 257), 257);
    EXPECT_EQ(host.ProcessState(259, 259), 259);
    EXPECT_FALSE(host.MakeString(u"text"));
    static char fakeString;
    EXPECT_EQ(host.StringText(reinterpret_cast<HostString>(&fakeString)), u"");

    EXPECT_EQ(host.CreateBitmap(4, 4, 4), nullptr);
    static char fakeBitmap;
    const auto bitmap = reinterpret_cast<HostBitmap>(&fakeBitmap);
    EXPECT_EQ(host.PixelAddress(bitmap, {0, 0}), nullptr);
    EXPECT_EQ(host.RowBytes(bitmap), 0);
    EXPECT_EQ(host.PixelBytes(bitmap), 0);

    static char fakeOffscreen;
    const auto layer = reinterpret_cast<HostOffscreen>(&fakeOffscreen);
    EXPECT_FALSE(host.OffscreenWidth(layer));
    EXPECT_FALSE(host.OffscreenHeight(layer));
    EXPECT_FALSE(host.OffscreenKind(layer));
    int32_t indices[4] = {2, 2, 2, 2};
    EXPECT_FALSE(host.ColourIndices(layer, indices));
    EXPECT_FALSE(host.FourIndices(layer, indices));
    EXPECT_EQ(indices[0] + indices[1] + indices[2] + indices[3], 8);  // untouched

    EXPECT_FALSE(host.ReadInt(nullptr, kItemIn));
    EXPECT_FALSE(host.ReadIntDefault(nullptr, kItemIn));
    EXPECT_FALSE(host.ReadBool(nullptr, kItemAsdist));
    EXPECT_FALSE(host.ReadBoolDefault(nullptr, kItemAsdist));
    EXPECT_FALSE(host.ReadDouble(nullptr, kItemSize));
    EXPECT_FALSE(host.ReadDoubleDefault(nullptr, kItemSize));
    EXPECT_FALSE(host.ReadPoint(nullptr, kItemPoint1));
    EXPECT_FALSE(host.ReadEnum(nullptr, kItemTemplate));
    EXPECT_FALSE(host.ReadEnumDefault(nullptr, kItemTemplate));
    EXPECT_EQ(host.GetDouble(nullptr, kItemSize), 0.0);
    EXPECT_FALSE(host.AddEnumString(nullptr, kItemTemplate, 0, nullptr));
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
