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

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
}

long ProcessId() { return static_cast<long>(::getpid()); }

bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace velmora::cli
