// Progress bar drawing.
#include "tools/velmora-host/progress_bar.h"

#include <algorithm>
#include <cmath>

namespace velmora::cli {

constexpr int kBarWidth = 40;

void ProgressBar::Start() {
    start_ = std::chrono::steady_clock::now();
    lastPercent_ = -1;
    drawn_ = false;
}

std::string ProgressBar::Bar(double fraction, int width) {
    fraction = std::clamp(fraction, 0.0, 1.0);
    const int filled = static_cast<int>(fraction * width);
    std::string text = "[";
    text.append(size_t(filled), '#');
    text.append(size_t(width - filled), '-');
    char percent[8];
    std::snprintf(percent, sizeof percent, "] %3d%%", static_cast<int>(fraction * 100.0));
    return text + percent;
}

void ProgressBar::Update(int32_t value, int32_t range) {
    if (!live_ || range <= 0) return;
    const double fraction = double(value) / range;
    const int percent = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 100.0);
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    std::fprintf(out_, "\rrendering %s", Bar(fraction, kBarWidth).c_str());
    std::fflush(out_);
    drawn_ = true;
}

double ProgressBar::Seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void ProgressBar::Finish(const std::string& what) {
    if (drawn_) std::fprintf(out_, "\r%*s\r", kBarWidth + 20, "");
    std::fprintf(out_, "%s in %.2f s\n", what.c_str(), Seconds());
    std::fflush(out_);
}

}  // namespace velmora::cli
