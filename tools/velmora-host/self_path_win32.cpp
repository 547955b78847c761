// The running program on Windows: GetModuleFileNameW, the process id, _isatty.
#include <io.h>
#include <windows.h>

#include <string>

#include "tools/velmora-host/self_path.h"

namespace velmora::cli {

std::filesystem::path ExecutableFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return std::filesystem::path(buffer).parent_path();
        }
        buffer.resize(buffer.size() * 2);
    }
}

long ProcessId() { return static_cast<long>(GetCurrentProcessId()); }

bool StderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

}  // namespace velmora::cli
