// A drawing colour as text: "#RRGGBB", as the command line and the preview
// page write it.
#pragma once

#include <optional>
#include <string>

#include "host/host_interface.h"

namespace velmora::cli {

// "#RRGGBB" or "RRGGBB", hex digits of either case.
std::optional<HostRgb> ParseColour(const std::string& text);
// "#rrggbb".
std::string ColourText(HostRgb colour);

}  // namespace velmora::cli
