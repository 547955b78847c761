// velmora-host panel: the items the module declares at filter initialise,
// in declaration order, in the language of its string table the user picks.
#include <cstdio>
#include <string>

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

}  // namespace

int RunPanel(const PanelOptions& o, std::FILE* out, std::FILE* err) {
    hostcore::HostOptions options;
    options.logCalls = false;
    options.language = o.japanese ? hostcore::Language::kJapanese : hostcore::Language::kEnglish;
    hostcore::HostCore host(options);
    std::string error;
    if (!OpenModule(host, ModulePath(o.module), error)) {
        std::fprintf(err, "velmora-host: %s\n", error.c_str());
        return kExitFailed;
    }
    host.SetCanvasSize(800, 600);
    if (host.FilterInitialize() != 0 || host.panel() == nullptr) {
        std::fprintf(err, "velmora-host: the module failed to initialise its filter\n");
        return kExitFailed;
    }
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
