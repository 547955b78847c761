// Hosts whose getters fail after writing a plausible value: the module
// takes any status but 0 as a failure. A layer it can't describe is absent
// (no bitmap, no copy), a bitmap of the wrong pixel size is never copied
// into, and enumeration strings stay consecutive whatever string fails.
#include <fstream>

#include "tests/e2e/hostile_scene.h"
#include "tests/item_keys.h"

namespace velmora::hostcore::hostile {
namespace {

// One offscreen slot made to fail for one layer: the real slot runs (and
// writes its answer), then the call reports failure.
struct SlotFailure {
    const OffscreenService* real = nullptr;
    HostOffscreen layer = nullptr;
    int slot = -1;  // 3 width, 4 height, 7 kind, 8 colour indices, 9 four indices
};
SlotFailure g_failure;

HostInt Outcome(HostInt status, HostOffscreen o, int slot) {
    return o == g_failure.layer && slot == g_failure.slot ? 1 : status;
}
HostInt FailingWidth(HostInt* out, HostOffscreen o) {
    return Outcome(g_failure.real->width(out, o), o, 3);
}
HostInt FailingHeight(HostInt* out, HostOffscreen o) {
    return Outcome(g_failure.real->height(out, o), o, 4);
}
HostInt FailingKind(HostInt* out, HostOffscreen o) {
    // A failing kind that reads as the one-byte kind: the shape of the fault
    // where a four-byte layer was copied into a one-byte bitmap.
    const HostInt status = g_failure.real->channelKind(out, o);
    if (o == g_failure.layer && g_failure.slot == 7) *out = 1;
    return Outcome(status, o, 7);
}
HostInt FailingColours(HostInt* r, HostInt* g, HostInt* b, HostOffscreen o) {
    return Outcome(g_failure.real->colourIndices(r, g, b, o), o, 8);
}
HostInt FailingFour(HostInt* a, HostInt* b, HostInt* c, HostInt* d, HostOffscreen o) {
    return Outcome(g_failure.real->fourIndices(a, b, c, d, o), o, 9);
}

// Pixel bytes the host reports for every bitmap, or the real answer.
const BitmapService* g_realBitmaps = nullptr;
HostInt g_pixelBytes = 0;
HostInt WrongPixelBytes(HostInt* out, HostBitmap b) {
    const HostInt status = g_realBitmaps->pixelBytes(out, b);
    if (g_pixelBytes != 0) *out = g_pixelBytes;
    return status;
}

// The UTF-16 string slot fails on the calls whose numbers are listed.
const StringService* g_realStrings = nullptr;
std::vector<int> g_failingStringCalls;
int g_stringCalls = 0;
HostInt FlakyUtf16(HostString* out, const HostChar16* chars, HostInt count) {
    const int call = g_stringCalls++;
    for (const int failing : g_failingStringCalls) {
        if (failing == call) return 1;
    }
    return g_realStrings->fromUtf16(out, chars, count);
}

class FailingGetters : public HostileTest {
protected:
    // Copies the host's tables so single slots can be replaced.
    void Patch(HostCore& host) {
        offscreens_ = *host.server()->offscreen;
        g_failure.real = host.server()->offscreen;
        offscreens_.width = FailingWidth;
        offscreens_.height = FailingHeight;
        offscreens_.channelKind = FailingKind;
        offscreens_.colourIndices = FailingColours;
        offscreens_.fourIndices = FailingFour;
        host.server()->offscreen = &offscreens_;
        bitmaps_ = *host.server()->bitmap;
        g_realBitmaps = host.server()->bitmap;
        bitmaps_.pixelBytes = WrongPixelBytes;
        host.server()->bitmap = &bitmaps_;
        strings_ = *host.server()->string;
        g_realStrings = host.server()->string;
        strings_.fromUtf16 = FlakyUtf16;
        host.server()->string = &strings_;
    }
    void TearDown() override {
        g_failure = SlotFailure{};
        g_pixelBytes = 0;
        g_failingStringCalls.clear();
        g_stringCalls = 0;
        HostileTest::TearDown();
    }

    // Copies the module asked for that involve this layer.
    static int CopiesOf(const HostCore& host, const char* which) {
        int n = 0;
        for (const std::string& call : host.calls()) {
            if (call.find(which) != std::string::npos) ++n;
        }
        return n;
    }

    OffscreenService offscreens_{};
    BitmapService bitmaps_{};
    StringService strings_{};
};

TEST_F(FailingGetters, ALayerThatCannotBeDescribedIsAbsent) {
    struct Case {
        const char* name;
        int slot;
        int32_t kind;  // of the failing layer
        bool source;   // else the destination
    };
    const Case cases[] = {
        {"source width", 3, 3, true},       {"source height", 4, 3, true},
        {"source kind", 7, 3, true},        {"source colour indices", 8, 3, true},
        {"source four indices", 9, 4, true}, {"destination width", 3, 3, false},
        {"destination height", 4, 2, false}, {"destination kind", 7, 3, false},
        {"destination colour indices", 8, 3, false}, {"destination four indices", 9, 4, false},
    };
    for (const Case& c : cases) {
        HostCore host;
        UseModule(host);
        InkedCanvas(host, 60, 40);
        if (c.source && c.kind != 3) host.SetSource(host.CreateOffscreen(60, 40, c.kind));
        if (!c.source) host.SetDestination(host.CreateOffscreen(60, 40, c.kind));
        Patch(host);
        g_failure.layer = c.source ? host.source() : host.destination();
        g_failure.slot = c.slot;
        const std::vector<uint8_t> before = host.GetOffscreen(host.destination())->pixels;
        Open(host);
        host.ClearLogs();
        EXPECT_EQ(host.FilterRun(), 0) << c.name;

        // One bitmap fewer than layers, and no copy of a pixel size the
        // layer does not have.
        EXPECT_EQ(host.bitmapsCreated(), 1u) << c.name;
        EXPECT_EQ(CopiesOf(host, "copyToBitmap"), 1) << c.name;
        if (!c.source) {
            // No destination: nothing goes back, the layer is as it was.
            EXPECT_EQ(CopiesOf(host, "copyFromBitmap"), 0) << c.name;
            EXPECT_EQ(host.GetOffscreen(host.destination())->pixels, before) << c.name;
            EXPECT_TRUE(host.areasChanged().empty()) << c.name;
        }
        ExpectNothingLeft(host);
        host.ModuleTerminate();
    }
}

TEST_F(FailingGetters, ABitmapOfAnotherPixelSizeIsNeverCopied) {
    for (const HostInt pixelBytes : {1, 2, 5, 8}) {
        HostCore host;
        UseModule(host);
        InkedCanvas(host, 30, 20);  // four-byte source and destination
        Patch(host);
        g_pixelBytes = pixelBytes;
        Open(host);
        host.ClearLogs();
        EXPECT_EQ(host.FilterRun(), 0);
        EXPECT_EQ(CopiesOf(host, "copyToBitmap"), 0) << pixelBytes;
        EXPECT_EQ(CopiesOf(host, "copyFromBitmap"), 0) << pixelBytes;
        ExpectNothingLeft(host);  // both bitmaps released, no pixel-size fault
        host.ModuleTerminate();
    }
}

TEST_F(FailingGetters, EnumerationStringsStayConsecutiveWhateverFails) {
    // Three presets on disc, so the Preset item has four strings to add.
    const auto presets = vmplugin() / "preset";
    std::filesystem::create_directories(presets);
    for (const char* name : {"a", "b", "c"}) std::ofstream(presets / (std::string(name) + ".ini")) << "[pen]\nsize=3\n";

    // Failing each single call in turn, and a few pairs.
    std::vector<std::vector<int>> failures;
    for (int call = 0; call < 12; ++call) failures.push_back({call});
    failures.push_back({1, 3});
    failures.push_back({0, 5, 6});
    for (const std::vector<int>& failing : failures) {
        HostCore host;
        UseModule(host);
        InkedCanvas(host, 20, 20);
        Patch(host);
        g_failingStringCalls = failing;
        g_stringCalls = 0;
        Open(host);
        for (const int32_t key : {kItemPreset, kItemTemplate, kItemGuide}) {
            const PropertyItem* item = host.Item(key);
            ASSERT_NE(item, nullptr);
            int32_t expected = 0;
            for (const auto& [index, text] : item->enumStrings) EXPECT_EQ(index, expected++) << key;
        }
        // Every preset the panel offers applies its own file.
        const PropertyItem* preset = host.Item(kItemPreset);
        for (const auto& [index, text] : preset->enumStrings) {
            if (index == 0) continue;
            EXPECT_EQ(host.EditEnum(kItemPreset, index), 2) << index;
        }
        // A preset saved at the end of a run takes the next index.
        host.EditBool(kItemSavePreset, true);
        host.FilterRun();
        int32_t expected = 0;
        for (const auto& [index, text] : host.Item(kItemPreset)->enumStrings) EXPECT_EQ(index, expected++);
        ExpectNothingLeft(host);
        host.ModuleTerminate();
    }
}

}  // namespace
}  // namespace velmora::hostcore::hostile
