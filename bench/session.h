// The workloads of the benchmark table and one module session running
// them: the module initialised through its entry point on the in-process
// host, with the workload's layers and settings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bench/seams.h"
#include "tests/panel_edits.h"
#include "tools/host_core/host_core.h"

namespace velmora::bench {

using testing::ApplyPanelEdits;
using testing::PanelEdits;

enum class Scene { kShapes, kBlobs, kPage };

struct Workload {
    std::string name;
    std::string what;
    Scene scene;
    int32_t width;
    int32_t height;
    PanelEdits edits;  // after the module declared its panel
};

class Session {
public:
    explicit Session(const Workload& w);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Seconds of one filter run of one pass.
    double Pass();
    const std::vector<uint8_t>& Bytes() { return host.GetOffscreen(destination)->pixels; }
    PassSeams& Seams() { return SeamsOf(host); }
    // Our stamp and compositor, or the baseline's.
    void UseOurs();
    void UseBaseline();

    hostcore::HostCore host;
    HostOffscreen destination = nullptr;
};

struct Timing {
    double median = 0;
    size_t peakBytes = 0;  // allocated during the pass, above what was live before
};

// The median of `reps` passes (more when they are cheap and `warm`), after
// a first pass that warms the layers and caches.
Timing TimePasses(Session& s, int reps, bool warm = true);

// Seconds from the host's stop answer, given once `after` seconds of the
// pass have gone, to the end of the filter run; -1 when the pass ended first.
double StopLatency(Session& s, double after);

}  // namespace velmora::bench
