// Reading the tab-separated string table.
#include "tools/host_core/string_table.h"

#include <fstream>
#include <sstream>

#include "tools/host_core/host_core.h"

namespace velmora::hostcore {

bool StringTable::LoadFile(const std::string& path) {
    entries_.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream text;
    text << in.rdbuf();
    return Parse(text.str());
}

bool StringTable::Parse(std::string_view text) {
    entries_.clear();
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        const size_t tab1 = line.find('\t');
        const size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string_view::npos) {
            entries_.clear();
            return false;
        }
        const std::string_view idText = line.substr(0, tab1);
        int32_t id = 0;
        if (idText.empty()) {
            entries_.clear();
            return false;
        }
        for (char c : idText) {
            if (c < '0' || c > '9' || id > 100000000) {
                entries_.clear();
                return false;
            }
            id = id * 10 + (c - '0');
        }
        entries_[id] = Entry{Utf8ToUtf16(line.substr(tab1 + 1, tab2 - tab1 - 1)),
                             Utf8ToUtf16(line.substr(tab2 + 1))};
    }
    return true;
}

const std::u16string* StringTable::Find(int32_t id, Language language) const {
    const auto it = entries_.find(id);
    if (it == entries_.end()) return nullptr;
    return language == Language::kJapanese ? &it->second.japanese : &it->second.english;
}

std::string StringTable::PathBesideModule(const std::string& modulePath) {
    const size_t slash = modulePath.find_last_of("/\\");
    const size_t dot = modulePath.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return modulePath + ".strings";
    }
    return modulePath.substr(0, dot) + ".strings";
}

}  // namespace velmora::hostcore
