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
    // A filter run: BeginRun, then PrepareRender and Render for each pass
    // the host asks for, then EndRun.
    virtual void BeginRun() = 0;
    virtual void PrepareRender() = 0;
    virtual void Render() = 0;
    virtual void EndRun() = 0;
    // A panel edit the host reported; true when the panel changed.
    virtual bool OnPropertyChanged(int32_t itemKey) = 0;
    // Declares the panel; false fails the filter initialise.
    virtual bool InitializeFilter() = 0;

    // Refreshes the current call's server and its typed access.
    void RefreshServer(HostServer* server);

    HostServer* server = nullptr;
    HostPropertyObject propertyObject = nullptr;
    LayerBlock source;
    LayerBlock destination;
    LayerBlock selection;

    // Typed access to the current call's services.
    Host host;

protected:
    void ReleaseLayers();
};

// The module's controller; defined by the controller layer, owned by the
// caller (the entry point frees it at module terminate).
PluginManager* CreatePluginManager();

}  // namespace velmora
