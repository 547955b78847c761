// The pass's progress on standard error: a bar redrawn in place while the
// module reports progress when stderr is a terminal, and in every case one
// plain line with the pass time at the end.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace velmora::cli {

class ProgressBar {
public:
    ProgressBar(std::FILE* out, bool live) : out_(out), live_(live) {}

    void Start();
    // A progress report of the module: value out of range.
    void Update(int32_t value, int32_t range);
    // Ends the bar and prints "<what> in <seconds> s".
    void Finish(const std::string& what);

    double Seconds() const;
    // The bar text for a fraction in [0, 1], e.g. "[#####-----]  50%".
    static std::string Bar(double fraction, int width);

private:
    std::FILE* out_;
    bool live_;
    int lastPercent_ = -1;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point start_{};
};

}  // namespace velmora::cli
