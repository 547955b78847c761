// The string table of a Windows module: its STRINGTABLE resources, English
// (language 0x400) and Japanese (0x411), read through the module handle.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <vector>

#include "tools/host_core/module_loader.h"
#include "tools/host_core/string_table.h"

namespace velmora::hostcore {
namespace {

constexpr WORD kEnglish = 0x400;
constexpr WORD kJapanese = 0x411;
const LPCWSTR kStringType = MAKEINTRESOURCEW(6);  // RT_STRING

BOOL CALLBACK CollectBlock(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR blocks) {
    if (IS_INTRESOURCE(name)) {
        reinterpret_cast<std::vector<WORD>*>(blocks)->push_back(
            static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name)));
    }
    return TRUE;
}

// The 16 strings of block `block` (ids (block - 1) * 16 ...), each a
// length-prefixed UTF-16 text; absent ones stay empty.
std::vector<std::u16string> ReadBlock(HMODULE module, WORD block, WORD language) {
    std::vector<std::u16string> texts(16);
    HRSRC found = FindResourceExW(module, kStringType, MAKEINTRESOURCEW(block), language);
    if (!found) return texts;
    const DWORD bytes = SizeofResource(module, found);
    const auto* unit = static_cast<const char16_t*>(LockResource(LoadResource(module, found)));
    if (!unit) return texts;
    const char16_t* end = unit + bytes / sizeof(char16_t);
    for (std::u16string& text : texts) {
        if (unit >= end || end - (unit + 1) < *unit) break;
        text.assign(unit + 1, *unit);
        unit += 1 + *unit;
    }
    return texts;
}

}  // namespace

bool LoadedModule::ReadStrings(StringTable& table) const {
    const auto module = static_cast<HMODULE>(handle_);
    std::vector<WORD> blocks;
    EnumResourceNamesW(module, kStringType, &CollectBlock, reinterpret_cast<LONG_PTR>(&blocks));
    StringTable read;
    for (WORD block : blocks) {
        const std::vector<std::u16string> english = ReadBlock(module, block, kEnglish);
        const std::vector<std::u16string> japanese = ReadBlock(module, block, kJapanese);
        for (int i = 0; i < 16; ++i) {
            if (english[i].empty() && japanese[i].empty()) continue;
            // A text missing in one language falls back to the other.
            read.Set((block - 1) * 16 + i, english[i].empty() ? japanese[i] : english[i],
                     japanese[i].empty() ? english[i] : japanese[i]);
        }
    }
    if (read.empty()) return false;
    table = std::move(read);
    return true;
}

}  // namespace velmora::hostcore
