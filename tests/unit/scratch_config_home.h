// A fresh, empty per-user configuration folder for one test: the data root
// points into it while the object lives, and it is removed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace velmora::testing {

class ScratchConfigHome {
public:
    ScratchConfigHome() {
        const char* old = std::getenv("XDG_CONFIG_HOME");
        if (old != nullptr) previous_ = old;
        std::string pattern =
            (std::filesystem::temp_directory_path() / "velmora-data-XXXXXX").string();
#ifndef _WIN32
        if (::mkdtemp(pattern.data()) != nullptr) {
            root_ = pattern;
            ::setenv("XDG_CONFIG_HOME", pattern.c_str(), 1);
        }
#endif
    }
    ~ScratchConfigHome() {
#ifndef _WIN32
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

    // Empty when the data root can't be redirected (Windows reads its own).
    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path vmplugin() const { return root_ / "orvalen" / "vmplugin"; }

private:
    std::filesystem::path root_;
    std::optional<std::string> previous_;
};

}  // namespace velmora::testing

// Skips a test that needs the data root redirected.
#define VELMORA_SCRATCH_CONFIG_HOME(name)                                   \
    ::velmora::testing::ScratchConfigHome name;                             \
    if (name.root().empty()) GTEST_SKIP() << "data root can't be redirected"
