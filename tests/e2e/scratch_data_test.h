// The end-to-end tests' shared fixture: each test gets an empty data root
// of its own, removed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/scratch_config_home.h"

namespace velmora::e2e {

class ScratchDataTest : public ::testing::Test {
protected:
    std::filesystem::path vmplugin() const { return config.vmplugin(); }

    ::velmora::testing::ScratchConfigHome config;
};

}  // namespace velmora::e2e
