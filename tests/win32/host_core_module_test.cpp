// The DLL driven by the host core under Windows: the loader takes the string
// table from the module's resources.
#include <gtest/gtest.h>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

#include "platform/platform.h"
#include "tools/host_core/host_core.h"

namespace velmora::hostcore {
namespace {

std::string ModulePath() {
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::u16string path(reinterpret_cast<const char16_t*>(self), length);
    path = path.substr(0, path.find_last_of(u"\\/") + 1) + u"Velmora.cpm";
    return platform::Utf16ToUtf8(path);
}

TEST(Win32HostCore, ReadsTheStringTableFromTheModuleResources) {
    std::string error;
    const auto module = LoadedModule::Open(ModulePath(), &error);
    ASSERT_NE(module, nullptr) << error;
    StringTable fromResources;
    ASSERT_TRUE(module->ReadStrings(fromResources));

    StringTable fromSource;
    ASSERT_TRUE(fromSource.LoadFile(VELMORA_STRINGS_TSV));
    ASSERT_EQ(fromResources.size(), fromSource.size());
    for (int32_t id = 0; id < 256; ++id) {
        for (Language language : {Language::kEnglish, Language::kJapanese}) {
            const std::u16string* expected = fromSource.Find(id, language);
            const std::u16string* found = fromResources.Find(id, language);
            ASSERT_EQ(found == nullptr, expected == nullptr) << id;
            if (expected) {
                EXPECT_EQ(*found, *expected) << id;
            }
        }
    }
}

}  // namespace
}  // namespace velmora::hostcore
