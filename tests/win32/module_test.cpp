// The built DLL as a Windows host sees it: it loads, exports its entry
// point, and carries the string table as STRINGTABLE resources in English
// (0x400) and Japanese (0x411), the same texts as resources/strings.tsv.
#include <gtest/gtest.h>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>

namespace {

constexpr WORD kEnglish = 0x400;
constexpr WORD kJapanese = 0x411;

std::wstring ModulePath() {
    // The module is built beside the test program.
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"Velmora.cpm";
}

// One string of a given language: strings live in blocks of 16, each a
// length-prefixed UTF-16 text.
std::optional<std::u16string> ResourceString(HMODULE module, UINT id, WORD language) {
    HRSRC found = FindResourceExW(module, MAKEINTRESOURCEW(6) /* RT_STRING */,
                                  MAKEINTRESOURCEW(id / 16 + 1), language);
    if (!found) return std::nullopt;
    HGLOBAL loaded = LoadResource(module, found);
    const auto* unit = static_cast<const char16_t*>(LockResource(loaded));
    if (!unit) return std::nullopt;
    for (UINT index = 0; index < id % 16; ++index) unit += 1 + *unit;
    if (*unit == 0) return std::nullopt;
    return std::u16string(unit + 1, *unit);
}

std::u16string Utf16(const std::string& utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                           nullptr, 0);
    std::u16string text(static_cast<size_t>(length), u'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                        reinterpret_cast<wchar_t*>(text.data()), length);
    return text;
}

class Win32Module : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryW(ModulePath().c_str());
        ASSERT_NE(module_, nullptr) << "LoadLibraryW failed: " << GetLastError();
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }
    HMODULE module_ = nullptr;
};

TEST_F(Win32Module, ExportsTheEntryPointByItsPlainName) {
    EXPECT_NE(reinterpret_cast<void*>(GetProcAddress(module_, "TriglavPluginCall")), nullptr);
}

TEST_F(Win32Module, HoldsTheFilterNamesInBothLanguages) {
    EXPECT_EQ(ResourceString(module_, 102, kEnglish), u"Velmora Plugin");
    EXPECT_EQ(ResourceString(module_, 102, kJapanese),
              u"\u30f4\u30a7\u30eb\u30e2\u30e9\u30d7\u30e9\u30b0\u30a4\u30f3");
    EXPECT_EQ(ResourceString(module_, 151, kEnglish), u"Radial Lines");
    EXPECT_EQ(ResourceString(module_, 151, kJapanese), u"\u96c6\u4e2d\u7dda");
    // LoadStringW picks a language itself; it finds the text all the same.
    wchar_t buffer[64];
    EXPECT_EQ(LoadStringW(module_, 101, buffer, 64), 13);
    EXPECT_EQ(std::wstring(buffer), L"Orvalen Works");
}

TEST_F(Win32Module, HoldsEveryEntryOfTheTableAndNothingElse) {
    std::ifstream table(VELMORA_STRINGS_TSV, std::ios::binary);
    ASSERT_TRUE(table) << VELMORA_STRINGS_TSV;
    std::map<UINT, std::pair<std::string, std::string>> expected;
    std::string line;
    while (std::getline(table, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string id, english, japanese;
        std::getline(fields, id, '\t');
        std::getline(fields, english, '\t');
        std::getline(fields, japanese);
        expected[static_cast<UINT>(std::stoul(id))] = {english, japanese};
    }
    ASSERT_EQ(expected.size(), 34u);
    for (UINT id = 0; id < 256; ++id) {
        const auto entry = expected.find(id);
        const auto english = ResourceString(module_, id, kEnglish);
        const auto japanese = ResourceString(module_, id, kJapanese);
        if (entry == expected.end()) {
            EXPECT_FALSE(english.has_value()) << id;
            EXPECT_FALSE(japanese.has_value()) << id;
        } else {
            EXPECT_EQ(english, Utf16(entry->second.first)) << id;
            EXPECT_EQ(japanese, Utf16(entry->second.second)) << id;
        }
    }
}

}  // namespace
