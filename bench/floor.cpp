// The memory-traffic floor.
#include "bench/floor.h"

#include <cstring>
#include <memory>
#include <vector>

#include "bench/timing.h"

namespace velmora::bench {

// Clearing coverage and destination, copying the source and destination
// layers in and the destination back out. As in a run, the two layer copies
// and the coverage are fresh memory every time (the layers themselves are
// not).
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

}  // namespace velmora::bench
