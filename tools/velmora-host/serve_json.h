// What the preview page and the server say to each other, as JSON: the
// state with the whole declared panel, and the edits the page sends,
// checked against that panel before they are queued.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/host_interface.h"
#include "tools/host_core/host_core.h"
#include "tools/velmora-host/colour_text.h"
#include "tools/velmora-host/edits.h"
#include "tools/velmora-host/serve_session.h"

namespace velmora::cli {

// Whether an edit fits the item it names: the item exists with that kind,
// a number lies in the declared range, an index names one of its strings.
// "Save Preset" is not edited this way: it saves through its own request.
bool CheckEdit(const hostcore::PropertyObject& panel, const PanelEdit& edit, std::string& error);

// {"edits":[{"item":224,"value":30},{"item":170,"value":[400,300]}]}: all
// are checked before any is taken.
bool EditsFromJson(std::string_view body, const hostcore::PropertyObject& panel,
                   std::vector<PanelEdit>& edits, std::string& error);

// {"colour":"#RRGGBB"}
std::optional<HostRgb> ColourFromJson(std::string_view body);
// {"lang":"en"} or {"lang":"ja"}
std::optional<bool> JapaneseFromJson(std::string_view body);

std::string StateJson(const ServeState& state);
std::string ResultJson(const CommandResult& result);
std::string ErrorJson(const std::string& message);

}  // namespace velmora::cli
