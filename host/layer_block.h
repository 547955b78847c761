// One host layer copied into a plug-in bitmap for the length of a run.
#pragma once

#include <cstdint>

#include "host/host_interface.h"

namespace velmora {

struct LayerBlock {
    HostOffscreen offscreen = nullptr;
    HostBitmap bitmap = nullptr;
    int32_t channelIndex[5] = {0, 0, 0, 0, 0};
    int32_t kind = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t rowBytes = 0;
    int32_t pixelBytes = 0;
    uint8_t* pixels = nullptr;
};

}  // namespace velmora
