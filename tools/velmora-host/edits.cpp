// Command-line settings resolved against the module's panel and applied as
// a user's edits.
#include "tools/velmora-host/edits.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>

#include "tools/velmora-host/panel_items.h"

namespace velmora::cli {
namespace {

using hostcore::PropertyItem;
using hostcore::PropertyObject;

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    }
    return text;
}

std::string Caption(const PropertyItem& item) {
    return "\"" + hostcore::Utf16ToUtf8(item.caption) + "\"";
}

std::string Quoted(const SettingText& s) { return s.key + "=" + s.value; }

bool ParseInt(const std::string& text, int64_t& v) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;
    const auto [end, ec] = std::from_chars(first, last, v);
    return ec == std::errc() && end == last && first != last;
}

bool ParseDouble(const std::string& text, double& v) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;
    const auto [end, ec] = std::from_chars(first, last, v);
    return ec == std::errc() && end == last && first != last && std::isfinite(v);
}

bool ParseBool(const std::string& text, bool& v) {
    const std::string t = Lower(text);
    if (t == "true" || t == "1" || t == "on" || t == "yes") {
        v = true;
        return true;
    }
    if (t == "false" || t == "0" || t == "off" || t == "no") {
        v = false;
        return true;
    }
    return false;
}

bool ParsePoint(const std::string& text, HostPoint& p) {
    const size_t comma = text.find(',');
    if (comma == std::string::npos) return false;
    int64_t x = 0, y = 0;
    if (!ParseInt(text.substr(0, comma), x) || !ParseInt(text.substr(comma + 1), y)) return false;
    if (x < INT32_MIN || x > INT32_MAX || y < INT32_MIN || y > INT32_MAX) return false;
    p = HostPoint{int32_t(x), int32_t(y)};
    return true;
}

std::string EnumChoices(const PropertyItem& item) {
    std::string text;
    if (item.key == kItemTemplate) {
        for (const char* name : kTemplateNames) text += std::string(name) + ", ";
    }
    size_t i = 0;
    for (const auto& [index, s] : item.enumStrings) {
        text += (++i == item.enumStrings.size() && i > 1) ? "or " : "";
        text += "\"" + hostcore::Utf16ToUtf8(s) + "\"";
        if (i < item.enumStrings.size()) text += ", ";
    }
    return text;
}

bool Resolve(const SettingText& s, const PropertyItem& item, PanelEdit& edit,
             std::string& error) {
    edit.item = item.key;
    edit.kind = item.kind;
    const std::string takes = ": " + Caption(item) + " takes ";
    switch (item.kind) {
        case kKindBool:
            if (!ParseBool(s.value, edit.boolValue)) {
                error = Quoted(s) + " is not true or false" + takes + "true or false";
                return false;
            }
            return true;
        case kKindInt: {
            int64_t v = 0;
            double d = 0.0;
            if (!ParseInt(s.value, v)) {
                error = Quoted(s) + (ParseDouble(s.value, d) ? " is not a whole number"
                                                             : " is not a number") +
                        takes + RangeText(item);
                return false;
            }
            if ((item.intMinimum && v < *item.intMinimum) ||
                (item.intMaximum && v > *item.intMaximum) || v < INT32_MIN || v > INT32_MAX) {
                error = Quoted(s) + " is out of range" + takes + RangeText(item);
                return false;
            }
            edit.intValue = int32_t(v);
            return true;
        }
        case kKindDouble: {
            double v = 0.0;
            if (!ParseDouble(s.value, v)) {
                error = Quoted(s) + " is not a number" + takes + RangeText(item);
                return false;
            }
            if ((item.doubleMinimum && v < *item.doubleMinimum) ||
                (item.doubleMaximum && v > *item.doubleMaximum)) {
                error = Quoted(s) + " is out of range" + takes + RangeText(item);
                return false;
            }
            edit.doubleValue = v;
            return true;
        }
        case kKindPoint:
            if (!ParsePoint(s.value, edit.point)) {
                error = Quoted(s) + " is not a point" + takes + "X,Y in pixels, e.g. " + s.key +
                        "=400,300";
                return false;
            }
            return true;
        case kKindEnum: {
            int32_t index = -1;
            if (item.key == kItemTemplate) {
                for (int32_t i = 0; i < 3; ++i) {
                    if (Lower(s.value) == kTemplateNames[i]) index = i;
                }
            }
            if (index < 0) index = FindEnumString(item, s.value);
            if (index < 0) {
                error = Quoted(s) + " is not one of its choices" + takes + EnumChoices(item);
                return false;
            }
            edit.intValue = index;
            return true;
        }
        default:
            error = Quoted(s) + ": the module declared " + Caption(item) +
                    " with a kind this host can't edit (" + std::to_string(item.kind) + ")";
            return false;
    }
}

const SettingKey* FindKey(const std::string& name) {
    for (const SettingKey& k : SettingKeys()) {
        if (name == k.name) return &k;
    }
    return nullptr;
}

std::string KeyList() {
    std::string text;
    for (const SettingKey& k : SettingKeys()) text += (text.empty() ? "" : ", ") + std::string(k.name);
    return text;
}

}  // namespace

bool SplitSetting(const std::string& text, SettingText& setting) {
    const size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0) return false;
    setting.key = text.substr(0, eq);
    setting.value = text.substr(eq + 1);
    return true;
}

const std::vector<SettingKey>& SettingKeys() {
    static const std::vector<SettingKey> keys = {
        {"type", kItemTemplate},     {"p1", 170},       {"p2", 171},       {"p3", 172},
        {"guide", kItemGuide},    {"curvature", 162}, {"size", 202},     {"hardness", 203},
        {"fluction", 204}, {"in", 205},       {"out", 206},      {"asdist", 207},
        {"easing", 208},   {"position", 220}, {"posfluct", 221}, {"length", 222},
        {"lenfluct", 223}, {"spacing", 224},  {"spcfluct", 225}, {"lengain", 226},
        {"spcgain", 227},  {"connect", 228},
    };
    return keys;
}

bool CheckSettingNames(const std::vector<SettingText>& settings, std::string& error) {
    for (const SettingText& s : settings) {
        if (FindKey(s.key) == nullptr) {
            error = "unknown setting \"" + s.key + "\"; the settings are " + KeyList();
            return false;
        }
    }
    return true;
}

bool ResolveEdits(const std::vector<SettingText>& settings, const PropertyObject& panel,
                  std::vector<PanelEdit>& edits, std::string& error) {
    if (!CheckSettingNames(settings, error)) return false;
    std::map<size_t, const SettingText*> last;  // by position in the key table
    for (const SettingText& s : settings) {
        const SettingKey* key = FindKey(s.key);
        last[size_t(key - SettingKeys().data())] = &s;
    }
    edits.clear();
    for (const auto& [position, s] : last) {
        const PropertyItem* item = panel.Find(SettingKeys()[position].item);
        if (item == nullptr) {
            error = Quoted(*s) + ": the module's panel has no item for \"" + s->key + "\"";
            return false;
        }
        PanelEdit edit;
        if (!Resolve(*s, *item, edit, error)) return false;
        edits.push_back(edit);
    }
    return true;
}

void ApplyEdits(hostcore::HostCore& host, const std::vector<PanelEdit>& edits) {
    for (const PanelEdit& e : edits) {
        switch (e.kind) {
            case kKindBool: host.EditBool(e.item, e.boolValue); break;
            case kKindInt: host.EditInt(e.item, e.intValue); break;
            case kKindDouble: host.EditDouble(e.item, e.doubleValue); break;
            case kKindPoint: host.EditPoint(e.item, e.point); break;
            case kKindEnum: host.EditEnum(e.item, e.intValue); break;
            default: break;
        }
    }
}

int32_t FindEnumString(const PropertyItem& item, const std::string& text) {
    for (const auto& [index, s] : item.enumStrings) {
        if (hostcore::Utf16ToUtf8(s) == text) return index;
    }
    int32_t found = -1;
    int matches = 0;
    for (const auto& [index, s] : item.enumStrings) {
        if (Lower(hostcore::Utf16ToUtf8(s)) == Lower(text)) {
            found = index;
            ++matches;
        }
    }
    return matches == 1 ? found : -1;
}

std::string NumberText(double v) {
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    return ec == std::errc() ? std::string(buffer, end) : std::string("?");
}

std::string RangeText(const PropertyItem& item) {
    if (item.kind == kKindInt) {
        const std::string lo = item.intMinimum ? std::to_string(*item.intMinimum) : "any";
        const std::string hi = item.intMaximum ? std::to_string(*item.intMaximum) : "any";
        return "whole numbers " + lo + " to " + hi;
    }
    const std::string lo = item.doubleMinimum ? NumberText(*item.doubleMinimum) : "any";
    const std::string hi = item.doubleMaximum ? NumberText(*item.doubleMaximum) : "any";
    return lo + " to " + hi;
}

}  // namespace velmora::cli
