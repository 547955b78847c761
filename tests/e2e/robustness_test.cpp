// A module that survives any host: every table missing, each table missing
// in turn, each slot missing in turn; and that leaks nothing it made.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/scratch_data_test.h"
#include "tests/item_keys.h"
#include "tools/host_core/host_core.h"

namespace velmora::hostcore {
namespace {

class Robustness : public ::velmora::e2e::ScratchDataTest {
protected:
    // A small inked canvas: a dark disc on a clear source, an empty destination.
    static void SetUpCanvas(HostCore& host) {
        constexpr int32_t w = 40, h = 30;
        std::vector<uint8_t> rgba(size_t(w) * h * 4, 0);
        for (int32_t y = 0; y < h; ++y) {
            for (int32_t x = 0; x < w; ++x) {
                const int32_t dx = x - 20, dy = y - 15;
                if (dx * dx + dy * dy < 100) rgba[(size_t(y) * w + x) * 4 + 3] = 255;
            }
        }
        host.SetSource(host.OffscreenFromRgba(w, h, rgba.data()));
        host.SetDestination(host.CreateOffscreen(w, h, 3));
        host.SetDrawingColours(HostRgb{200, 10, 10});
    }

    // Everything a host does in one session; returns the module-terminate result.
    static int32_t DriveSession(HostCore& host) {
        host.ModuleInitialize();
        host.FilterInitialize();
        host.FilterRun();
        for (int32_t key : ::velmora::testing::kAllItemKeys) host.Notify(key);
        host.EditEnum(kItemTemplate, kTemplateParallel);
        host.EditPoint(kItemPoint1, HostPoint{3, 4});
        host.SendEvent(kItemPreset);
        host.QueueReplies(kProcessDone, {kProcessContinue, kProcessDone});
        host.FilterRun();
        host.FilterTerminate();
        return host.ModuleTerminate();
    }

};

TEST_F(Robustness, HostWithoutAnyTable) {
    HostOptions options;
    for (int s = 0; s < kServiceCount; ++s) options.omitServices.insert(static_cast<Service>(s));
    HostCore host(options);
    host.UseEntryPoint(&TriglavPluginCall);
    EXPECT_EQ(host.ModuleInitialize(), -1);
    EXPECT_EQ(host.FilterInitialize(), 0);
    EXPECT_EQ(host.FilterRun(), 0);
    EXPECT_EQ(host.FilterTerminate(), 0);
    EXPECT_EQ(host.ModuleTerminate(), 0);
    EXPECT_FALSE(host.moduleInitialized());
    EXPECT_TRUE(host.calls().empty());
    EXPECT_TRUE(host.errors().empty()) << host.errors().front();
}

TEST_F(Robustness, HostWithoutOneTable) {
    for (int s = 0; s < kServiceCount; ++s) {
        const Service missing = static_cast<Service>(s);
        HostOptions options;
        options.omitServices.insert(missing);
        HostCore host(options);
        host.UseEntryPoint(&TriglavPluginCall);
        host.LoadStringTable(StringTable::PathBesideModule(VELMORA_MODULE_PATH));
        SetUpCanvas(host);
        EXPECT_EQ(DriveSession(host), 0) << ServiceName(missing);
        EXPECT_FALSE(host.moduleInitialized()) << ServiceName(missing);
        EXPECT_EQ(host.liveStrings(), 0u) << ServiceName(missing);
        EXPECT_EQ(host.liveBitmaps(), 0u) << ServiceName(missing);
        EXPECT_EQ(host.livePropertyObjects(), 0u) << ServiceName(missing);
    }
}

TEST_F(Robustness, HostWithoutOneSlot) {
    struct Table {
        Service service;
        int slots;
    };
    const Table tables[] = {{Service::kModuleInit, 3}, {Service::kFilterInit, 7},
                            {Service::kFilterRun, 19}, {Service::kString, 7},
                            {Service::kBitmap, 10},    {Service::kOffscreen, 20},
                            {Service::kProperty, 23},  {Service::kExtProperty, 18}};
    for (const Table& table : tables) {
        for (int slot = 0; slot < table.slots; ++slot) {
            HostOptions options;
            options.omitSlots.insert({table.service, slot});
            HostCore host(options);
            host.UseEntryPoint(&TriglavPluginCall);
            host.LoadStringTable(StringTable::PathBesideModule(VELMORA_MODULE_PATH));
            SetUpCanvas(host);
            const std::string what = std::string(ServiceName(table.service)) + " slot " +
                                     std::to_string(slot);
            EXPECT_EQ(DriveSession(host), 0) << what;
            EXPECT_FALSE(host.moduleInitialized()) << what;
            // What the module made goes back whenever the host can take it.
            if (!(table.service == Service::kString && slot == 5)) {
                EXPECT_EQ(host.liveStrings(), 0u) << what;
            }
            if (!(table.service == Service::kBitmap && slot == 2)) {
                EXPECT_EQ(host.liveBitmaps(), 0u) << what;
            }
            if (!(table.service == Service::kProperty && slot == 2)) {
                EXPECT_EQ(host.livePropertyObjects(), 0u) << what;
            }
        }
    }
}

TEST_F(Robustness, FullSessionLeaksNothingAndBreaksNoRule) {
    HostCore host;
    host.UseEntryPoint(&TriglavPluginCall);
    ASSERT_TRUE(host.LoadStringTable(StringTable::PathBesideModule(VELMORA_MODULE_PATH)));
    SetUpCanvas(host);
    host.ModuleInitialize();
    host.FilterInitialize();
    host.FilterRun();
    host.FilterTerminate();
    EXPECT_EQ(host.liveStrings(), 0u);
    EXPECT_EQ(host.liveBitmaps(), 0u);  // released at the end of the run
    EXPECT_EQ(host.ModuleTerminate(), 0);
    EXPECT_EQ(host.livePropertyObjects(), 0u);
    EXPECT_TRUE(host.errors().empty()) << host.errors().front();
}

TEST_F(Robustness, ProcessStateRequestsOutsideTheProtocolNeverHang) {
    HostCore host;
    host.UseEntryPoint(&TriglavPluginCall);
    SetUpCanvas(host);
    host.ModuleInitialize();
    // A host that answers nonsense to everything.
    host.SetReplyFunction([](int32_t) { return 12345; });
    EXPECT_EQ(host.FilterRun(), 0);
    EXPECT_EQ(host.ModuleTerminate(), 0);
}

}  // namespace
}  // namespace velmora::hostcore
