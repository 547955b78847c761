// Settings given on the command line as panel edits: `--set KEY=VALUE` with
// the preset keys of the effect, checked against the items the module
// declared (kind, range, enumeration strings) and applied in a sensible
// order, each as a user's edit of the item.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/host_interface.h"
#include "tools/host_core/host_core.h"

namespace velmora::cli {

// One `--set KEY=VALUE` as written.
struct SettingText {
    std::string key;
    std::string value;
};

// Splits "KEY=VALUE"; false when there is no "=" or no key.
bool SplitSetting(const std::string& text, SettingText& setting);

// An edit resolved against the panel: the item and the value to give it.
struct PanelEdit {
    int32_t item = 0;
    int32_t kind = 0;
    bool boolValue = false;
    int32_t intValue = 0;  // integer value or enumeration index
    double doubleValue = 0.0;
    HostPoint point{0, 0};
};

// The preset keys the command line accepts, in the order edits are applied:
// the template first (it moves the base points), then the points, then the
// guide and the rest in panel order.
struct SettingKey {
    const char* name;
    int32_t item;
};
const std::vector<SettingKey>& SettingKeys();

// Refuses unknown keys before anything is loaded.
bool CheckSettingNames(const std::vector<SettingText>& settings, std::string& error);

// Resolves every setting against the declared panel, in application order
// (a key given twice keeps its last value). False with one message naming
// the item and what it takes when a value is malformed, out of the item's
// range or not one of its strings.
bool ResolveEdits(const std::vector<SettingText>& settings,
                  const hostcore::PropertyObject& panel, std::vector<PanelEdit>& edits,
                  std::string& error);

// Sets each item's value in the host's property store and notifies the
// module (kind 17), in order.
void ApplyEdits(hostcore::HostCore& host, const std::vector<PanelEdit>& edits);

// Index of the enumeration string equal to `text` (exactly, else ignoring
// ASCII case when only one string matches that way); -1 when none.
int32_t FindEnumString(const hostcore::PropertyItem& item, const std::string& text);

// "1 to 50", "0 to 1000": the range an integer or decimal item declared.
std::string RangeText(const hostcore::PropertyItem& item);

// A number as a user writes it: shortest form, no trailing zeros.
std::string NumberText(double v);

}  // namespace velmora::cli
