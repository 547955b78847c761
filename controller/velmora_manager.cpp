// The controller's construction, destruction, identity and settings snapshot.
#include "controller/velmora_manager.h"

#include <cstring>

namespace velmora {

const char kModuleId[] = "7E3B9A41-5C2D-4F86-B1A0-9D4E6C3F2A58";
static_assert(sizeof(kModuleId) == kModuleIdLength + 1, "module id is 36 characters");

VelmoraManager::VelmoraManager() = default;

PluginManager* CreatePluginManager() { return new VelmoraManager(); }

VelmoraManager::~VelmoraManager() {
    // Parsed guides first, then the lists; the base part releases the
    // layers and the property object.
    for (GuideEntry& entry : guides) entry.path.reset();
    guides.clear();
    presets.clear();
}

void VelmoraManager::GetModuleId(char* buffer) {
    std::memcpy(buffer, kModuleId, sizeof(kModuleId));
}

void VelmoraManager::PrepareRender() { snapshot = MakeSnapshot(settings); }

void VelmoraManager::ResetPointsForTemplate() {
    Point32* points[3] = {&settings.p1, &settings.p2, &settings.p3};
    for (int i = 0; i < 3; ++i) {
        const PointFraction f = TemplatePoint(settings.type, i);
        // The canvas size is asked again for every point.
        const int32_t width = host.CanvasWidth();
        const int32_t height = host.CanvasHeight();
        points[i]->x = ScaleToCanvas(width, f.fx);
        points[i]->y = ScaleToCanvas(height, f.fy);
        host.SetPoint(propertyObject, kItemPoint1 + i, HostPoint{points[i]->x, points[i]->y});
    }
}

}  // namespace velmora
