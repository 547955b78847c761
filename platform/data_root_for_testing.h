// Test-only seam: points the roaming application-data folder at a scratch
// folder. Windows asks the shell for that folder, which no environment
// variable moves; POSIX tests may set XDG_CONFIG_HOME instead. Defined only
// in the test and benchmark builds' library (velmora_core), never in the
// module.
#pragma once

#include <string>

namespace velmora::testing {

// Windows test builds only. A non-empty folder replaces the shell's answer;
// empty restores it.
void SetRoamingDataFolderForTesting(std::u16string folder);

}  // namespace velmora::testing
