// A host with the module linked in, its data folders in a scratch
// directory, and shortcuts to the controller behind the entry point.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "controller/velmora_manager.h"
#include "tests/e2e/scratch_data_test.h"
#include "tests/item_keys.h"
#include "tools/host_core/host_core.h"

namespace velmora::e2e {

// A host with the module linked in, its data root in the scratch folder.
class ControllerTest : public ScratchDataTest {
protected:
    ControllerTest() {
        host.UseEntryPoint(&TriglavPluginCall);
        host.LoadStringTable(hostcore::StringTable::PathBesideModule(VELMORA_MODULE_PATH));
    }

    // Module initialise and filter initialise; the panel is declared.
    void Start() {
        ASSERT_EQ(host.ModuleInitialize(), 0);
        ASSERT_EQ(host.FilterInitialize(), 0);
    }

    VelmoraManager& manager() {
        return *static_cast<VelmoraManager*>(static_cast<PluginManager*>(host.pluginData()));
    }

    // A kind-3 source of that size with every pixel transparent.
    HostOffscreen EmptySource(int32_t width, int32_t height) {
        std::vector<uint8_t> rgba(static_cast<size_t>(width * height * 4), 0);
        return host.OffscreenFromRgba(width, height, rgba.data());
    }

    hostcore::HostCore host;
};

}  // namespace velmora::e2e
