// The host's service tables, one builder per table (service_*.cpp); every
// slot goes through the one wrapper in slot.h.
#pragma once

#include "host/host_interface.h"

namespace velmora::hostcore {

ModuleInitService ModuleInitSlots();
FilterInitService FilterInitSlots();
FilterRunService FilterRunSlots();
StringService StringSlots();
BitmapService BitmapSlots();
OffscreenService OffscreenSlots();
PropertyService PropertySlots();
ExtPropertyService ExtPropertySlots();

}  // namespace velmora::hostcore
