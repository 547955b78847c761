// JSON of the preview server, through nlohmann::json.
#include "tools/velmora-host/serve_json.h"

#include <cmath>
#include <cstdint>

#include <nlohmann/json.hpp>

#include "tools/velmora-host/colour_text.h"
#include "tools/velmora-host/panel_items.h"

namespace velmora::cli {
namespace {

using nlohmann::json;
using hostcore::PropertyItem;
using hostcore::Utf16ToUtf8;

const char* KindName(int32_t kind) {
    switch (kind) {
        case kKindBool: return "boolean";
        case kKindEnum: return "enumeration";
        case kKindInt: return "integer";
        case kKindDouble: return "decimal";
        case kKindPoint: return "point";
        default: return "unknown";
    }
}

// The preset key of an item ("spacing", "p1"), or a name of its own.
std::string ItemName(int32_t key) {
    if (key == kItemPreset) return "preset";
    if (key == kItemSavePreset) return "savePreset";
    for (const SettingKey& k : SettingKeys()) {
        if (k.item == key) return k.name;
    }
    return std::to_string(key);
}

// What a value of a kind looks like, for messages.
const char* ValueWords(int32_t kind) {
    switch (kind) {
        case kKindBool: return "true or false";
        case kKindInt: return "a whole number";
        case kKindDouble: return "a number";
        case kKindEnum: return "the index of one of its choices";
        case kKindPoint: return "[x, y] in whole pixels";
        default: return "no value this host can send";
    }
}

std::string Caption(const PropertyItem& item) { return "\"" + Utf16ToUtf8(item.caption) + "\""; }

bool ReadInt32(const json& v, int32_t& out) {
    if (v.is_number_integer()) {
        const int64_t n = v.get<int64_t>();
        if (n < INT32_MIN || n > INT32_MAX) return false;
        out = int32_t(n);
        return true;
    }
    if (v.is_number_float()) {
        const double d = v.get<double>();
        if (!(d >= INT32_MIN && d <= INT32_MAX) || d != std::floor(d)) return false;
        out = int32_t(d);
        return true;
    }
    return false;
}

// One edit as sent: the item's key and a value of the item's kind.
bool ReadEdit(const json& e, const hostcore::PropertyObject& panel, PanelEdit& edit,
              std::string& error) {
    if (!e.is_object() || !e.contains("item") || !e.contains("value") ||
        !ReadInt32(e["item"], edit.item)) {
        error = "an edit is {\"item\": KEY, \"value\": VALUE}";
        return false;
    }
    const PropertyItem* item = panel.Find(edit.item);
    if (item == nullptr) {
        error = "the panel has no item " + std::to_string(edit.item);
        return false;
    }
    edit.kind = item->kind;
    const json& v = e["value"];
    bool read = false;
    switch (item->kind) {
        case kKindBool:
            read = v.is_boolean();
            if (read) edit.boolValue = v.get<bool>();
            break;
        case kKindInt:
        case kKindEnum: read = ReadInt32(v, edit.intValue); break;
        case kKindDouble:
            read = v.is_number();
            if (read) edit.doubleValue = v.get<double>();
            break;
        case kKindPoint:
            read = v.is_array() && v.size() == 2 && ReadInt32(v[0], edit.point.x) &&
                   ReadInt32(v[1], edit.point.y);
            break;
        default: break;
    }
    if (!read) {
        error = Caption(*item) + " takes " + ValueWords(item->kind);
        return false;
    }
    return CheckEdit(panel, edit, error);
}

json ItemJson(const PropertyItem& item) {
    json j;
    j["key"] = item.key;
    j["name"] = ItemName(item.key);
    j["kind"] = KindName(item.kind);
    j["caption"] = Utf16ToUtf8(item.caption);
    switch (item.kind) {
        case kKindBool:
            j["value"] = item.boolValue;
            j["default"] = item.boolDefault;
            break;
        case kKindInt:
            j["value"] = item.intValue;
            j["default"] = item.intDefault;
            if (item.intMinimum) j["min"] = *item.intMinimum;
            if (item.intMaximum) j["max"] = *item.intMaximum;
            break;
        case kKindDouble:
            // NaN has no JSON form; a module never declares one, a page never sends one.
            j["value"] = std::isfinite(item.doubleValue) ? json(item.doubleValue) : json(nullptr);
            j["default"] = std::isfinite(item.doubleDefault) ? json(item.doubleDefault) : json(nullptr);
            if (item.doubleMinimum) j["min"] = *item.doubleMinimum;
            if (item.doubleMaximum) j["max"] = *item.doubleMaximum;
            break;
        case kKindEnum: {
            j["value"] = item.enumIndex;
            j["default"] = item.enumDefault;
            json choices = json::array();
            for (const auto& [index, text] : item.enumStrings) {
                choices.push_back({{"index", index}, {"text", Utf16ToUtf8(text)}});
            }
            j["choices"] = choices;
            break;
        }
        case kKindPoint: j["value"] = {item.point.x, item.point.y}; break;
        default: break;
    }
    return j;
}

std::optional<json> Parse(std::string_view body) {
    json j = json::parse(body.begin(), body.end(), nullptr, false);
    if (j.is_discarded() || !j.is_object()) return std::nullopt;
    return j;
}

}  // namespace

bool CheckEdit(const hostcore::PropertyObject& panel, const PanelEdit& edit, std::string& error) {
    const PropertyItem* item = panel.Find(edit.item);
    if (item == nullptr || item->kind != edit.kind) {
        error = "the panel has no such item " + std::to_string(edit.item);
        return false;
    }
    if (item->key == kItemSavePreset) {
        error = Caption(*item) + " saves through its own button";
        return false;
    }
    switch (item->kind) {
        case kKindInt:
            if ((item->intMinimum && edit.intValue < *item->intMinimum) ||
                (item->intMaximum && edit.intValue > *item->intMaximum)) {
                error = Caption(*item) + " takes " + RangeText(*item);
                return false;
            }
            return true;
        case kKindDouble:
            if (!std::isfinite(edit.doubleValue) ||
                (item->doubleMinimum && edit.doubleValue < *item->doubleMinimum) ||
                (item->doubleMaximum && edit.doubleValue > *item->doubleMaximum)) {
                error = Caption(*item) + " takes " + RangeText(*item);
                return false;
            }
            return true;
        case kKindEnum:
            if (item->enumStrings.count(edit.intValue) == 0) {
                error = Caption(*item) + " has no choice " + std::to_string(edit.intValue);
                return false;
            }
            return true;
        case kKindBool:
        case kKindPoint: return true;
        default:
            error = Caption(*item) + " is of a kind this host can't edit";
            return false;
    }
}

bool EditsFromJson(std::string_view body, const hostcore::PropertyObject& panel,
                   std::vector<PanelEdit>& edits, std::string& error) {
    const std::optional<json> j = Parse(body);
    if (!j || !j->contains("edits") || !(*j)["edits"].is_array()) {
        error = "the body is {\"edits\": [...]}";
        return false;
    }
    edits.clear();
    for (const json& e : (*j)["edits"]) {
        PanelEdit edit;
        if (!ReadEdit(e, panel, edit, error)) return false;
        edits.push_back(edit);
    }
    return true;
}

std::optional<HostRgb> ColourFromJson(std::string_view body) {
    const std::optional<json> j = Parse(body);
    if (!j || !j->contains("colour") || !(*j)["colour"].is_string()) return std::nullopt;
    return ParseColour((*j)["colour"].get<std::string>());
}

std::optional<bool> JapaneseFromJson(std::string_view body) {
    const std::optional<json> j = Parse(body);
    if (!j || !j->contains("lang") || !(*j)["lang"].is_string()) return std::nullopt;
    const std::string lang = (*j)["lang"].get<std::string>();
    if (lang == "ja") return true;
    if (lang == "en") return false;
    return std::nullopt;
}

std::string StateJson(const ServeState& s) {
    json j;
    j["version"] = s.version;
    j["title"] = s.title;
    j["lang"] = s.japanese ? "ja" : "en";
    j["picture"] = {{"id", s.pictureId}, {"name", s.pictureName}, {"width", s.width},
                    {"height", s.height}};
    j["colour"] = ColourText(s.colour);
    j["queued"] = s.queuedSeq;
    j["applied"] = s.appliedSeq;
    j["frame"] = {{"id", s.frameId}, {"seq", s.frameSeq}, {"picture", s.framePictureId}};
    j["rendering"] = s.rendering;
    j["progress"] = s.progressRange > 0 ? double(s.progress) / s.progressRange : 0.0;
    j["passes"] = {{"finished", s.passesFinished}, {"stopped", s.passesStopped},
                   {"lastMs", s.lastPassMs}};
    j["message"] = s.message;
    json items = json::array();
    for (const PropertyItem& item : s.panel.items) items.push_back(ItemJson(item));
    j["items"] = items;
    return j.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string ResultJson(const CommandResult& r) {
    return json{{"ok", r.ok}, {"message", r.message}, {"name", r.name}}
        .dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string ErrorJson(const std::string& message) {
    return json{{"ok", false}, {"error", message}}.dump(-1, ' ', false,
                                                        json::error_handler_t::replace);
}

}  // namespace velmora::cli
