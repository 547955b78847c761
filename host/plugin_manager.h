// The controller base class the entry point drives.
#pragma once

#include <cstdint>

#include "host/host.h"
#include "host/host_interface.h"
#include "host/layer_block.h"

namespace velmora {

constexpr int32_t kModuleKind = 0x4380;
constexpr int kModuleIdLength = 36;

class PluginManager {
public:
    PluginManager() = default;
    virtual ~PluginManager();
    PluginManager(const PluginManager&) = delete;
    PluginManager& operator=(const PluginManager&) = delete;

    // Writes the 36-character module id and a terminating zero.
    virtual void GetModuleId(char* buffer) = 0;
    virtual void BeginRun() {}
    virtual void PrepareRender() {}
    virtual void Render() {}
    virtual void ReservedHook4() {}
    virtual void EndRun() {}
    virtual bool OnPropertyChanged(int32_t /*itemKey*/) { return false; }
    virtual void OnPropertyEvent(int32_t /*itemKey*/) {}
    virtual bool InitializeFilter() { return true; }
    virtual bool TerminateFilter() { return true; }
    virtual bool ReservedHook11() { return true; }

    // Refreshes the cached server, host object and service pointers.
    void RefreshServer(HostServer* server);

    HostServer* server = nullptr;
    HostObject hostObject = nullptr;
    const StringService* stringService = nullptr;
    const PropertyService* propertyService = nullptr;
    const ExtPropertyService* extPropertyService = nullptr;
    HostPropertyObject propertyObject = nullptr;
    LayerBlock source;
    LayerBlock destination;
    LayerBlock selection;

    // Typed access to the current call's services.
    Host host;

protected:
    void ReleaseLayers();
};

}  // namespace velmora
