// FilterRunService: the canvas, its layers and colours, process state and
// progress, as the module asks for them during a run.
#include "tools/host_core/services.h"
#include "tools/host_core/slot.h"

namespace velmora::hostcore {

using namespace slot;

namespace {

constexpr Service kTable = Service::kFilterRun;

// A value of the canvas into *out.
template <typename T, typename Read>
HostInt Answer(const char* name, T* out, HostObject host, Read read) {
    return RunWithHost(kTable, name, {}, host, [&](HostCore& h) {
        *out = read(h);
        return kOk;
    }, out);
}

// One of the layers into *out; a layer the host does not have fails.
HostInt Layer(const char* name, HostOffscreen* out, HostObject host,
              HostOffscreen (HostCore::*layer)() const) {
    return Run(kTable, name, {}, [&](HostCore& h) {
        if (AnswerNull(h, out)) return kOk;
        h.CheckHostObject(host, name);
        *out = (h.*layer)();
        return *out != nullptr ? kOk : kFailed;
    }, out);
}

}  // namespace

FilterRunService FilterRunSlots() {
    FilterRunService t{};
    t.canvasWidth = [](HostInt* out, HostObject host) {
        return Answer("canvasWidth", out, host, [](HostCore& h) { return h.canvasWidth(); });
    };
    t.canvasHeight = [](HostInt* out, HostObject host) {
        return Answer("canvasHeight", out, host, [](HostCore& h) { return h.canvasHeight(); });
    };
    t.sourceOffscreen = [](HostOffscreen* out, HostObject host) {
        return Layer("sourceOffscreen", out, host, &HostCore::source);
    };
    t.destinationOffscreen = [](HostOffscreen* out, HostObject host) {
        return Layer("destinationOffscreen", out, host, &HostCore::destination);
    };
    t.hasSelection = [](HostBool* out, HostObject host) {
        return Answer("hasSelection", out, host,
                      [](HostCore& h) -> HostBool { return h.selection() != nullptr ? 1 : 0; });
    };
    t.selectionOffscreen = [](HostOffscreen* out, HostObject host) {
        return Layer("selectionOffscreen", out, host, &HostCore::selection);
    };
    t.areaChanged = [](HostObject host, const HostRect* rect) {
        return RunWithHost(kTable, "areaChanged", {}, host, [&](HostCore& h) {
            if (rect == nullptr) return Refuse(h, "areaChanged: null rectangle");
            h.areasChanged_.push_back(*rect);
            return kOk;
        });
    };
    t.drawingColours = [](HostRgb* main, HostRgb* sub, HostObject host) {
        return RunWithHost(kTable, "drawingColours", {}, host, [&](HostCore& h) {
            if (main == nullptr || sub == nullptr) return Refuse(h, "drawingColours: null colour");
            *main = h.mainColour_;
            *sub = h.subColour_;
            return kOk;
        });
    };
    t.processState = [](HostInt* reply, HostObject host, HostInt request) {
        return RunWithHost(kTable, "processState", Num(request), host, [&](HostCore& h) {
            if (request != kProcessStart && request != kProcessContinue &&
                request != kProcessDone) {
                h.Fault("processState: unknown request " + Num(request));
            }
            *reply = h.ReplyFor(request);
            return kOk;
        }, reply);
    };
    t.progressRange = [](HostObject host, HostInt total) {
        return RunWithHost(kTable, "progressRange", Num(total), host, [&](HostCore& h) {
            h.progressRanges_.push_back(total);
            return kOk;
        });
    };
    t.progressValue = [](HostObject host, HostInt value) {
        return RunWithHost(kTable, "progressValue", Num(value), host, [&](HostCore& h) {
            const std::vector<int32_t>& ranges = h.progressRanges_;
            if (value < 0 || (!ranges.empty() && value > ranges.back())) {
                h.Fault("progressValue " + Num(value) + " outside the range");
            }
            h.progressValues_.push_back(value);
            if (h.progressObserver) h.progressObserver(value, ranges.empty() ? 0 : ranges.back());
            return kOk;
        });
    };
    return t;
}

}  // namespace velmora::hostcore
