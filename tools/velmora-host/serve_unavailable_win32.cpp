// velmora-host serve on Windows: the web server library is built for
// Linux only, so this build of the program says so.
#include <cstdio>

#include "tools/velmora-host/commands.h"

namespace velmora::cli {

int RunServe(const ServeOptions&, const Console& console) {
    return console.Fail(kExitFailed, "serve is not part of the Windows build; run it on Linux");
}

}  // namespace velmora::cli
