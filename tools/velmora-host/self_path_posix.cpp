// The running program on Linux: /proc/self/exe, getpid, isatty.
#include <unistd.h>

#include <system_error>

#include "tools/velmora-host/self_path.h"

namespace velmora::cli {

std::filesystem::path ExecutableFolder() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : exe.parent_path();
}

long ProcessId() { return static_cast<long>(::getpid()); }

bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace velmora::cli
