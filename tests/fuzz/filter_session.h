// Host sessions over the module for the fuzz targets: a scene, a panel
// edited by the input, one or more runs, and the checks that the module
// left nothing behind and broke no rule of the host.
#pragma once

#include <cstdint>
#include <string_view>

#include "tests/fuzz/fuzz_support.h"

namespace velmora::fuzz {

// A small inked canvas rendered once with the guide of that name selected,
// with a template (0, 1, 2: its base points) and spacing when given.
void RunGuideSession(std::u16string_view guideName, int32_t type = -1, int32_t spacing = 0);

// Everything decoded from the input: host behaviour (failing services,
// null handles), canvas and layers, panel edits, process-state replies and
// the order of the selectors.
void RunFilterSession(ByteReader& in);

}  // namespace velmora::fuzz
