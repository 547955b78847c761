// The exported entry point and the property callback: selector dispatch to
// the controller, the filter run loop, and the one exception firewall.
#include <exception>
#include <new>

#include "host/export.h"
#include "host/host_interface.h"
#include "host/plugin_manager.h"

namespace velmora {
namespace {

void PropertyCallbackImpl(HostInt* result, HostPropertyObject /*object*/, HostInt itemKey,
                          HostInt notifyKind, void* data) {
    *result = kPropertyUnchanged;
    auto* manager = static_cast<PluginManager*>(data);
    if (manager == nullptr || manager->server == nullptr || manager->server->string == nullptr) {
        return;
    }
    if (notifyKind == kNotifyValueChanged && manager->OnPropertyChanged(itemKey)) {
        *result = kPropertyChanged;
    }
}

// The host's reported edits; nothing thrown inside leaves here.
void PropertyCallbackEntry(HostInt* result, HostPropertyObject object, HostInt itemKey,
                           HostInt notifyKind, void* data) noexcept {
    if (result == nullptr) return;
    try {
        PropertyCallbackImpl(result, object, itemKey, notifyKind, data);
    } catch (const std::bad_alloc&) {
        *result = kPropertyUnchanged;
    } catch (const std::exception&) {
        *result = kPropertyUnchanged;
    } catch (...) {
        *result = kPropertyUnchanged;
    }
}

void ModuleInitialize(HostInt* result, void** pluginData, HostServer* server) {
    // Stored whatever the registration gives: module terminate frees it. A
    // second module initialise keeps the controller of the first (replacing
    // it would lose the first without a terminate).
    if (*pluginData == nullptr) *pluginData = CreatePluginManager();
    auto* manager = static_cast<PluginManager*>(*pluginData);
    if (server->moduleInit == nullptr || server->string == nullptr) return;
    const Host host(server);
    if (host.HostVersion() < 1) return;
    char id[kModuleIdLength + 1] = {};
    manager->GetModuleId(id);
    HostStringRef idString = host.MakeNarrowString(std::string_view(id, kModuleIdLength));
    host.SetModuleId(idString.get());
    host.SetModuleKind(kModuleKind);
    idString.Release();
    *result = kResultSuccess;
}

// Passes as long as the host answers 258 after each one.
void FilterRun(PluginManager& manager) {
    manager.BeginRun();
    for (;;) {
        if (manager.host.ProcessState(kProcessStart, kProcessStart) == kProcessDone) break;
        manager.PrepareRender();
        manager.Render();
        if (manager.host.ProcessState(kProcessDone, kProcessDone) != kProcessContinue) break;
    }
    manager.EndRun();
}

void Dispatch(HostInt* result, void** pluginData, HostInt selector, HostServer* server) {
    *result = kResultFailure;
    if (server == nullptr || pluginData == nullptr) return;
    if (selector == kSelectorModuleInitialize) {
        ModuleInitialize(result, pluginData, server);
        return;
    }
    auto* manager = static_cast<PluginManager*>(*pluginData);
    if (manager == nullptr) return;
    manager->RefreshServer(server);
    switch (selector) {
        case kSelectorModuleTerminate:
            delete manager;
            *pluginData = nullptr;
            *result = kResultSuccess;
            break;
        case kSelectorFilterInitialize:
            // A repeated filter initialise replaces the panel: the object of
            // the previous one is not used again.
            if (manager->propertyObject != nullptr) {
                manager->host.ReleasePropertyObject(manager->propertyObject);
                manager->propertyObject = nullptr;
            }
            manager->propertyObject = manager->host.CreatePropertyObject();
            manager->host.SetPropertyObject(manager->propertyObject);
            manager->host.SetPropertyCallback(&PropertyCallbackEntry, manager);
            if (manager->InitializeFilter()) *result = kResultSuccess;
            break;
        case kSelectorFilterRun:
            FilterRun(*manager);
            *result = kResultSuccess;
            break;
        // Filter terminate: the panel object stays until the next filter
        // initialise or the controller goes.
        case kSelectorFilterTerminate:
        default:
            *result = kResultSuccess;
            break;
    }
}

}  // namespace
}  // namespace velmora

extern "C" VELMORA_EXPORT void TriglavPluginCall(HostInt* result, void** pluginData,
                                                HostInt selector, HostServer* server) noexcept {
    if (result == nullptr) return;
    try {
        velmora::Dispatch(result, pluginData, selector, server);
    } catch (const std::bad_alloc&) {
        *result = kResultFailure;
    } catch (const std::exception&) {
        *result = kResultFailure;
    } catch (...) {
        *result = kResultFailure;
    }
}
