// The controller base: the current server, layer release, destruction.
#include "host/plugin_manager.h"

namespace velmora {

PluginManager::~PluginManager() {
    ReleaseLayers();
    if (propertyObject != nullptr) {
        host.ReleasePropertyObject(propertyObject);
        propertyObject = nullptr;
    }
}

void PluginManager::RefreshServer(HostServer* current) {
    server = current;
    host.Reset(current);
}

void PluginManager::ReleaseLayers() {
    for (LayerBlock* block : {&source, &destination, &selection}) {
        if (block->bitmap != nullptr) host.ReleaseBitmap(block->bitmap);
        *block = LayerBlock{};
    }
}

}  // namespace velmora
