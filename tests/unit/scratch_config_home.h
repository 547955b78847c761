// A fresh, empty folder for one test, removed afterwards. Where the
// platform lets a test move the data root (POSIX: XDG_CONFIG_HOME; Windows:
// the test seam), the data root points into it while the object lives.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <string>

#ifdef _WIN32
#include "platform/data_root_for_testing.h"
#endif

namespace velmora::testing {

class ScratchConfigHome {
public:
    ScratchConfigHome() {
        std::random_device device;
        const std::filesystem::path temp = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 100 && root_.empty(); ++attempt) {
            const std::filesystem::path candidate =
                temp / ("velmora-data-" + std::to_string(device()));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) root_ = candidate;
        }
#ifdef _WIN32
        // The shell's folder can't be moved by the environment: the seam moves it.
        if (!root_.empty()) {
            SetRoamingDataFolderForTesting(root_.u16string());
            redirected_ = true;
        }
#else
        const char* old = std::getenv("XDG_CONFIG_HOME");
        if (old != nullptr) previous_ = old;
        if (!root_.empty()) {
            ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
            redirected_ = true;
        }
#endif
    }
    ~ScratchConfigHome() {
#ifdef _WIN32
        if (redirected_) SetRoamingDataFolderForTesting(u"");
#else
        if (previous_) {
            ::setenv("XDG_CONFIG_HOME", previous_->c_str(), 1);
        } else {
            ::unsetenv("XDG_CONFIG_HOME");
        }
#endif
        std::error_code ignored;
        if (!root_.empty()) std::filesystem::remove_all(root_, ignored);
    }
    ScratchConfigHome(const ScratchConfigHome&) = delete;
    ScratchConfigHome& operator=(const ScratchConfigHome&) = delete;

    const std::filesystem::path& root() const { return root_; }
    // Whether DataRoot() is root().
    bool redirected() const { return redirected_; }
    std::filesystem::path vmplugin() const { return root_ / "orvalen" / "vmplugin"; }
    std::filesystem::path PresetDir() const { return vmplugin() / "preset"; }
    std::filesystem::path GuideDir() const { return vmplugin() / "guide"; }

private:
    std::filesystem::path root_;
    std::optional<std::string> previous_;
    bool redirected_ = false;
};

}  // namespace velmora::testing

// A scratch folder that the data root points into; skips the test where
// the data root can't be moved.
#define VELMORA_SCRATCH_CONFIG_HOME(name)                                   \
    ::velmora::testing::ScratchConfigHome name;                             \
    if (!name.redirected()) GTEST_SKIP() << "data root can't be redirected"

// A scratch folder alone.
#define VELMORA_SCRATCH_FOLDER(name)          \
    ::velmora::testing::ScratchConfigHome name; \
    ASSERT_FALSE(name.root().empty())
