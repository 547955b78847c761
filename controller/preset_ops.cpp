// Applying, saving and selecting by name: the controller's side of presets.
// (Placeholder until the preset files land.)
#include "controller/velmora_manager.h"

namespace velmora {

bool VelmoraManager::ApplyPreset(const std::u16string&) { return false; }
void VelmoraManager::SavePreset() {}
void VelmoraManager::FindGuideByName(const std::string&) {}

}  // namespace velmora
