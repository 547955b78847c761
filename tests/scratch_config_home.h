// A fresh, empty folder for one test, removed afterwards. Where the
// platform lets a test move the data root (POSIX: XDG_CONFIG_HOME; Windows:
// the test seam), the data root points into it while the object lives: at
// the folder itself, or at a subfolder of the given name. Shared by the
// unit, end-to-end and command-line tests, the fuzz targets and the
// benchmarks.
#pragma once

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
    explicit ScratchConfigHome(const std::string& subfolder = {}) {
        std::random_device device;
        const std::filesystem::path temp = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 100 && root_.empty(); ++attempt) {
            const std::filesystem::path candidate =
                temp / ("velmora-data-" + std::to_string(device()));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) root_ = candidate;
        }
        home_ = root_;
        if (!root_.empty() && !subfolder.empty()) {
            home_ = root_ / subfolder;
            std::error_code error;
            std::filesystem::create_directory(home_, error);
        }
#ifdef _WIN32
        // The shell's folder can't be moved by the environment: the seam moves it.
        if (!root_.empty()) {
            SetRoamingDataFolderForTesting(home_.u16string());
            redirected_ = true;
        }
#else
        const char* old = std::getenv("XDG_CONFIG_HOME");
        if (old != nullptr) previous_ = old;
        if (!root_.empty()) {
            ::setenv("XDG_CONFIG_HOME", home_.c_str(), 1);
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
    // Whether the data root is the scratch folder (or its subfolder).
    bool redirected() const { return redirected_; }
    std::filesystem::path vmplugin() const { return home_ / "orvalen" / "vmplugin"; }
    std::filesystem::path PresetDir() const { return vmplugin() / "preset"; }
    std::filesystem::path GuideDir() const { return vmplugin() / "guide"; }

private:
    std::filesystem::path root_;
    std::filesystem::path home_;  // where the data root points
    std::optional<std::string> previous_;
    bool redirected_ = false;
};

}  // namespace velmora::testing

// For gtest tests: a scratch folder that the data root points into;
// skips the test where the data root can't be moved.
#define VELMORA_SCRATCH_CONFIG_HOME(name)                                   \
    ::velmora::testing::ScratchConfigHome name;                             \
    if (!name.redirected()) GTEST_SKIP() << "data root can't be redirected"

// A scratch folder alone.
#define VELMORA_SCRATCH_FOLDER(name)          \
    ::velmora::testing::ScratchConfigHome name; \
    ASSERT_FALSE(name.root().empty())
