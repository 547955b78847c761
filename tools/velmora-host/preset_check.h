// A preset file read the way the module reads it, to tell the user about
// values the module will take as they stand although the panel would refuse
// them (out of the item's range) and values it will ignore (not readable).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/host_core/host_core.h"

namespace velmora::cli {

// One warning per key whose last value in the file is outside its item's
// range, or can't be read; e.g. "size=999 is out of range: "Size" takes 1 to
// 50; the module uses it as it stands".
std::vector<std::string> PresetWarnings(std::string_view presetBytes,
                                        const hostcore::PropertyObject& panel);

}  // namespace velmora::cli
