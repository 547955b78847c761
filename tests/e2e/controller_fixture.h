// A host with the module linked in, its data folders in a scratch
// directory, and shortcuts to the controller behind the entry point.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "controller/velmora_manager.h"
#include "platform/data_root_for_testing.h"
#include "tools/host_core/host_core.h"

namespace velmora::e2e {

// Points the user data root at a fresh directory for one test.
class ScratchConfigHome {
public:
    ScratchConfigHome() {
        static const unsigned run = std::random_device{}();
        static int counter = 0;
        dir_ = std::filesystem::temp_directory_path() /
               ("velmora-controller-" + std::to_string(run) + "-" + std::to_string(++counter));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
#ifdef _WIN32
        // The shell's folder can't be moved by the environment: the seam moves it.
        velmora::testing::SetRoamingDataFolderForTesting(dir_.u16string());
#else
        setenv("XDG_CONFIG_HOME", dir_.string().c_str(), 1);
#endif
    }
    ~ScratchConfigHome() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    std::filesystem::path PresetDir() const { return dir_ / "orvalen" / "vmplugin" / "preset"; }
    std::filesystem::path GuideDir() const { return dir_ / "orvalen" / "vmplugin" / "guide"; }
    const std::filesystem::path& path() const { return dir_; }

private:
    std::filesystem::path dir_;
};

class ControllerTest : public ::testing::Test {
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

    ScratchConfigHome config;
    hostcore::HostCore host;
};

}  // namespace velmora::e2e
