// The typed host wrappers: missing tables and slots give safe values, out
// values never stay undefined, a status other than 0 is a failure whatever
// the host wrote, and host strings are released once.
#include <gtest/gtest.h>

#include "host/host.h"
#include "tests/item_keys.h"

namespace velmora {
namespace {

// Slot stand-ins for any signature: `slot = Fail;` picks the parameters
// from the slot's type.

// Reports failure and writes nothing.
template <typename... Args>
HostInt Fail(Args...) {
    return 1;
}

// Reports success and writes nothing.
template <typename... Args>
HostInt SucceedSilently(Args...) {
    return 0;
}

// What Junk writes into each kind of out value: plausible answers a module
// must not believe. Inputs are left alone.
void Scribble(HostInt* v) { *v = 259; }
void Scribble(HostDouble* v) { *v = 7.5; }
void Scribble(HostRgb* v) { *v = HostRgb{9, 9, 9}; }
void Scribble(HostPoint* v) { *v = HostPoint{5, 6}; }
void Scribble(const HostChar16** v) { *v = u"junk"; }
template <typename Handle>
void Scribble(Handle** v) {
    static char token;
    *v = reinterpret_cast<Handle*>(&token);
}
template <typename In>
void Scribble(In) {}

// Writes junk into every out value, then reports failure with `Status`.
template <HostInt Status, typename... Args>
HostInt Junk(Args... args) {
    (Scribble(args), ...);
    return Status;
}

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

// Every table present with every slot null; a test fills the slots it is
// about, and `host` speaks to them.
class HostWrappers : public ::testing::Test {
protected:
    ModuleInitService moduleInit{};
    FilterInitService filterInit{};
    FilterRunService filterRun{};
    StringService strings{};
    BitmapService bitmaps{};
    OffscreenService offscreens{};
    PropertyService properties{};
    ExtPropertyService extProperties{};
    const HostServer server{nullptr,  &moduleInit, &filterInit, &filterRun,    &strings,
                            &bitmaps, &offscreens, &properties, &extProperties};
    const Host host{&server};

    // Handles the host never made; a wrapper passes them on untouched.
    static HostString SomeString() { return Handle<HostString>(); }
    static HostBitmap SomeBitmap() { return Handle<HostBitmap>(); }
    static HostOffscreen SomeOffscreen() { return Handle<HostOffscreen>(); }

private:
    template <typename H>
    static H Handle() {
        static char token;
        return reinterpret_cast<H>(&token);
    }
};

TEST_F(HostWrappers, EveryCallOnANullServerIsHarmless) {
    const Host none(nullptr);
    EXPECT_FALSE(none.HasStrings());
    EXPECT_FALSE(none.HasModuleInit());
    EXPECT_EQ(none.HostVersion(), 0);
    EXPECT_FALSE(none.SetModuleId(nullptr));
    EXPECT_FALSE(none.SetModuleKind(1));
    EXPECT_FALSE(none.MakeString(u"text"));
    EXPECT_FALSE(none.MakeNarrowString("text"));
    EXPECT_FALSE(none.TableString(101));
    EXPECT_EQ(none.StringText(nullptr), u"");
    EXPECT_EQ(none.CanvasWidth(), 0);
    EXPECT_EQ(none.SourceOffscreen(), nullptr);
    EXPECT_FALSE(none.HasSelection());
    EXPECT_EQ(none.ProcessState(257, 259), 259);
    EXPECT_EQ(none.CreateBitmap(4, 4, 4), nullptr);
    EXPECT_EQ(none.PixelAddress(nullptr, {0, 0}), nullptr);
    EXPECT_EQ(none.CreatePropertyObject(), nullptr);
    EXPECT_FALSE(none.ReadDouble(nullptr, kItemSize));
    EXPECT_FALSE(none.ReadPoint(nullptr, kItemPoint1));
    int32_t indices[4] = {9, 9, 9, 9};
    EXPECT_FALSE(none.FourIndices(nullptr, indices));
    EXPECT_EQ(indices[0] + indices[1] + indices[2] + indices[3], 36);  // untouched
    none.SetSwitches(true, true);
    none.AreaChanged(HostRect{0, 0, 1, 1});
    none.ReportProgress(3);
}

TEST_F(HostWrappers, TablesWithNullSlotsAreHarmless) {
    EXPECT_TRUE(host.HasStrings());
    EXPECT_TRUE(host.HasModuleInit());
    EXPECT_EQ(host.HostVersion(), 0);
    EXPECT_FALSE(host.SetModuleKind(1));
    EXPECT_FALSE(host.TableString(101));
    EXPECT_EQ(host.StringText(SomeString()), u"");
    EXPECT_EQ(host.ProcessState(259, 258), 258);
    EXPECT_EQ(host.CanvasHeight(), 0);
    EXPECT_EQ(host.RowBytes(SomeBitmap()), 0);
    EXPECT_FALSE(host.OffscreenKind(nullptr));
    EXPECT_FALSE(host.ReadEnum(nullptr, kItemTemplate));
    host.SetPointSettings(nullptr, kItemPoint1, 37, 34);
    EXPECT_FALSE(host.AddEnumString(nullptr, kItemTemplate, 0, nullptr));
}

TEST_F(HostWrappers, GettersGiveSafeValuesWhenTheHostFailsWithoutWriting) {
    filterRun.canvasWidth = Fail;
    filterRun.canvasHeight = Fail;
    filterRun.sourceOffscreen = Fail;
    filterRun.hasSelection = Fail;
    EXPECT_EQ(host.CanvasWidth(), 0);
    EXPECT_EQ(host.CanvasHeight(), 0);
    EXPECT_EQ(host.SourceOffscreen(), nullptr);
    EXPECT_FALSE(host.HasSelection());

    filterRun.drawingColours = Fail;
    filterRun.processState = Fail;
    const HostRgb c = host.MainColour();
    EXPECT_EQ(c.r + c.g + c.b, 0);
    EXPECT_EQ(host.ProcessState(258, 257), 257);  // unanswered: the fallback

    properties.getInt = Fail;
    properties.getDouble = Fail;
    extProperties.getPoint = Fail;
    extProperties.getEnum = Fail;
    EXPECT_FALSE(host.ReadInt(nullptr, kItemIn));
    EXPECT_FALSE(host.ReadDouble(nullptr, kItemSize));
    EXPECT_FALSE(host.ReadPoint(nullptr, kItemPoint1));
    EXPECT_FALSE(host.ReadEnum(nullptr, kItemTemplate));
}

TEST_F(HostWrappers, AHostThatSucceedsWithoutWritingLeavesTheSafeValue) {
    filterRun.canvasHeight = SucceedSilently;
    filterRun.destinationOffscreen = SucceedSilently;
    filterRun.processState = SucceedSilently;
    strings.fromUtf16 = SucceedSilently;
    properties.getDouble = SucceedSilently;
    EXPECT_EQ(host.CanvasHeight(), 0);
    EXPECT_EQ(host.DestinationOffscreen(), nullptr);
    // The reply starts as the fallback, so a silent host continues as asked.
    EXPECT_EQ(host.ProcessState(258, 257), 257);
    EXPECT_FALSE(host.MakeString(u"text"));
    EXPECT_EQ(host.ReadDouble(nullptr, kItemSize), 0.0);
}

TEST_F(HostWrappers, FilterRunAnswersWithAFailingStatusAreDropped) {
    filterRun.canvasWidth = Junk<2>;
    filterRun.canvasHeight = Junk<-1>;
    filterRun.hasSelection = Junk<7>;
    filterRun.drawingColours = Junk<1>;
    filterRun.processState = Junk<1>;
    EXPECT_EQ(host.CanvasWidth(), 0);
    EXPECT_EQ(host.CanvasHeight(), 0);
    EXPECT_FALSE(host.HasSelection());
    const HostRgb c = host.MainColour();
    EXPECT_EQ(c.r + c.g + c.b, 0);
    EXPECT_EQ(host.ProcessState(258, 257), 257);
    EXPECT_EQ(host.ProcessState(259, 258), 258);
}

TEST_F(HostWrappers, HandlesFromAFailingHostAreDropped) {
    filterRun.sourceOffscreen = Junk<-1>;
    filterRun.destinationOffscreen = Junk<1>;
    filterRun.selectionOffscreen = Junk<1>;
    strings.fromUtf16 = Junk<1>;
    strings.utf16Text = Junk<1>;
    bitmaps.create = Junk<1>;
    bitmaps.pixelAddress = Junk<1>;
    EXPECT_EQ(host.SourceOffscreen(), nullptr);
    EXPECT_EQ(host.DestinationOffscreen(), nullptr);
    EXPECT_EQ(host.SelectionOffscreen(), nullptr);
    EXPECT_FALSE(host.MakeString(u"text"));
    EXPECT_EQ(host.StringText(SomeString()), u"");
    EXPECT_EQ(host.CreateBitmap(4, 4, 4), nullptr);
    EXPECT_EQ(host.PixelAddress(SomeBitmap(), {0, 0}), nullptr);
}

TEST_F(HostWrappers, LayerFactsFromAFailingHostAreDropped) {
    bitmaps.rowBytes = Junk<1>;
    bitmaps.pixelBytes = Junk<1>;
    offscreens.width = Junk<1>;
    offscreens.height = Junk<1>;
    offscreens.channelKind = Junk<1>;
    EXPECT_EQ(host.RowBytes(SomeBitmap()), 0);
    EXPECT_EQ(host.PixelBytes(SomeBitmap()), 0);
    EXPECT_FALSE(host.OffscreenWidth(SomeOffscreen()));
    EXPECT_FALSE(host.OffscreenHeight(SomeOffscreen()));
    EXPECT_FALSE(host.OffscreenKind(SomeOffscreen()));

    offscreens.colourIndices = Junk<1>;
    offscreens.fourIndices = Junk<1>;
    int32_t indices[4] = {2, 2, 2, 2};
    EXPECT_FALSE(host.ColourIndices(SomeOffscreen(), indices));
    EXPECT_FALSE(host.FourIndices(SomeOffscreen(), indices));
    EXPECT_EQ(indices[0] + indices[1] + indices[2] + indices[3], 8);  // untouched
}

TEST_F(HostWrappers, ItemValuesFromAFailingHostAreDropped) {
    properties.getInt = Junk<1>;
    properties.getIntDefault = Junk<1>;
    properties.getBool = Junk<1>;
    properties.getBoolDefault = Junk<1>;
    EXPECT_FALSE(host.ReadInt(nullptr, kItemIn));
    EXPECT_FALSE(host.ReadIntDefault(nullptr, kItemIn));
    EXPECT_FALSE(host.ReadBool(nullptr, kItemAsdist));
    EXPECT_FALSE(host.ReadBoolDefault(nullptr, kItemAsdist));

    properties.getDouble = Junk<1>;
    properties.getDoubleDefault = Junk<1>;
    extProperties.getPoint = Junk<1>;
    EXPECT_FALSE(host.ReadDouble(nullptr, kItemSize));
    EXPECT_FALSE(host.ReadDoubleDefault(nullptr, kItemSize));
    EXPECT_FALSE(host.ReadPoint(nullptr, kItemPoint1));

    extProperties.getEnum = Junk<1>;
    extProperties.getEnumDefault = Junk<1>;
    extProperties.addEnumString = Junk<1>;
    EXPECT_FALSE(host.ReadEnum(nullptr, kItemTemplate));
    EXPECT_FALSE(host.ReadEnumDefault(nullptr, kItemTemplate));
    EXPECT_FALSE(host.AddEnumString(nullptr, kItemTemplate, 0, nullptr));
}

// Answers with status 0: what the host wrote is what the module reads.
HostInt Width640(HostInt* out, HostObject) {
    *out = 640;
    return 0;
}
HostInt BoolFive(HostBool* out, HostPropertyObject, HostInt) {
    *out = 5;
    return 0;
}
HostInt Continue(HostInt* reply, HostObject, HostInt request) {
    *reply = request == kProcessStart ? kProcessStart : kProcessDone;
    return 0;
}

TEST_F(HostWrappers, AnswersWithStatusZeroAreUsed) {
    filterRun.canvasWidth = Width640;
    filterRun.processState = Continue;
    properties.getBool = BoolFive;
    EXPECT_EQ(host.CanvasWidth(), 640);
    EXPECT_EQ(host.ProcessState(kProcessStart, kProcessDone), kProcessStart);
    EXPECT_EQ(host.ProcessState(kProcessContinue, kProcessStart), kProcessDone);
    EXPECT_EQ(host.ReadBool(nullptr, kItemAsdist), std::optional<bool>(true));  // any non-zero
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
