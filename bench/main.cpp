// Whole render passes through the module's entry point and the in-process
// host, timed against a one-pixel-at-a-time baseline, the memory-traffic
// floor and a general 2-D library drawing the same discs.
//
//   velmora_bench [--quick] [--plots DIR] [--only W2]
//   velmora_bench --smoke   (tiny canvases, each pass once: the bytes alone)
//   velmora_bench --only W2 --profile 3 [--workers 1] [--base]
//                 (our passes alone, or the baseline's)
//   velmora_bench --discs [--only W3]   (the stamps alone on recorded discs)
//   velmora_bench --hostile [SIZE [CASE]]  (hostile inputs against the bounds of a pass)
//
// Exits non-zero when any pass's bytes differ from the baseline's.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "bench/alloc_meter.h"
#include "bench/baseline.h"
#include "bench/cairo_peer.h"
#include "bench/hostile.h"
#include "bench/plot.h"
#include "bench/scenes.h"
#include "bench/seams.h"
#include "render/rasteriser.h"
#include "tests/item_keys.h"
#include "tests/scratch_config_home.h"
#include "tools/host_core/host_core.h"

namespace velmora::bench {
namespace {

using Clock = std::chrono::steady_clock;
using hostcore::HostCore;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) * 0.5;
}

// Panel edits of a workload, made after the module declared its panel.
struct Edits {
    int32_t type = 0;
    int32_t guide = 0;
    int32_t spacing = -1;
    double size = -1;
    double hardness = -1;
    int32_t length = -1;
};

enum class Scene { kShapes, kBlobs, kPage };

struct Workload {
    std::string name;
    std::string what;
    Scene scene;
    int32_t width;
    int32_t height;
    Edits edits;
};

Picture MakeScene(Scene scene, int32_t w, int32_t h) {
    switch (scene) {
        case Scene::kShapes: return ShapesScene(w, h);
        case Scene::kBlobs: return BlobScene(w, h);
        case Scene::kPage: return PageScene(w, h);
    }
    return {};
}

// One module, initialised, with the workload's layers and settings.
class Session {
public:
    explicit Session(const Workload& w) : host(Options()) {
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
        host.EditEnum(kItemTemplate, w.edits.type);
        host.EditEnum(kItemGuide, w.edits.guide);
        if (w.edits.spacing >= 0) host.EditInt(kItemSpacing, w.edits.spacing);
        if (w.edits.size >= 0) host.EditDouble(kItemSize, w.edits.size);
        if (w.edits.hardness >= 0) host.EditDouble(kItemHardness, w.edits.hardness);
        if (w.edits.length >= 0) host.EditInt(kItemLength, w.edits.length);
    }
    ~Session() {
        host.FilterTerminate();
        host.ModuleTerminate();
    }

    // Seconds of one filter run of one pass.
    double Pass() {
        const auto start = Clock::now();
        host.FilterRun();
        const double seconds = Since(start);
        host.ClearLogs();
        return seconds;
    }
    const std::vector<uint8_t>& Bytes() { return host.GetOffscreen(destination)->pixels; }
    PassSeams& Seams() { return SeamsOf(host); }

    static hostcore::HostOptions Options() {
        hostcore::HostOptions o;
        o.logCalls = false;
        return o;
    }

    HostCore host;
    HostOffscreen destination = nullptr;
};

struct Modes {
    static void Ours(Session& s) {
        s.Seams().stamp = nullptr;
        s.Seams().composite = nullptr;
    }
    static void Baseline(Session& s) {
        s.Seams().stamp = &BaselineStamp;
        s.Seams().composite = &BaselineComposite;
    }
};

struct Timing {
    double median = 0;
    size_t peakBytes = 0;  // allocated during the pass, above what was live before
};

Timing TimePasses(Session& s, int reps, bool warm = true) {
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

// --- Disc recording for the 2-D library comparison ----------------------

std::mutex discLock;
std::vector<Disc>* recorded = nullptr;

void RecordStamp(StrokeContext& context, double cx, double cy, double diameter) {
    {
        std::lock_guard<std::mutex> guard(discLock);
        recorded->push_back({cx, cy, diameter});
    }
    Stamp(context, cx, cy, diameter);
}

// Seconds a stamp function takes for the discs, one thread, into a fresh
// buffer; the buffer is left in coverage.
double StampSeconds(int32_t width, int32_t height, double hardness, const std::vector<Disc>& discs,
                    StampFunction stamp, std::unique_ptr<uint8_t[]>& coverage) {
    StrokeContext context;
    context.stroke.hardness = hardness;
    context.source.width = width;
    context.source.height = height;
    context.AllocateCoverage();
    const auto start = Clock::now();
    for (const Disc& d : discs) stamp(context, d.cx, d.cy, d.diameter);
    const double seconds = Since(start);
    coverage = std::move(context.coverage);
    return seconds;
}

// Our stamp, the baseline's and the library's on the same discs; false
// when our coverage differs from the baseline's. Ours and the library's run
// by turns, three times each (medians): one busy moment of the machine
// then weighs on both alike. The slow baseline runs once.
bool CompareDiscs(const char* name, int32_t width, int32_t height, double hardness,
                  const std::vector<Disc>& discs) {
    std::unique_ptr<uint8_t[]> ours, base;
    std::vector<double> oursTimes, cairoTimes;
    for (int i = 0; i < 3; ++i) {
        oursTimes.push_back(StampSeconds(width, height, hardness, discs, &Stamp, ours));
        cairoTimes.push_back(CairoFillSeconds(width, height, discs));
    }
    const double baseS = StampSeconds(width, height, hardness, discs, &BaselineStamp, base);
    const double oursS = Median(oursTimes), cairoS = Median(cairoTimes);
    const bool same = std::memcmp(ours.get(), base.get(), static_cast<size_t>(width) * height) == 0;
    std::printf("  %s: %zu discs, ours %.1f ms, baseline %.1f ms, library %.1f ms, "
                "ours/library %.2f%s\n",
                name, discs.size(), oursS * 1e3, baseS * 1e3, cairoS * 1e3, oursS / cairoS,
                same ? "" : ", coverage DIFFERS from the baseline's");
    return same;
}

// --- The memory-traffic floor --------------------------------------------

// Clearing coverage and destination, copying the source and destination
// layers in and the destination back out, with plain memset and memcpy.
// As in a run, the two layer copies and the coverage are fresh memory
// every time (the layers themselves are not).
double FloorSeconds(int32_t width, int32_t height, int reps) {
    const size_t pixels = static_cast<size_t>(width) * height;
    std::vector<uint8_t> source(pixels * 4, 1), destination(pixels * 4, 3);
    std::vector<double> times;
    for (int i = 0; i < reps; ++i) {
        const auto start = Clock::now();
        std::unique_ptr<uint8_t[]> sourceCopy(new uint8_t[pixels * 4]);
        std::unique_ptr<uint8_t[]> destinationCopy(new uint8_t[pixels * 4]);
        std::unique_ptr<uint8_t[]> coverage(new uint8_t[pixels]);
        std::memcpy(sourceCopy.get(), source.data(), pixels * 4);
        std::memcpy(destinationCopy.get(), destination.data(), pixels * 4);
        std::memset(coverage.get(), 0, pixels);
        std::memset(destinationCopy.get(), 0, pixels * 4);
        std::memcpy(destination.data(), destinationCopy.get(), pixels * 4);
        sourceCopy.reset();
        destinationCopy.reset();
        coverage.reset();
        times.push_back(Since(start));
    }
    return Median(times);
}

// --- Stop latency ----------------------------------------------------------

// The discs of one pass on one worker, in discs; ours again afterwards.
void RecordDiscs(Session& s, std::vector<Disc>& discs) {
    recorded = &discs;
    s.Seams().stamp = &RecordStamp;
    s.Seams().workers = 1;
    s.Pass();
    s.Seams().workers = 0;
    Modes::Ours(s);
    recorded = nullptr;
}

// Seconds from the host's stop answer to the end of the filter run.
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

std::string Mib(size_t bytes) {
    char b[32];
    std::snprintf(b, sizeof b, "%.0f", bytes / 1048576.0);
    return b;
}

struct Options {
    bool quick = false;
    // --smoke: tiny canvases, every pass once, only the byte comparisons
    // count (the test suite's run).
    bool smoke = false;
    std::string plots;
    std::string only;  // one workload of the table, nothing else
    // --profile: only our passes of the --only workload, for a profiler.
    int profilePasses = 0;
    unsigned profileWorkers = 0;
    bool profileBaseline = false;  // --base: the baseline's passes instead
    // --discs: only the disc comparison of W2 and W3 (the discs recorded
    // from one pass each), no timed passes.
    bool discsOnly = false;
};

int Run(const Options& opt) {
    // Presets and guide files of the user stay out of the measurements.
    const testing::ScratchConfigHome scratch;

    const int32_t W = opt.smoke ? 240 : opt.quick ? 800 : 4000;
    const int32_t H = opt.smoke ? 180 : opt.quick ? 600 : 3000;
    const int32_t PW = opt.smoke ? 243 : opt.quick ? 607 : 6071;
    const int32_t PH = opt.smoke ? 344 : opt.quick ? 860 : 8598;
    const int reps = opt.quick || opt.smoke ? 1 : 3;
    const bool warm = !opt.smoke;
    const int baseReps = 1;
    const std::vector<Workload> workloads = {
        {"W1", "preview, default radial", Scene::kShapes, W, H, {}},
        {"W2", "dense radial focus lines", Scene::kBlobs, W, H, {0, 0, 2, 4, -1, 200}},
        {"W3", "heavy pen", Scene::kBlobs, W, H, {0, 0, 10, 30, 0.5, 200}},
        {"W4", "concentric rings", Scene::kBlobs, W, H, {2, 0, 3, -1, -1, -1}},
        {"W5", "parallel lines, curve guide", Scene::kBlobs, W, H, {1, 1, 1, -1, -1, -1}},
        {"W6", "comic page, default radial", Scene::kPage, PW, PH, {}},
    };

    std::printf("%-3s %-28s %11s %10s %9s %9s %9s %8s %9s\n", "", "workload", "canvas", "ours ms",
                "base ms", "base/ours", "1w/all", "pass MiB", "identical");
    bool allIdentical = true;
    std::vector<Disc> w2Discs, w3Discs;
    double w3Latency = -1;
    for (const Workload& w : workloads) {
        if (!opt.only.empty() && w.name != opt.only) continue;
        if (opt.profilePasses > 0) {
            Session s(w);
            if (opt.profileBaseline) Modes::Baseline(s);
            s.Seams().workers = opt.profileWorkers;
            for (int i = 0; i < opt.profilePasses; ++i)
                std::printf("%s pass %d: %.1f ms\n", w.name.c_str(), i, s.Pass() * 1e3);
            continue;
        }
        if (opt.discsOnly) {
            if (w.name != "W2" && w.name != "W3") continue;
            Session s(w);
            RecordDiscs(s, w.name == "W2" ? w2Discs : w3Discs);
            continue;
        }
        Session s(w);
        const Timing ours = TimePasses(s, reps, warm);
        const std::vector<uint8_t> oursBytes = s.Bytes();
        s.Seams().workers = 1;
        const Timing single = TimePasses(s, reps, warm);
        const bool singleSame = s.Bytes() == oursBytes;
        s.Seams().workers = 0;
        Modes::Baseline(s);
        const Timing base = TimePasses(s, baseReps, warm && ours.median < 1.0);
        const bool same = singleSame && s.Bytes() == oursBytes;
        Modes::Ours(s);
        allIdentical = allIdentical && same;

        if ((w.name == "W2" || w.name == "W3") && !opt.smoke) {
            RecordDiscs(s, w.name == "W2" ? w2Discs : w3Discs);
        }
        if (w.name == "W3" && !opt.smoke) w3Latency = StopLatency(s, ours.median * 0.4);

        char canvas[32];
        std::snprintf(canvas, sizeof canvas, "%dx%d", w.width, w.height);
        std::printf("%-3s %-28s %11s %10.1f %9.1f %9.2f %8.2f %8s %9s\n", w.name.c_str(),
                    w.what.c_str(), canvas, ours.median * 1e3, base.median * 1e3,
                    base.median / ours.median, single.median / ours.median,
                    Mib(ours.peakBytes).c_str(), same ? "yes" : "NO");
        std::fflush(stdout);
    }

    const bool onlyOne = !opt.only.empty() || opt.discsOnly || opt.smoke;
    if (!onlyOne) {
        std::printf("\nfloor (memset coverage and destination, copy layers once):\n");
        std::printf("  %dx%d: %.1f ms\n", W, H, FloorSeconds(W, H, reps) * 1e3);
        std::printf("  %dx%d: %.1f ms\n", PW, PH, FloorSeconds(PW, PH, reps) * 1e3);
    }

    if (!w2Discs.empty() || !w3Discs.empty())
        std::printf("\nthe same discs, our stamp, the baseline's and the 2-D library's "
                    "(A8 surface), one thread:\n");
    if (!w2Discs.empty()) allIdentical = CompareDiscs("W2", W, H, 1.0, w2Discs) && allIdentical;
    if (!w3Discs.empty()) allIdentical = CompareDiscs("W3", W, H, 0.5, w3Discs) && allIdentical;
    if (onlyOne) {
        if (w3Latency >= 0)
            std::printf("\nstop request during a W3 pass: the run ended %.1f ms after the answer\n",
                        w3Latency * 1e3);
        return allIdentical ? 0 : 1;
    }
    std::printf("\nstop request during a W3 pass: the run ended %.1f ms after the answer\n",
                w3Latency * 1e3);

    std::printf("\ncost growth, W1 by canvas size:\n");
    std::vector<PlotPoint> bySize, bySpacing;
    const int32_t sizes[4][2] = {{1000, 750}, {2000, 1500}, {4000, 3000}, {8000, 6000}};
    for (int i = 0; i < (opt.quick ? 2 : 4); ++i) {
        Workload w = workloads[0];
        w.width = sizes[i][0];
        w.height = sizes[i][1];
        Session s(w);
        const double t = TimePasses(s, reps).median;
        const double f = FloorSeconds(w.width, w.height, reps);
        std::printf("  %5dx%-5d %9.1f ms  (floor %.1f ms)\n", w.width, w.height, t * 1e3, f * 1e3);
        bySize.push_back({static_cast<double>(w.width) * w.height, t * 1e3});
        std::fflush(stdout);
    }
    std::printf("\ncost growth, W2 by spacing:\n");
    for (int32_t spacing : {16, 8, 4, 2, 1}) {
        Workload w = workloads[1];
        w.edits.spacing = spacing;
        Session s(w);
        const double t = TimePasses(s, reps).median;
        std::printf("  spacing %2d %9.1f ms\n", spacing, t * 1e3);
        bySpacing.push_back({1.0 / spacing, t * 1e3});
        std::fflush(stdout);
    }
    if (!opt.plots.empty()) {
        std::filesystem::create_directories(opt.plots);
        WriteGrowthPlot(opt.plots + "/growth_canvas.png", bySize);
        WriteGrowthPlot(opt.plots + "/growth_spacing.png", bySpacing);
    }
    std::printf("\nprocess peak resident: %s MiB\n", Mib(MaxResidentBytes()).c_str());
    std::printf("%s\n", allIdentical ? "all passes byte-identical to the baseline"
                                     : "FAILED: a pass differs from the baseline");
    return allIdentical ? 0 : 1;
}

}  // namespace
}  // namespace velmora::bench

int main(int argc, char** argv) {
    velmora::bench::Options opt;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0) opt.quick = true;
        else if (std::strcmp(argv[i], "--smoke") == 0) opt.smoke = true;
        else if (std::strcmp(argv[i], "--plots") == 0 && i + 1 < argc) opt.plots = argv[++i];
        else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) opt.only = argv[++i];
        else if (std::strcmp(argv[i], "--discs") == 0) opt.discsOnly = true;
        else if (std::strcmp(argv[i], "--hostile") == 0) {
            const int32_t size = i + 1 < argc && argv[i + 1][0] != '-' ? std::atoi(argv[++i]) : 4000;
            const char* only = i + 1 < argc && argv[i + 1][0] != '-' ? argv[++i] : nullptr;
            return velmora::bench::RunHostile(size > 0 ? size : 4000, only);
        }
        else if (std::strcmp(argv[i], "--profile") == 0 && i + 1 < argc) opt.profilePasses = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--base") == 0) opt.profileBaseline = true;
        else if (std::strcmp(argv[i], "--workers") == 0 && i + 1 < argc)
            opt.profileWorkers = static_cast<unsigned>(std::atoi(argv[++i]));
        else {
            std::fprintf(stderr, "usage: %s [--quick | --smoke] [--plots DIR] [--only NAME [--profile PASSES [--workers N] [--base]]] [--discs] [--hostile [SIZE [CASE]]]\n", argv[0]);
            return 2;
        }
    }
    return velmora::bench::Run(opt);
}
