// The layout record's contact with the host.
#include "layout/layout_context.h"

namespace velmora {

bool LayoutContext::Heartbeat() {
    if (cancelled.load(std::memory_order_relaxed)) return true;
    if (contactFn == nullptr) return false;
    if (contactFn(contactData)) return false;
    cancelled.store(true);
    return true;
}

}  // namespace velmora
