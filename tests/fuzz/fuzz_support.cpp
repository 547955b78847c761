#include "tests/fuzz/fuzz_support.h"

#include <cstdlib>
#include <fstream>
#include <limits>
#include <vector>

#include "tests/scratch_config_home.h"

namespace velmora::fuzz {

std::filesystem::path DataHome() {
    // One scratch data root for the process, removed when it ends normally.
    static const ::velmora::testing::ScratchConfigHome scratch;
    static const std::filesystem::path home = [] {
        if (!scratch.redirected()) std::abort();
        std::filesystem::create_directories(scratch.PresetDir());
        std::filesystem::create_directories(scratch.GuideDir());
        return scratch.vmplugin();
    }();
    return home;
}

void ClearDataFolders() {
    for (const char* folder : {"preset", "guide"}) {
        const std::filesystem::path dir = DataHome() / folder;
        std::error_code ignored;
        std::vector<std::filesystem::path> entries;
        for (const auto& entry : std::filesystem::directory_iterator(dir, ignored)) {
            entries.push_back(entry.path());
        }
        for (const auto& entry : entries) std::filesystem::remove_all(entry, ignored);
    }
}

bool WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

double ByteReader::Decimal() {
    constexpr double kSpecial[] = {
        std::numeric_limits<double>::quiet_NaN(),
        -std::numeric_limits<double>::quiet_NaN(),
        std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::max(),
        -std::numeric_limits<double>::max(),
        std::numeric_limits<double>::denorm_min(),
        std::numeric_limits<double>::min(),
        0.0, -0.0, 1.0, -1.0, 0.5, 100.0, -100.0, 1e308, 1e9, 2147483648.0, -2147483649.0};
    constexpr size_t kCount = sizeof kSpecial / sizeof kSpecial[0];
    const uint8_t pick = Byte();
    if (pick < kCount * 8) return kSpecial[pick % kCount];
    if (pick < 224) return double(I32()) / 64.0;
    return RawDouble();
}

int32_t ByteReader::Integer() {
    constexpr int32_t kSpecial[] = {std::numeric_limits<int32_t>::min(),
                                    std::numeric_limits<int32_t>::max(),
                                    std::numeric_limits<int32_t>::min() + 1,
                                    std::numeric_limits<int32_t>::max() - 1,
                                    0, 1, -1, 2, 1000, -1000, 100000, 1 << 30};
    constexpr size_t kCount = sizeof kSpecial / sizeof kSpecial[0];
    const uint8_t pick = Byte();
    if (pick < kCount * 8) return kSpecial[pick % kCount];
    if (pick < 224) return int32_t(int8_t(Byte())) * 8;
    return I32();
}

}  // namespace velmora::fuzz
