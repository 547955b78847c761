// Preset text from anywhere: parsed, composed again, and applied by a
// controller as the file a user picked.
#include <cstddef>
#include <cstdint>
#include <string>

#include "controller/settings.h"
#include "controller/velmora_manager.h"
#include "data/preset_file.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace velmora;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    PresetRecord record;
    PresetFlags found{};
    ParsePresetText(text, record, found.data());
    // Whatever was read composes, and the composed text reads again.
    PresetRecord again;
    ParsePresetText(ComposePresetText(record), again, nullptr);

    fuzz::WriteFile(fuzz::DataHome() / "preset" / "fuzz.ini", text);
    VelmoraManager manager;
    manager.ApplyPreset(u"fuzz");
    const RenderSnapshot snapshot = MakeSnapshot(manager.settings);
    (void)snapshot;
    return 0;
}
