// Passes that keep in touch with the host and within their bounds: values
// past the panel's limits draw as the limits, the host hears from a pass
// while its layout and its tasks work, and a stop answered there ends it
// with the layer untouched.
#include <atomic>
#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "controller/render_context.h"
#include "controller/velmora_manager.h"
#include "tests/e2e/hostile_scene.h"
#include "tests/item_keys.h"

namespace velmora::hostcore::hostile {
namespace {

class BoundedPass : public HostileTest {
protected:
    // The seams of the controller the host's module made.
    static PassSeams& Seams(HostCore& host) {
        return static_cast<VelmoraManager*>(static_cast<PluginManager*>(host.pluginData()))->seams;
    }

    // The destination after one run with the preset of that text applied.
    std::vector<uint8_t> RenderWithPreset(const std::string& text, int32_t w = 120,
                                          int32_t h = 90) {
        std::filesystem::create_directories(vmplugin() / "preset");
        std::ofstream(vmplugin() / "preset" / "p.ini", std::ios::binary) << text;
        HostCore host;
        OpenInked(host, w, h);
        EXPECT_EQ(host.EditEnum(kItemPreset, 1), 2);
        EXPECT_EQ(host.FilterRun(), 0);
        std::filesystem::remove(vmplugin() / "preset" / "p.ini");
        return host.GetOffscreen(host.destination())->pixels;
    }

    // Counts the process-state requests of the pass (258) and answers stop
    // to the one numbered `stopAt` (0: never).
    static void CountRequests(HostCore& host, std::atomic<int>& requests, int stopAt) {
        host.SetReplyFunction([&requests, stopAt](int32_t request) -> int32_t {
            if (request == kProcessStart) return kProcessStart;
            if (request == kProcessDone) return kProcessDone;
            const int n = ++requests;
            return stopAt != 0 && n >= stopAt ? kProcessDone : kProcessStart;
        });
    }

    // A run on an inked 60 x 40 canvas whose pass is `layout`, the stop
    // answered to request `stopAt`: it ends, the destination and the changed
    // areas stay as they were, and nothing is left with the host.
    struct StoppedRun {
        int requests = 0;
        std::chrono::steady_clock::duration took{};
        size_t progressSteps = 0;
    };
    StoppedRun RunStopped(void (*layout)(RenderContext&), int stopAt) {
        HostCore host;
        OpenInked(host, 60, 40);
        const std::vector<uint8_t> before = host.GetOffscreen(host.destination())->pixels;
        Seams(host).layout = layout;
        std::atomic<int> requests{0};
        CountRequests(host, requests, stopAt);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(host.FilterRun(), 0);
        StoppedRun run{requests.load(), std::chrono::steady_clock::now() - start,
                       host.progressValues().size()};
        EXPECT_EQ(host.GetOffscreen(host.destination())->pixels, before);
        EXPECT_TRUE(host.areasChanged().empty());
        ExpectNothingLeft(host);
        return run;
    }
};

TEST_F(BoundedPass, ValuesPastThePanelsLimitsDrawAsTheLimits) {
    for (const char* type : {"circle", "radiate", "parallel"}) {
        const std::string points = std::string("[guide]\ntype=") + type +
                                   "\np1=0.25,0.5\np2=0.75,0.5\np3=0.5,0.2\n";
        const auto past = RenderWithPreset(points +
                                           "[pen]\nsize=1e308\n[line]\nlength=1000000\n"
                                           "lengain=1e9\nposition=-2000000000\nspacing=7\n");
        const auto limits = RenderWithPreset(points +
                                             "[pen]\nsize=50\n[line]\nlength=1000\n"
                                             "lengain=100\nposition=-1000\nspacing=7\n");
        EXPECT_EQ(past, limits) << type;
    }
}

// A layout that works until the host asks to stop (at most two seconds).
void LayoutUntilStopped(RenderContext& context) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!context.Heartbeat() && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST_F(BoundedPass, TheHostHearsFromALongLayoutAndItsStopEndsThePass) {
    const StoppedRun run = RunStopped(LayoutUntilStopped, 3);
    // Three requests, at least the contact interval apart, the third answered stop.
    EXPECT_EQ(run.requests, 3);
    EXPECT_GE(run.took, 3 * kContactInterval);
    EXPECT_EQ(run.progressSteps, 0u);  // no task ran
}

// A task that runs until cancelled (at most two seconds).
class UntilCancelled : public ThreadPoolTask {
public:
    void Execute() override {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (!IsCancelled() && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
};

void QueueLongTasks(RenderContext& context) {
    for (int i = 0; i < 3; ++i) context.pool.AddTask(std::make_shared<UntilCancelled>());
}

TEST_F(BoundedPass, TheHostHearsFromAPassWhoseTasksFinishNothingAndItsStopEndsThem) {
    // No task finished before the stop: the requests were the pass's own.
    EXPECT_EQ(RunStopped(QueueLongTasks, 4).requests, 4);
}

}  // namespace
}  // namespace velmora::hostcore::hostile
