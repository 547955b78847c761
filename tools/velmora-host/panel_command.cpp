// velmora-host panel: the items the module declares at filter initialise,
// in declaration order, in the language of its string table the user picks.
#include <cstdio>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "tools/host_core/host_core.h"
#include "tools/velmora-host/commands.h"
#include "tools/velmora-host/edits.h"
#include "tools/velmora-host/module_session.h"

namespace velmora::cli {
namespace {

using hostcore::PropertyItem;
using hostcore::Utf16ToUtf8;

const char* KindName(int32_t kind) {
    switch (kind) {
        case 1: return "boolean";
        case 2: return "enumeration";
        case 17: return "integer";
        case 18: return "decimal";
        case 33: return "point";
        default: return "unknown";
    }
}

// Columns a text takes in a terminal: East Asian wide characters count two.
size_t DisplayWidth(const std::u16string& text) {
    size_t width = 0;
    for (char16_t c : text) {
        if (c >= 0xDC00 && c < 0xE000) continue;  // second half of a pair
        width += (c >= 0x1100 && (c < 0xD800 || c >= 0xE000)) ? 2 : 1;
    }
    return width;
}

std::string Padded(const std::u16string& text, size_t width) {
    const size_t w = DisplayWidth(text);
    return Utf16ToUtf8(text) + std::string(w < width ? width - w : 1, ' ');
}

std::string Padded(const std::string& text, size_t width) {
    return text + std::string(text.size() < width ? width - text.size() : 1, ' ');
}

std::string SetKey(int32_t item) {
    for (const SettingKey& k : SettingKeys()) {
        if (k.item == item) return k.name;
    }
    return "-";
}

std::string EnumText(const PropertyItem& item, int32_t index) {
    const auto it = item.enumStrings.find(index);
    return it == item.enumStrings.end() ? std::to_string(index) : "\"" + Utf16ToUtf8(it->second) + "\"";
}

// Range and default of one item, e.g. "1 to 50, default 2".
std::string Details(const PropertyItem& item) {
    switch (item.kind) {
        case 1: return std::string("default ") + (item.boolDefault ? "true" : "false");
        case 17:
        case 18: {
            std::string range = RangeText(item);
            if (range.rfind("whole numbers ", 0) == 0) range = range.substr(14);
            const std::string def = item.kind == 17 ? std::to_string(item.intDefault)
                                                    : NumberText(item.doubleDefault);
            return range + ", default " + def;
        }
        case 2: {
            std::string text = "default " + EnumText(item, item.enumDefault) + "; choices ";
            bool first = true;
            for (const auto& [index, s] : item.enumStrings) {
                text += (first ? "" : ", ") + ("\"" + Utf16ToUtf8(s) + "\"");
                first = false;
            }
            return text;
        }
        case 33: return "X,Y in pixels";
        default: return "";
    }
}

// JSON text of a string.
std::string Json(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

std::string Json(const std::u16string& text) { return Json(Utf16ToUtf8(text)); }

// {"en": ..., "ja": ...}
std::string Both(const std::u16string& en, const std::u16string& ja) {
    return "{\"en\": " + Json(en) + ", \"ja\": " + Json(ja) + "}";
}

template <typename T>
std::string OrNull(const std::optional<T>& v) {
    if (!v) return "null";
    if constexpr (std::is_same_v<T, double>) return NumberText(*v);
    else return std::to_string(*v);
}

// One item in both languages: the same declaration read through the two
// string tables.
std::string ItemJson(const PropertyItem& en, const PropertyItem* ja) {
    const std::string key = SetKey(en.key);
    std::string text = "    {\"item\": " + std::to_string(en.key) +
                       ", \"key\": " + (key == "-" ? std::string("null") : Json(key)) +
                       ", \"caption\": " + Both(en.caption, ja ? ja->caption : en.caption) +
                       ", \"kind\": " + Json(std::string(KindName(en.kind)));
    switch (en.kind) {
        case 1: text += std::string(", \"default\": ") + (en.boolDefault ? "true" : "false"); break;
        case 17:
            text += ", \"minimum\": " + OrNull(en.intMinimum) + ", \"maximum\": " +
                    OrNull(en.intMaximum) + ", \"default\": " + std::to_string(en.intDefault);
            break;
        case 18:
            text += ", \"minimum\": " + OrNull(en.doubleMinimum) + ", \"maximum\": " +
                    OrNull(en.doubleMaximum) + ", \"default\": " + NumberText(en.doubleDefault);
            break;
        case 33:
            text += ", \"default\": [" + std::to_string(en.point.x) + ", " +
                    std::to_string(en.point.y) + "]";
            break;
        case 2: {
            text += ", \"default\": " + std::to_string(en.enumDefault) + ", \"choices\": [";
            bool first = true;
            for (const auto& [index, s] : en.enumStrings) {
                std::u16string other = s;
                if (ja != nullptr) {
                    const auto it = ja->enumStrings.find(index);
                    if (it != ja->enumStrings.end()) other = it->second;
                }
                text += std::string(first ? "" : ", ") + "{\"index\": " + std::to_string(index) +
                        ", \"en\": " + Json(s) + ", \"ja\": " + Json(other) + "}";
                first = false;
            }
            text += "]";
            break;
        }
        default: break;
    }
    return text + "}";
}

// The module loaded and its filter initialised, in one language.
bool OpenPanel(hostcore::HostCore& host, const std::string& module, std::string& error) {
    if (!OpenModule(host, ModulePath(module), error)) return false;
    host.SetCanvasSize(800, 600);
    if (host.FilterInitialize() != 0 || host.panel() == nullptr) {
        error = "the module failed to initialise its filter";
        return false;
    }
    return true;
}

hostcore::HostOptions PanelHostOptions(bool japanese) {
    hostcore::HostOptions options;
    options.logCalls = false;
    options.language = japanese ? hostcore::Language::kJapanese : hostcore::Language::kEnglish;
    return options;
}

int RunPanelJson(const PanelOptions& o, const Console& console) {
    // One module at a time: the English panel first, kept as text.
    std::vector<PropertyItem> english;
    hostcore::FilterDeclaration filterEn;
    std::string error;
    {
        hostcore::HostCore host(PanelHostOptions(false));
        if (!OpenPanel(host, o.module, error)) return console.Fail(kExitFailed, error);
        english = host.panel()->items;
        filterEn = host.filter();
        host.FilterTerminate();
        host.ModuleTerminate();
    }
    hostcore::HostCore host(PanelHostOptions(true));
    if (!OpenPanel(host, o.module, error)) return console.Fail(kExitFailed, error);
    const hostcore::FilterDeclaration& filterJa = host.filter();
    std::string text = "{\n  \"category\": " + Both(filterEn.categoryName, filterJa.categoryName) +
                       ",\n  \"filter\": " + Both(filterEn.filterName, filterJa.filterName) +
                       ",\n  \"items\": [\n";
    for (size_t i = 0; i < english.size(); ++i) {
        text += ItemJson(english[i], host.panel()->Find(english[i].key));
        text += i + 1 < english.size() ? ",\n" : "\n";
    }
    text += "  ]\n}\n";
    std::fputs(text.c_str(), console.out);
    host.FilterTerminate();
    host.ModuleTerminate();
    return kExitOk;
}

}  // namespace

int RunPanel(const PanelOptions& o, const Console& console) {
    if (o.json) return RunPanelJson(o, console);
    hostcore::HostCore host(PanelHostOptions(o.japanese));
    std::string error;
    if (!OpenPanel(host, o.module, error)) return console.Fail(kExitFailed, error);
    std::FILE* out = console.out;
    const hostcore::FilterDeclaration& filter = host.filter();
    std::fprintf(out, "%s / %s\n\n", Utf16ToUtf8(filter.categoryName).c_str(),
                 Utf16ToUtf8(filter.filterName).c_str());

    size_t captionWidth = 8;
    for (const PropertyItem& item : host.panel()->items) {
        captionWidth = std::max(captionWidth, DisplayWidth(item.caption) + 2);
    }
    std::fprintf(out, "%s%s%s%s%s\n", Padded(std::string("item"), 6).c_str(),
                 Padded(std::string("--set"), 11).c_str(),
                 Padded(std::u16string(u"caption"), captionWidth).c_str(),
                 Padded(std::string("kind"), 13).c_str(), "range, default, choices");
    for (const PropertyItem& item : host.panel()->items) {
        std::fprintf(out, "%s%s%s%s%s\n", Padded(std::to_string(item.key), 6).c_str(),
                     Padded(SetKey(item.key), 11).c_str(), Padded(item.caption, captionWidth).c_str(),
                     Padded(std::string(KindName(item.kind)), 13).c_str(), Details(item).c_str());
    }
    host.FilterTerminate();
    host.ModuleTerminate();
    return kExitOk;
}

}  // namespace velmora::cli
