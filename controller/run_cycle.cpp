// Filter run cycle: layers, render pass, compositing.
// (Placeholder until the render pass lands.)
#include "controller/velmora_manager.h"

namespace velmora {

void VelmoraManager::BeginRun() {}
void VelmoraManager::AcquireLayers() {}
void VelmoraManager::Render() {}
void VelmoraManager::EndRun() {}
bool VelmoraManager::ReportProgress(int, int) { return true; }

}  // namespace velmora
