// The controller base: cached host pointers, layer release, destruction.
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
    hostObject = current != nullptr ? current->hostObject : nullptr;
    stringService = current != nullptr ? current->string : nullptr;
    propertyService = current != nullptr ? current->property : nullptr;
    extPropertyService = current != nullptr ? current->extProperty : nullptr;
    host.Reset(current);
}

void PluginManager::ReleaseLayers() {
    for (LayerBlock* block : {&source, &destination, &selection}) {
        if (block->bitmap != nullptr) host.ReleaseBitmap(block->bitmap);
        *block = LayerBlock{};
    }
}

}  // namespace velmora
