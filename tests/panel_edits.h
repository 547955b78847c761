// Panel edits written as item and value, applied in order the way the
// item's kind takes them: a choice, a whole number, a decimal or a switch.
// Tests and the benchmark name their scenes' settings this way.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "tools/host_core/host_core.h"

namespace velmora::testing {

struct PanelEdit {
    int32_t item;
    double value;  // a choice's index, a whole number, a decimal, or 0/1
};
using PanelEdits = std::vector<PanelEdit>;

// Points are not numbers: tests edit them by EditPoint.
inline void ApplyPanelEdits(hostcore::HostCore& host, const PanelEdits& edits) {
    for (const PanelEdit& e : edits) {
        const hostcore::PropertyItem* item = host.Item(e.item);
        const int32_t kind = item != nullptr ? item->kind : 0;
        if (kind == kKindEnum) host.EditEnum(e.item, static_cast<int32_t>(e.value));
        else if (kind == kKindInt) host.EditInt(e.item, static_cast<int32_t>(e.value));
        else if (kind == kKindBool) host.EditBool(e.item, e.value != 0);
        else host.EditDouble(e.item, e.value);  // an undeclared item: the host records the fault
    }
}

// The same, as a scene's edit function.
inline std::function<void(hostcore::HostCore&)> EditsOf(PanelEdits edits) {
    return [edits = std::move(edits)](hostcore::HostCore& host) { ApplyPanelEdits(host, edits); };
}

}  // namespace velmora::testing
