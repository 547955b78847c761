// The hostile section: guides, presets, points and host failures that once
// froze or bloated a pass, each run at 4000 x 4000 and set against the
// bounds a pass must keep (10 s a pass, 1 GiB allocated beyond the host's
// layers with 64 workers, a stop answered within 50 ms, a host contact at
// least every 50 ms while the guide is read and the lines are laid out).
#include "bench/hostile.h"

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/alloc_meter.h"
#include "bench/scenes.h"
#include "bench/seams.h"
#include "bench/timing.h"
#include "tests/item_keys.h"
#include "tests/panel_edits.h"
#include "tests/scratch_config_home.h"
#include "tools/host_core/host_core.h"


namespace velmora::bench {
namespace {

using hostcore::HostCore;
using testing::EditsOf;

constexpr double kPassBound = 10.0;          // seconds
constexpr double kMemoryBound = 1024.0;      // MiB beyond the host's layers
constexpr double kStopBound = 0.050;         // seconds from the stop answer
constexpr double kContactBound = 0.050;      // longest silence towards the host

// A guide of `count` cubic curves in a row whose control points lie `far`
// above and below the row.
std::string FarCurves(int count, double far) {
    std::string d = "M 0 0";
    char b[160];
    for (int i = 0; i < count; ++i) {
        const double x = i * 10.0;
        std::snprintf(b, sizeof b, " C %.17g %.17g %.17g %.17g %.17g 0", x + 3, far, x + 7, -far,
                      x + 10);
        d += b;
    }
    return "<svg><path d=\"" + d + "\"/></svg>\n";
}

// About `bytes` of path data: short lines and quadratics, near each other.
std::string BigGuide(size_t bytes) {
    std::string d = "M 0 0";
    char b[96];
    for (int i = 0; d.size() < bytes - 64; ++i) {
        std::snprintf(b, sizeof b, i % 2 ? " L %d %d" : " Q %d %d %d 0", i * 2, (i * 37) % 50 - 25,
                      i * 2 + 2);
        d += b;
    }
    return "<svg><path d=\"" + d + "\"/></svg>\n";
}

struct Case {
    const char* name;
    const char* what;
    // Files written into the data folders before the panel is declared.
    std::string guide;   // SVG text of guide "g", or empty
    std::string preset;  // preset text of "p", or empty
    // Panel edits after the files are listed.
    std::function<void(HostCore&)> edits;
    // A host whose channel kind of the source fails after writing 1.
    bool failingKind = false;
};

struct Measure {
    double pass = 0;         // seconds of one whole pass (wall clock)
    double cpu = 0;          // processor seconds of the run, all threads
    double firstContact = 0; // seconds from the pass's start to its first request
    double longestGap = 0;   // longest time between host contacts while the pass can be stopped
    double peakMiB = 0;      // allocated beyond what was live before the run
    double stop = -1;        // seconds from the stop answer to the pass's end
    double stopCpu = -1;     // processor seconds spent in that time, all threads
};

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

const OffscreenService* realOffscreens = nullptr;
HostOffscreen failingLayer = nullptr;
HostInt FailingKind(HostInt* out, HostOffscreen o) {
    const HostInt status = realOffscreens->channelKind(out, o);
    if (o != failingLayer) return status;
    *out = 1;
    return 1;
}

class HostileSession {
public:
    // The data folders start empty but for the case's guide and preset.
    HostileSession(const Case& c, int32_t size, const testing::ScratchConfigHome& data) {
        std::filesystem::remove_all(data.vmplugin());
        std::filesystem::create_directories(data.GuideDir());
        std::filesystem::create_directories(data.PresetDir());
        if (!c.guide.empty()) std::ofstream(data.GuideDir() / "g.svg") << c.guide;
        if (!c.preset.empty()) std::ofstream(data.PresetDir() / "p.ini") << c.preset;
        hostcore::HostOptions options;
        options.logCalls = false;
        host = std::make_unique<HostCore>(options);
        host->UseEntryPoint(&TriglavPluginCall);
        Picture ink = BlobScene(size, size);
        host->SetSource(host->OffscreenFromRgba(size, size, ink.rgba.data()));
        host->SetDestination(host->CreateOffscreen(size, size, 3));
        host->SetDrawingColours(HostRgb{30, 60, 200});
        if (c.failingKind) {
            offscreens = *host->server()->offscreen;
            realOffscreens = host->server()->offscreen;
            failingLayer = host->source();
            offscreens.channelKind = FailingKind;
            host->server()->offscreen = &offscreens;
        }
        host->ModuleInitialize();
        host->FilterInitialize();
        if (c.edits) c.edits(*host);
    }
    ~HostileSession() {
        host->FilterTerminate();
        host->ModuleTerminate();
    }

    // One run of one pass; stops at the first process-state request at or
    // after `stopAfter` seconds when that is not negative.
    Measure Run(double stopAfter) {
        Measure m;
        auto start = Clock::now();
        auto last = start;
        bool inPass = false, stopped = false, ended = false;
        Clock::time_point stopAt{}, passEnd{};
        double stopCpuAt = 0, endCpu = 0;
        host->progressObserver = [&](int32_t, int32_t) {
            m.longestGap = std::max(m.longestGap, Since(last));
            last = Clock::now();
        };
        host->SetReplyFunction([&](int32_t request) -> int32_t {
            const auto now = Clock::now();
            if (request == kProcessContinue) {
                if (!inPass) m.firstContact = std::chrono::duration<double>(now - start).count();
                inPass = true;
                m.longestGap = std::max(m.longestGap, std::chrono::duration<double>(now - last).count());
                last = now;
                if (stopAfter >= 0 && !stopped && std::chrono::duration<double>(now - start).count() >= stopAfter) {
                    stopped = true;
                    stopAt = now;
                    stopCpuAt = CpuSeconds();
                }
                return stopped ? kProcessDone : kProcessStart;
            }
            if (request == kProcessStart) {
                start = last = now;  // the pass begins
                return kProcessStart;
            }
            if (!ended) {
                passEnd = now;
                endCpu = CpuSeconds();
            }
            ended = true;
            return kProcessDone;  // one pass
        });
        const size_t before = AllocatedBytes();
        ResetPeak();
        const double cpu = CpuSeconds();
        host->FilterRun();
        m.cpu = CpuSeconds() - cpu;
        m.pass = std::chrono::duration<double>(passEnd - start).count();
        // The compositing after the last request is not counted: the pass
        // can no longer be stopped there, and it ends in a request itself.
        m.peakMiB = (PeakAllocatedBytes() - before) / 1048576.0;
        if (stopped) {
            m.stop = std::chrono::duration<double>(passEnd - stopAt).count();
            m.stopCpu = endCpu - stopCpuAt;
        }
        if (!inPass) m.firstContact = m.pass;
        host->SetReplyFunction(nullptr);
        host->progressObserver = nullptr;
        host->ClearLogs();
        return m;
    }

    std::unique_ptr<HostCore> host;
    OffscreenService offscreens{};
};

std::string Preset(const std::string& guide, const std::string& line) {
    return "[guide]\n" + guide + "\n[line]\n" + line + "\n";
}

void SelectPreset(HostCore& host) { host.EditEnum(kItemPreset, 1); }

}  // namespace

int RunHostile(int32_t size, const char* only) {
    const testing::ScratchConfigHome scratch;

    // The template first (it places the base points), then guide file "g".
    auto guideWith = [](int32_t kind, double spacing) {
        return EditsOf({{kItemTemplate, double(kind)}, {kItemGuide, 2}, {kItemSpacing, spacing}});
    };
    auto parallelWith = [&](double spacing) { return guideWith(kTemplateParallel, spacing); };
    auto radialWith = [&](double spacing) { return guideWith(kTemplateRadial, spacing); };
    // Lines or rings a pixel apart under a soft pen of 50, each 1000 long.
    auto widePen = [](int32_t kind, double hardness) {
        return EditsOf({{kItemTemplate, double(kind)}, {kItemSpacing, 1}, {kItemSize, 50},
                        {kItemHardness, hardness}, {kItemLength, 1000}});
    };
    const std::vector<Case> cases = {
        {"H1", "2565 cubics, controls 1e10 away, parallel", FarCurves(2565, 1e10), "", parallelWith(50)},
        {"H2", "5760 cubics, controls 1e4 away, radial", FarCurves(5760, 1e4), "", radialWith(50)},
        {"H3", "8272 cubics, controls 1e5 away, radial", FarCurves(8272, 1e5), "", radialWith(20)},
        {"H4", "8327 cubics, controls 1000 away, parallel", FarCurves(8327, 1000), "", parallelWith(1)},
        {"H5", "10 MB guide, radial spacing 1", BigGuide(10u << 20), "", radialWith(1)},
        {"H6", "far point (283, 1e8) by preset, radial", "",
         Preset("type=radiate\np1=0.07075,25000\np2=0.5,0.5\np3=0.5,0.1", "spacing=1"), SelectPreset},
        {"H7", "far points by preset, parallel", "",
         Preset("type=parallel\np1=141.75,32.25\np2=0.5,0.5\np3=-141.75,-32.25", "spacing=1"),
         SelectPreset},
        {"H8", "far point by preset, concentric", "",
         Preset("type=circle\np1=141.75,32.25\np2=0.5,0.5\np3=0.5,0.1", "spacing=1"), SelectPreset},
        {"H9", "length 1e6, length gain 1e9, concentric", "",
         Preset("type=circle\np1=0.25,0.5\np2=0.75,0.5\np3=0.5,0.25", "length=1000000\nlengain=1000000000\nspacing=1"),
         SelectPreset},
        {"H10", "huge length, gain and position, radial", "",
         Preset("type=radiate\np1=0.5,0.5\np2=0.5,0.325\np3=0.5,0.125",
                "length=2000000000\nlengain=1e300\nposition=2000000000\nspacing=1"),
         SelectPreset},
        {"H11", "channel kind of the source fails", "", "",
         EditsOf({{kItemTemplate, kTemplateRadial}}), true},
        {"H12", "radial spacing 1, size 50, length 1000", "", "", widePen(kTemplateRadial, 0.3)},
        {"H17", "radial spacing 1, size 50, hardness 0.1", "", "", widePen(kTemplateRadial, 0.1)},
        {"H18", "parallel spacing 1, size 50, length 1000", "", "", widePen(kTemplateParallel, 0.3)},
        {"H19", "concentric spacing 1, size 50, length 1000", "", "", widePen(kTemplateConcentric, 0.3)},
        {"H13", "concentric spacing 1, length 1000, gain 100", "", "",
         EditsOf({{kItemTemplate, kTemplateConcentric}, {kItemSpacing, 1}, {kItemLength, 1000},
                  {kItemLengain, 100}})},
        {"H14", "parallel spacing 1, spacing gain -100", "", "",
         EditsOf({{kItemTemplate, kTemplateParallel}, {kItemSpacing, 1}, {kItemSpcgain, -100}})},
        {"H15", "points at the int32 limits, concentric", "", "",
         [](HostCore& h) {
             h.EditEnum(kItemTemplate, kTemplateConcentric);
             const int32_t lo = INT32_MIN, hi = INT32_MAX;
             if (auto* p = h.Item(kItemPoint1)) p->point = HostPoint{lo, lo};
             h.Notify(kItemPoint1);
             if (auto* p = h.Item(kItemPoint2)) p->point = HostPoint{hi, hi};
             h.Notify(kItemPoint2);
             if (auto* p = h.Item(kItemPoint3)) p->point = HostPoint{0, hi};
             h.Notify(kItemPoint3);
         }},
        {"H16", "size 1e308 from the host, radial", "", "",
         [](HostCore& h) {
             h.EditEnum(kItemTemplate, kTemplateRadial);
             if (auto* p = h.Item(kItemSize)) p->doubleValue = 1e308;
             h.Notify(kItemSize);
         }},
    };

    std::printf("hostile cases on %dx%d (bounds: pass %.0f s, %.0f MiB with 64 workers, stop %.0f ms, "
                "host contact every %.0f ms)\n",
                size, size, kPassBound, kMemoryBound, kStopBound * 1e3, kContactBound * 1e3);
    std::printf("%-4s %-46s %7s %7s %8s %7s %8s %9s %8s %8s %s\n", "", "case", "pass s", "cpu s",
                "1st ms", "gap ms", "MiB(2w)", "MiB(64w)", "stop ms", "stop cpu", "within");
    bool allWithin = true;
    for (const Case& c : cases) {
        if (only != nullptr && std::string(only) != c.name) continue;
        Measure m, wide, early, late;
        {
            HostileSession s(c, size, scratch);
            m = s.Run(-1);
            early = s.Run(0);        // stop at the first request of the pass
            late = s.Run(m.pass * 0.5);  // stop half way through
        }
        {
            HostileSession s(c, size, scratch);
            SeamsOf(*s.host).workers = 64;
            wide = s.Run(-1);
        }
        const double stop = std::max(early.stop, late.stop);
        const double stopCpu = std::max(early.stopCpu, late.stopCpu);
        const bool within = m.pass <= kPassBound && wide.pass <= kPassBound &&
                            std::max(m.peakMiB, wide.peakMiB) <= kMemoryBound && stop <= kStopBound;
        const bool contactOk = m.firstContact <= kContactBound && m.longestGap <= kContactBound;
        allWithin = allWithin && within && contactOk;
        std::printf("%-4s %-46s %7.2f %7.2f %8.1f %7.1f %8.0f %9.0f %8.1f %8.1f %s\n", c.name,
                    c.what, m.pass, m.cpu, m.firstContact * 1e3, m.longestGap * 1e3, m.peakMiB,
                    wide.peakMiB, stop * 1e3, stopCpu * 1e3, within && contactOk ? "yes" : "NO");
        std::fflush(stdout);
    }
    std::printf("%s\n", allWithin ? "every hostile case within its bounds" : "a hostile case is OUT of bounds");
    return allWithin ? 0 : 1;
}

}  // namespace velmora::bench
