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
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/alloc_meter.h"
#include "bench/discs.h"
#include "bench/floor.h"
#include "bench/hostile.h"
#include "bench/plot.h"
#include "bench/session.h"
#include "tests/item_keys.h"
#include "tests/scratch_config_home.h"

namespace velmora::bench {
namespace {

// The built-in guides' places in "Guide".
constexpr double kStraight = 0, kCurve = 1;

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

// The canvases and repetitions of a run.
struct Sizes {
    int32_t W, H;    // the table's canvas
    int32_t PW, PH;  // the comic page's
    int reps;
    bool warm;
};

Sizes SizesFor(const Options& opt) {
    return Sizes{opt.smoke ? 240 : opt.quick ? 800 : 4000,
                 opt.smoke ? 180 : opt.quick ? 600 : 3000,
                 opt.smoke ? 243 : opt.quick ? 607 : 6071,
                 opt.smoke ? 344 : opt.quick ? 860 : 8598,
                 opt.quick || opt.smoke ? 1 : 3,
                 !opt.smoke};
}

PanelEdits DenseRadial(double spacing) {
    return {{kItemTemplate, kTemplateRadial}, {kItemGuide, kStraight}, {kItemSpacing, spacing},
            {kItemSize, 4}, {kItemLength, 200}};
}

std::vector<Workload> Workloads(const Sizes& z) {
    const PanelEdits defaults = {{kItemTemplate, kTemplateRadial}, {kItemGuide, kStraight}};
    return {
        {"W1", "preview, default radial", Scene::kShapes, z.W, z.H, defaults},
        {"W2", "dense radial focus lines", Scene::kBlobs, z.W, z.H, DenseRadial(2)},
        {"W3", "heavy pen", Scene::kBlobs, z.W, z.H,
         {{kItemTemplate, kTemplateRadial}, {kItemGuide, kStraight}, {kItemSpacing, 10},
          {kItemSize, 30}, {kItemHardness, 0.5}, {kItemLength, 200}}},
        {"W4", "concentric rings", Scene::kBlobs, z.W, z.H,
         {{kItemTemplate, kTemplateConcentric}, {kItemGuide, kStraight}, {kItemSpacing, 3}}},
        {"W5", "parallel lines, curve guide", Scene::kBlobs, z.W, z.H,
         {{kItemTemplate, kTemplateParallel}, {kItemGuide, kCurve}, {kItemSpacing, 1}}},
        {"W6", "comic page, default radial", Scene::kPage, z.PW, z.PH, defaults},
    };
}

std::string Mib(size_t bytes) {
    char b[32];
    std::snprintf(b, sizeof b, "%.0f", bytes / 1048576.0);
    return b;
}

// What the table leaves for the sections after it.
struct TableResult {
    bool allIdentical = true;
    std::vector<Disc> w2Discs, w3Discs;
    double w3Latency = -1;
};

// --profile: our passes (or the baseline's) of one workload, nothing else.
void ProfilePasses(const Options& opt, const Workload& w) {
    Session s(w);
    if (opt.profileBaseline) s.UseBaseline();
    s.Seams().workers = opt.profileWorkers;
    for (int i = 0; i < opt.profilePasses; ++i)
        std::printf("%s pass %d: %.1f ms\n", w.name.c_str(), i, s.Pass() * 1e3);
}

// One row: ours on every worker, on one, and the baseline; the bytes of
// all three compared.
void TableRow(const Options& opt, const Sizes& z, const Workload& w, TableResult& r) {
    Session s(w);
    const Timing ours = TimePasses(s, z.reps, z.warm);
    const std::vector<uint8_t> oursBytes = s.Bytes();
    s.Seams().workers = 1;
    const Timing single = TimePasses(s, z.reps, z.warm);
    const bool singleSame = s.Bytes() == oursBytes;
    s.Seams().workers = 0;
    s.UseBaseline();
    const Timing base = TimePasses(s, 1, z.warm && ours.median < 1.0);
    const bool same = singleSame && s.Bytes() == oursBytes;
    s.UseOurs();
    r.allIdentical = r.allIdentical && same;

    if ((w.name == "W2" || w.name == "W3") && !opt.smoke) {
        RecordDiscs(s, w.name == "W2" ? r.w2Discs : r.w3Discs);
    }
    if (w.name == "W3" && !opt.smoke) r.w3Latency = StopLatency(s, ours.median * 0.4);

    char canvas[32];
    std::snprintf(canvas, sizeof canvas, "%dx%d", w.width, w.height);
    std::printf("%-3s %-28s %11s %10.1f %9.1f %9.2f %8.2f %8s %9s\n", w.name.c_str(),
                w.what.c_str(), canvas, ours.median * 1e3, base.median * 1e3,
                base.median / ours.median, single.median / ours.median,
                Mib(ours.peakBytes).c_str(), same ? "yes" : "NO");
    std::fflush(stdout);
}

TableResult RunTable(const Options& opt, const Sizes& z, const std::vector<Workload>& workloads) {
    std::printf("%-3s %-28s %11s %10s %9s %9s %9s %8s %9s\n", "", "workload", "canvas", "ours ms",
                "base ms", "base/ours", "1w/all", "pass MiB", "identical");
    TableResult r;
    for (const Workload& w : workloads) {
        if (!opt.only.empty() && w.name != opt.only) continue;
        if (opt.profilePasses > 0) {
            ProfilePasses(opt, w);
        } else if (opt.discsOnly) {
            if (w.name != "W2" && w.name != "W3") continue;
            Session s(w);
            RecordDiscs(s, w.name == "W2" ? r.w2Discs : r.w3Discs);
        } else {
            TableRow(opt, z, w, r);
        }
    }
    return r;
}

// Cost growth of W1 by canvas size and of W2 by spacing, with plots.
void CostGrowth(const Options& opt, const Sizes& z, const std::vector<Workload>& workloads) {
    std::printf("\ncost growth, W1 by canvas size:\n");
    std::vector<PlotPoint> bySize, bySpacing;
    const int32_t sizes[4][2] = {{1000, 750}, {2000, 1500}, {4000, 3000}, {8000, 6000}};
    for (int i = 0; i < (opt.quick ? 2 : 4); ++i) {
        Workload w = workloads[0];
        w.width = sizes[i][0];
        w.height = sizes[i][1];
        Session s(w);
        const double t = TimePasses(s, z.reps).median;
        const double f = FloorSeconds(w.width, w.height, z.reps);
        std::printf("  %5dx%-5d %9.1f ms  (floor %.1f ms)\n", w.width, w.height, t * 1e3, f * 1e3);
        bySize.push_back({static_cast<double>(w.width) * w.height, t * 1e3});
        std::fflush(stdout);
    }
    std::printf("\ncost growth, W2 by spacing:\n");
    for (int32_t spacing : {16, 8, 4, 2, 1}) {
        Workload w = workloads[1];
        w.edits = DenseRadial(spacing);
        Session s(w);
        const double t = TimePasses(s, z.reps).median;
        std::printf("  spacing %2d %9.1f ms\n", spacing, t * 1e3);
        bySpacing.push_back({1.0 / spacing, t * 1e3});
        std::fflush(stdout);
    }
    if (!opt.plots.empty()) {
        std::filesystem::create_directories(opt.plots);
        WriteGrowthPlot(opt.plots + "/growth_canvas.png", bySize);
        WriteGrowthPlot(opt.plots + "/growth_spacing.png", bySpacing);
    }
}

int Run(const Options& opt) {
    // Presets and guide files of the user stay out of the measurements.
    const testing::ScratchConfigHome scratch;
    const Sizes z = SizesFor(opt);
    const std::vector<Workload> workloads = Workloads(z);
    TableResult r = RunTable(opt, z, workloads);

    const bool onlyOne = !opt.only.empty() || opt.discsOnly || opt.smoke;
    if (!onlyOne) {
        std::printf("\nfloor (memset coverage and destination, copy layers once):\n");
        std::printf("  %dx%d: %.1f ms\n", z.W, z.H, FloorSeconds(z.W, z.H, z.reps) * 1e3);
        std::printf("  %dx%d: %.1f ms\n", z.PW, z.PH, FloorSeconds(z.PW, z.PH, z.reps) * 1e3);
    }

    if (!r.w2Discs.empty() || !r.w3Discs.empty())
        std::printf("\nthe same discs, our stamp, the baseline's and the 2-D library's "
                    "(A8 surface), one thread:\n");
    if (!r.w2Discs.empty()) {
        r.allIdentical = CompareDiscs("W2", z.W, z.H, 1.0, r.w2Discs) && r.allIdentical;
    }
    if (!r.w3Discs.empty()) {
        r.allIdentical = CompareDiscs("W3", z.W, z.H, 0.5, r.w3Discs) && r.allIdentical;
    }
    if (onlyOne) {
        if (r.w3Latency >= 0)
            std::printf("\nstop request during a W3 pass: the run ended %.1f ms after the answer\n",
                        r.w3Latency * 1e3);
        return r.allIdentical ? 0 : 1;
    }
    std::printf("\nstop request during a W3 pass: the run ended %.1f ms after the answer\n",
                r.w3Latency * 1e3);

    CostGrowth(opt, z, workloads);
    std::printf("\nprocess peak resident: %s MiB\n", Mib(MaxResidentBytes()).c_str());
    std::printf("%s\n", r.allIdentical ? "all passes byte-identical to the baseline"
                                       : "FAILED: a pass differs from the baseline");
    return r.allIdentical ? 0 : 1;
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
