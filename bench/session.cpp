// One module session of a workload, and its timed passes.
#include "bench/session.h"

#include <algorithm>
#include <atomic>

#include "bench/alloc_meter.h"
#include "bench/baseline.h"
#include "bench/scenes.h"
#include "bench/timing.h"

namespace velmora::bench {
namespace {

Picture MakeScene(Scene scene, int32_t w, int32_t h) {
    switch (scene) {
        case Scene::kShapes: return ShapesScene(w, h);
        case Scene::kBlobs: return BlobScene(w, h);
        case Scene::kPage: return PageScene(w, h);
    }
    return {};
}

hostcore::HostOptions QuietHost() {
    hostcore::HostOptions o;
    o.logCalls = false;
    return o;
}

}  // namespace

Session::Session(const Workload& w) : host(QuietHost()) {
    host.UseEntryPoint(&TriglavPluginCall);
    host.ModuleInitialize();
    host.FilterInitialize();
    {
        Picture ink = MakeScene(w.scene, w.width, w.height);
        host.SetSource(host.OffscreenFromRgba(w.width, w.height, ink.rgba.data()));
    }
    destination = host.CreateOffscreen(w.width, w.height, 3);
    host.SetDestination(destination);
    host.SetDrawingColours(HostRgb{30, 60, 200});
    ApplyPanelEdits(host, w.edits);
}

Session::~Session() {
    host.FilterTerminate();
    host.ModuleTerminate();
}

double Session::Pass() {
    const auto start = Clock::now();
    host.FilterRun();
    const double seconds = Since(start);
    host.ClearLogs();
    return seconds;
}

void Session::UseOurs() {
    Seams().stamp = nullptr;
    Seams().composite = nullptr;
}

void Session::UseBaseline() {
    Seams().stamp = &BaselineStamp;
    Seams().composite = &BaselineComposite;
}

Timing TimePasses(Session& s, int reps, bool warm) {
    std::vector<double> times;
    Timing t;
    if (warm) s.Pass();  // pages of the layers touched, caches filled
    // Cheap passes are repeated for about a second: the median then holds
    // against a busy machine.
    double spent = 0;
    for (int i = 0; i < reps || (warm && spent < 1.0 && i < 15); ++i) {
        const size_t before = AllocatedBytes();
        ResetPeak();
        times.push_back(s.Pass());
        spent += times.back();
        t.peakBytes = std::max(t.peakBytes, PeakAllocatedBytes() - before);
    }
    t.median = Median(times);
    return t;
}

double StopLatency(Session& s, double after) {
    std::atomic<bool> stopped{false};
    Clock::time_point stopAt{};
    const auto start = Clock::now();
    s.host.SetReplyFunction([&](int32_t request) -> int32_t {
        if (request == kProcessContinue) {
            if (!stopped && Since(start) < after) return kProcessStart;
            if (!stopped) {
                stopped = true;
                stopAt = Clock::now();
            }
            return kProcessDone;
        }
        return request == kProcessStart ? kProcessStart : kProcessDone;
    });
    s.host.FilterRun();
    const double latency = stopped ? Since(stopAt) : -1;
    s.host.SetReplyFunction(nullptr);
    s.host.ClearLogs();
    return latency;
}

}  // namespace velmora::bench
