// The roaming application-data folder on Windows, from the shell. Test and
// benchmark builds compile this file with VELMORA_TEST_SEAMS: the folder can
// then be pointed at a scratch folder, which no environment variable moves.
// The module is built without it.
#include "platform/platform.h"

#ifdef VELMORA_TEST_SEAMS
#include "platform/data_root_for_testing.h"
#endif

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <utility>

namespace velmora::platform {
namespace {

// FOLDERID_RoamingAppData, spelt out so the module needs no uuid library.
constexpr GUID kRoamingAppData = {
    0x3EB685DB, 0x65F9, 0x4CF6, {0xA0, 0x3A, 0xE3, 0xEF, 0x65, 0x72, 0x9F, 0x3D}};

#ifdef VELMORA_TEST_SEAMS
std::u16string& RoamingDataFolderOverride() {
    static std::u16string folder;
    return folder;
}
#endif

}  // namespace

std::u16string RoamingDataFolder() {
#ifdef VELMORA_TEST_SEAMS
    if (!RoamingDataFolderOverride().empty()) return RoamingDataFolderOverride();
#endif
    PWSTR path = nullptr;
    std::u16string folder;
    // The buffer is the caller's to free whether or not the call succeeds.
    if (SUCCEEDED(SHGetKnownFolderPath(kRoamingAppData, 0, nullptr, &path)) && path) {
        folder.assign(reinterpret_cast<const char16_t*>(path));
    }
    CoTaskMemFree(path);
    return folder;
}

}  // namespace velmora::platform

#ifdef VELMORA_TEST_SEAMS
namespace velmora::testing {

void SetRoamingDataFolderForTesting(std::u16string folder) {
    platform::RoamingDataFolderOverride() = std::move(folder);
}

}  // namespace velmora::testing
#endif
