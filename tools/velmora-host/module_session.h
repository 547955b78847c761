// Loading the module into the host core and bringing it up to module
// initialise, with one clear message for each way that can fail.
#pragma once

#include <string>

#include "tools/host_core/host_core.h"

namespace velmora::cli {

// The module path to use: the given one, or Velmora.cpm beside this program.
std::string ModulePath(const std::string& given);

// Loads the module and calls module initialise. False with a message when
// the file is missing, isn't a module, or its initialise fails.
bool OpenModule(hostcore::HostCore& host, const std::string& path, std::string& error);

}  // namespace velmora::cli
