// The pass seams of the controller a host's module made: the benchmark
// runs passes through the baseline's stamp and compositor, or on a fixed
// number of workers, through them.
#pragma once

#include "controller/velmora_manager.h"
#include "tools/host_core/host_core.h"

namespace velmora::bench {

// Valid from module initialise to module terminate.
inline PassSeams& SeamsOf(hostcore::HostCore& host) {
    return static_cast<VelmoraManager*>(static_cast<PluginManager*>(host.pluginData()))->seams;
}

}  // namespace velmora::bench
