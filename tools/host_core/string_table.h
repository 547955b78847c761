// The module's string table as our hosts read it: the tab-separated data
// file beside the module (id, English, Japanese; '#' starts a comment line).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace velmora::hostcore {

enum class Language { kEnglish, kJapanese };

class StringTable {
public:
    // Replaces the table with the file's entries; false when it can't be read
    // or a line is malformed (the table is then empty).
    bool LoadFile(const std::string& path);
    bool Parse(std::string_view text);

    // Adds or replaces one entry.
    void Set(int32_t id, std::u16string english, std::u16string japanese) {
        entries_[id] = Entry{std::move(english), std::move(japanese)};
    }

    // The entry's text, or null when the id is absent.
    const std::u16string* Find(int32_t id, Language language) const;
    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }

    // Module path with its extension replaced by ".strings".
    static std::string PathBesideModule(const std::string& modulePath);

private:
    struct Entry {
        std::u16string english;
        std::u16string japanese;
    };
    std::map<int32_t, Entry> entries_;
};

}  // namespace velmora::hostcore
