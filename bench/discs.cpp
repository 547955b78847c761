// Disc recording and the stamp comparison with the 2-D library.
#include "bench/discs.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#include "bench/baseline.h"
#include "bench/timing.h"
#include "render/rasteriser.h"

namespace velmora::bench {
namespace {

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

}  // namespace

void RecordDiscs(Session& s, std::vector<Disc>& discs) {
    recorded = &discs;
    s.Seams().stamp = &RecordStamp;
    s.Seams().workers = 1;
    s.Pass();
    s.Seams().workers = 0;
    s.UseOurs();
    recorded = nullptr;
}

// Ours and the library's run by turns, three times each (medians): one busy
// moment of the machine then weighs on both alike. The slow baseline runs
// once.
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

}  // namespace velmora::bench
