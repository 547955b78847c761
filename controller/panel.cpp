// Property panel: declaration of the items and the handling of edits.
// (Placeholder until the panel lands.)
#include "controller/velmora_manager.h"

namespace velmora {

bool VelmoraManager::InitializeFilter() { return true; }
bool VelmoraManager::OnPropertyChanged(int32_t) { return false; }
bool VelmoraManager::SelectPreset() { return false; }
void VelmoraManager::ResetToDefaults() {}
void VelmoraManager::AddIntegerItem(int32_t, int32_t, int32_t, int32_t) {}
void VelmoraManager::AddDecimalItem(int32_t, int32_t, double, double, double) {}
void VelmoraManager::AddBooleanItem(int32_t, int32_t, bool) {}
void VelmoraManager::AddEnumerationItem(int32_t, int32_t, const std::vector<std::u16string>&) {}
void VelmoraManager::AddPointItem(int32_t, int32_t) {}

}  // namespace velmora
