// Preset files: a sectioned text file per preset, read through a key table
// and written byte for byte in one fixed layout.
#include "data/preset_file.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "data/data_folders.h"
#include "data/number_text.h"
#include "data/text.h"
#include "platform/platform.h"
#include "render/template_kind.h"

namespace velmora {
namespace {

constexpr size_t kMaxNameBytes = 258;

enum class PresetValueKind { kInteger = 1, kReal, kText, kPoint, kBoolean, kTemplate };

struct PresetKey {
    PresetValueKind kind;
    void* where;  // into the record being read
    int flag;     // index into foundFlags
};

// Section name -> key name -> where the value goes.
using PresetKeyTable =
    std::unordered_map<std::string_view, std::unordered_map<std::string_view, PresetKey>>;

// How a preset file writes a value of the type of a setting's field.
constexpr PresetValueKind KindOfField(const double&) { return PresetValueKind::kReal; }
constexpr PresetValueKind KindOfField(const int32_t&) { return PresetValueKind::kInteger; }
constexpr PresetValueKind KindOfField(const bool&) { return PresetValueKind::kBoolean; }

// The writer opens each section once, after the template's "guide" keys:
// the table keeps the rows of a section together, "guide" first.
consteval bool SectionsInOneRunEach() {
    std::string_view current = "guide";
    for (size_t i = 0; i < kSettingCount; ++i) {
        const std::string_view section = kSettingRows[i].section;
        if (section == current) continue;
        if (section == "guide") return false;
        for (size_t j = 0; j < i; ++j) {
            if (section == kSettingRows[j].section) return false;
        }
        current = section;
    }
    return true;
}
static_assert(SectionsInOneRunEach());

PresetKeyTable BuildKeyTable(PresetRecord& r) {
    using K = PresetValueKind;
    PresetKeyTable table;
    table["guide"]["type"] = {K::kTemplate, &r.type, kKeyType};
    table["guide"]["p1"] = {K::kPoint, r.p1, kKeyP1};
    table["guide"]["p2"] = {K::kPoint, r.p2, kKeyP2};
    table["guide"]["p3"] = {K::kPoint, r.p3, kKeyP3};
    table["guide"]["name"] = {K::kText, r.name, kKeyName};
    ForEachSetting([&](const SettingRow& row, auto field) {
        table[row.section][row.key] = {KindOfField(field(r)), &field(r), row.presetKey};
    });
    return table;
}

// Each template's word in a preset file, radial first.
struct TemplateWordRow {
    int32_t type;
    const char* word;
};
constexpr TemplateWordRow kTemplateWords[] = {
    {kTemplateRadial, "radiate"}, {kTemplateParallel, "parallel"}, {kTemplateConcentric, "circle"}};

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsCSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsCSpace(text.back())) text.remove_suffix(1);
    return text;
}

std::string AsciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

bool ReadReal(std::string_view text, double& out) {
    return ParseReal(text, out) == NumberResult::kOk;
}

// Converts the value by the key's kind; writes it only when it converts.
bool StoreValue(const PresetKey& key, std::string_view value) {
    switch (key.kind) {
        case PresetValueKind::kInteger: {
            int32_t v = 0;
            if (ParseInteger(value, v) != NumberResult::kOk) return false;
            *static_cast<int32_t*>(key.where) = v;
            return true;
        }
        case PresetValueKind::kReal: {
            double v = 0.0;
            if (!ReadReal(value, v)) return false;
            *static_cast<double*>(key.where) = v;
            return true;
        }
        case PresetValueKind::kText: {
            if (value.size() > kMaxNameBytes) return false;
            char* name = static_cast<char*>(key.where);
            std::memcpy(name, value.data(), value.size());
            name[value.size()] = '\0';
            return true;
        }
        case PresetValueKind::kPoint: {
            const size_t comma = value.find(',');
            if (value.empty() || comma == std::string_view::npos) return false;
            double x = 0.0, y = 0.0;
            if (!ReadReal(value.substr(0, comma), x) || !ReadReal(value.substr(comma + 1), y)) {
                return false;
            }
            double* point = static_cast<double*>(key.where);
            point[0] = x;
            point[1] = y;
            return true;
        }
        case PresetValueKind::kBoolean: {
            const std::string lower = AsciiLower(value);
            bool v = false;
            if (lower == "1" || lower == "true") {
                v = true;
            } else if (lower != "0" && lower != "false") {
                return false;
            }
            *static_cast<bool*>(key.where) = v;
            return true;
        }
        case PresetValueKind::kTemplate: {
            const std::string lower = AsciiLower(value);
            for (const TemplateWordRow& row : kTemplateWords) {
                if (lower != row.word) continue;
                *static_cast<int32_t*>(key.where) = row.type;
                return true;
            }
            return false;
        }
    }
    return false;
}

void ParseLine(std::string_view line, const PresetKeyTable& table, std::string_view& section,
               bool* foundFlags) {
    line = Trim(line);
    if (line.empty() || line.front() == ';' || line.front() == '#') return;
    if (line.front() == '[') {
        const size_t close = line.find(']');
        if (close != std::string_view::npos) section = Trim(line.substr(1, close - 1));
        return;
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) return;
    const auto keys = table.find(section);
    if (keys == table.end()) return;
    const auto entry = keys->second.find(Trim(line.substr(0, equals)));
    if (entry == keys->second.end()) return;
    foundFlags[entry->second.flag] = StoreValue(entry->second, Trim(line.substr(equals + 1)));
}

// Any other template is written as radial.
const char* TemplateWord(int32_t type) {
    for (const TemplateWordRow& row : kTemplateWords) {
        if (row.type == type) return row.word;
    }
    return kTemplateWords[0].word;
}

void AppendPoint(std::string& out, const char* key, const double* p) {
    out += key;
    out += '=';
    out += FormatDecimal(p[0], 5);
    out += ',';
    out += FormatDecimal(p[1], 5);
    out += '\n';
}

void AppendValue(std::string& out, const char* key, double v) {
    out += key;
    out += '=';
    out += FormatDecimal(v, 2);
    out += '\n';
}

void AppendValue(std::string& out, const char* key, int32_t v) {
    out += key;
    out += '=';
    out += std::to_string(v);
    out += '\n';
}

void AppendValue(std::string& out, const char* key, bool v) {
    out += key;
    out += '=';
    out += v ? "true" : "false";
    out += '\n';
}

}  // namespace

void ParsePresetText(std::string_view content, PresetRecord& record, bool* foundFlags) {
    PresetFlags ownFlags{};
    bool* flags = foundFlags != nullptr ? foundFlags : ownFlags.data();
    record = PresetRecord{};
    std::fill(flags, flags + kPresetKeyCount, false);
    const PresetKeyTable table = BuildKeyTable(record);

    std::string_view section;  // the empty section holds no keys
    size_t start = 0;
    while (start <= content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string_view::npos) end = content.size();
        ParseLine(content.substr(start, end - start), table, section, flags);
        start = end + 1;
    }
}

bool ReadPresetFile(std::u16string_view name, PresetRecord& record, bool* foundFlags) {
    const std::string content = ReadWholeFile(ToUtf8(DataFilePath(name, DataKind::kPreset)));
    if (content.empty()) return false;
    ParsePresetText(content, record, foundFlags);
    return true;
}

std::string ComposePresetText(const PresetRecord& r) {
    std::string out;
    out += "[guide]\n";
    out += "type=";
    out += TemplateWord(r.type);
    out += '\n';
    AppendPoint(out, "p1", r.p1);
    AppendPoint(out, "p2", r.p2);
    AppendPoint(out, "p3", r.p3);
    out += "name=";
    out.append(r.name, strnlen(r.name, sizeof(r.name)));
    out += '\n';
    // The settings follow in table order, each section opened where it
    // first appears after a blank line.
    std::string_view section = "guide";
    ForEachSetting([&](const SettingRow& row, auto field) {
        if (row.section != section) {
            section = row.section;
            out += "\n[";
            out += section;
            out += "]\n";
        }
        AppendValue(out, row.key, field(r));
    });
    return out;
}

bool WritePresetFile(std::u16string_view name, const PresetRecord& record) {
    if (name.empty()) return false;
    const std::string text = ComposePresetText(record);
    std::FILE* file =
        platform::OpenFile(ToUtf8(DataFilePath(name, DataKind::kPreset)), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;  // a failed flush counts as a write error
    return written && closed;
}

std::string FormatDecimal(double value, int decimals) {
    if (decimals < 0) decimals = 0;
    // Fixed notation as printf("%.*f") gives it in the "C" locale.
    std::vector<char> buffer(static_cast<size_t>(decimals) + 330);
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, decimals);
    std::string text(buffer.data(), result.ptr);
    if (text.find('.') != std::string::npos) {
        while (!text.empty() && text.back() == '0') text.pop_back();
        if (!text.empty() && text.back() == '.') text.pop_back();
    }
    // A negative value that rounds to zero is written as plain zero.
    if (text == "-0") text = "0";
    return text;
}

std::u16string PresetNameForTime(std::time_t t) {
    std::tm local{};
    if (!platform::LocalTime(t, local)) return {};
    char buffer[64];
    const size_t length = std::strftime(buffer, sizeof(buffer), "%Y%m%d-%H%M%S", &local);
    return ToUtf16(std::string_view(buffer, length));
}

}  // namespace velmora
