// Panel edits of a benchmark case, written as item and value: the template
// and guide choices, then the numbers, in the order given.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "tools/host_core/host_core.h"

namespace velmora::bench {

struct PanelEdit {
    int32_t item;
    double value;  // an index for a choice, a whole number for an integer item
};
using PanelEdits = std::vector<PanelEdit>;

// Each edit as the item's kind takes it: a choice, an integer or a decimal.
void ApplyPanelEdits(hostcore::HostCore& host, const PanelEdits& edits);

// The same, as a case's edit function.
std::function<void(hostcore::HostCore&)> EditsOf(PanelEdits edits);

}  // namespace velmora::bench
