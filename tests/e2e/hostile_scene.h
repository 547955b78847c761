// Scenes for the hostile-input tests: a private data root, an inked canvas
// and a host session whose leftovers can be checked.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/scratch_data_test.h"
#include "tests/item_keys.h"
#include "tools/host_core/host_core.h"

namespace velmora::hostcore::hostile {

using ::velmora::testing::kAllItemKeys;
using ::velmora::testing::kDecimalItemKeys;
using ::velmora::testing::kIntegerItemKeys;

// True in builds with a sanitizer, where the big canvases are too slow.
inline bool UnderSanitizer() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
    return true;
#else
    return false;
#endif
#else
    return false;
#endif
}

// True where VELMORA_LIGHT_TESTS is set (and not "0"): the sanitizer test
// presets set it, and the heaviest scenes take a smaller size of the same shape.
inline bool LightTests() {
    const char* v = std::getenv("VELMORA_LIGHT_TESTS");
    return v != nullptr && *v != '\0' && std::string(v) != "0";
}

// Each test gets an empty data root of its own; hosts are made by the tests.
class HostileTest : public ::velmora::e2e::ScratchDataTest {
protected:
    static void UseModule(HostCore& host) {
        host.UseEntryPoint(&TriglavPluginCall);
        host.LoadStringTable(StringTable::PathBesideModule(VELMORA_MODULE_PATH));
    }

    // A dark disc in the middle of a clear source, an empty destination of the same size.
    static void InkedCanvas(HostCore& host, int32_t w, int32_t h, int32_t destinationKind = 3) {
        std::vector<uint8_t> rgba(size_t(w) * size_t(h) * 4, 0);
        const int64_t r = std::min(w, h) / 3;
        for (int32_t y = 0; y < h; ++y) {
            for (int32_t x = 0; x < w; ++x) {
                const int64_t dx = x - w / 2, dy = y - h / 2;
                if (dx * dx + dy * dy <= r * r) rgba[(size_t(y) * size_t(w) + size_t(x)) * 4 + 3] = 255;
            }
        }
        host.SetSource(host.OffscreenFromRgba(w, h, rgba.data()));
        host.SetDestination(host.CreateOffscreen(w, h, destinationKind));
        host.SetDrawingColours(HostRgb{20, 30, 200});
    }

    // Module and filter initialise: the panel is there afterwards.
    static void Open(HostCore& host) {
        ASSERT_EQ(host.ModuleInitialize(), 0);
        ASSERT_EQ(host.FilterInitialize(), 0);
    }

    // A host of the module with its panel declared over an inked w x h canvas.
    static void OpenInked(HostCore& host, int32_t w, int32_t h) {
        UseModule(host);
        InkedCanvas(host, w, h);
        Open(host);
    }

    // Everything the module made is back with the host.
    static void ExpectNothingLeft(const HostCore& host) {
        EXPECT_EQ(host.liveStrings(), 0u);
        EXPECT_EQ(host.liveBitmaps(), 0u);
        EXPECT_TRUE(host.errors().empty()) << host.errors().front();
    }

    // Sets a raw value on an item, past the panel's range, and notifies.
    template <class T>
    static int32_t SetRaw(HostCore& host, int32_t key, T PropertyItem::*member, T v) {
        PropertyItem* item = host.Item(key);
        EXPECT_NE(item, nullptr) << key;
        if (item == nullptr) return 0;
        item->*member = v;
        return host.Notify(key);
    }
    static int32_t SetRawDouble(HostCore& host, int32_t key, double v) {
        return SetRaw(host, key, &PropertyItem::doubleValue, v);
    }
    static int32_t SetRawInt(HostCore& host, int32_t key, int32_t v) {
        return SetRaw(host, key, &PropertyItem::intValue, v);
    }
    static int32_t SetRawPoint(HostCore& host, int32_t key, HostPoint p) {
        return SetRaw(host, key, &PropertyItem::point, p);
    }

    // A watchdog, not a time bound: a run that takes this long has hung.
    // The time bounds of a pass are measured in the benchmark's hostile section.
    static constexpr double kHangSeconds = 120.0;

    // Seconds one filter run takes.
    static double TimedRun(HostCore& host) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(host.FilterRun(), 0);
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
};

}  // namespace velmora::hostcore::hostile
