// Panel edits of the benchmark cases, by the kind of item they name.
#include "bench/panel_edits.h"

#include <utility>

namespace velmora::bench {

void ApplyPanelEdits(hostcore::HostCore& host, const PanelEdits& edits) {
    for (const PanelEdit& e : edits) {
        const hostcore::PropertyItem* item = host.Item(e.item);
        if (item == nullptr) continue;
        switch (item->kind) {
            case kKindEnum: host.EditEnum(e.item, static_cast<int32_t>(e.value)); break;
            case kKindInt: host.EditInt(e.item, static_cast<int32_t>(e.value)); break;
            case kKindDouble: host.EditDouble(e.item, e.value); break;
            default: break;
        }
    }
}

std::function<void(hostcore::HostCore&)> EditsOf(PanelEdits edits) {
    return [edits = std::move(edits)](hostcore::HostCore& host) { ApplyPanelEdits(host, edits); };
}

}  // namespace velmora::bench
