// The bundled sample picture (samples/sample.png, built into the program so
// that `velmora-host render -o OUT.png` works anywhere).
#pragma once

#include <string_view>

namespace velmora::cli {

std::string_view SamplePng();

}  // namespace velmora::cli
