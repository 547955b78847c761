// The effect controller: settings, panel, data lists and the run cycle.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controller/item_keys.h"
#include "controller/pass_seams.h"
#include "controller/settings.h"
#include "host/layer_block.h"
#include "host/plugin_manager.h"
#include "render/path_parser.h"

namespace velmora {

struct RenderContext;

struct PresetEntry {
    std::u16string name;  // empty for "Default"
};

struct GuideEntry {
    std::u16string name;  // ":S", ":C" or a guide file's stem
    std::unique_ptr<PathParser> path;  // parsed on first use
};

class VelmoraManager : public PluginManager {
public:
    VelmoraManager();
    ~VelmoraManager() override;

    void GetModuleId(char* buffer) override;
    void BeginRun() override;
    void PrepareRender() override;
    void Render() override;
    void EndRun() override;
    bool OnPropertyChanged(int32_t itemKey) override;
    bool InitializeFilter() override;

    // Settings and panel (panel.cpp).
    void ResetPointsForTemplate();
    bool SelectPreset();
    void ResetToDefaults();
    // Reads an edited plain setting's item back; true when its field changed.
    bool UpdateSetting(int32_t itemKey);
    void AddIntegerItem(int32_t key, int32_t accessKey, int32_t minimum, int32_t maximum,
                        int32_t value);
    void AddDecimalItem(int32_t key, int32_t accessKey, double minimum, double maximum,
                        double value);
    void AddBooleanItem(int32_t key, int32_t accessKey, bool value);
    // Returns how many strings the host holds (consecutive from index 0).
    int32_t AddEnumerationItem(int32_t key, int32_t accessKey,
                               const std::vector<std::u16string>& strings);
    void AddPointItem(int32_t key, int32_t accessKey);

    // Presets (preset_ops.cpp).
    bool ApplyPreset(const std::u16string& name);
    void SavePreset();
    void FindGuideByName(const std::string& utf8Name);

    // Run cycle (run_cycle.cpp).
    void AcquireLayers();
    // The steps of one pass (Render): the chosen guide, parsed on first use
    // (fallback when there is no list; null when the host stopped the pass
    // while it was read); the pass's settings, points, guide, pixels and
    // relays; the layout and the pool, false when one of them failed; the
    // coverage written into the destination and handed back to the host.
    PathParser* GuideOfPass(PathParser& fallback);
    void PrepareContext(RenderContext& context, PathParser& guide);
    bool RunPass(RenderContext& context);
    void WriteBack(const RenderContext& context);
    // Size, kind and channel indices of the block's offscreen; false when
    // the host could not tell one of them.
    bool DescribeLayer(LayerBlock& block) const;
    bool ReportProgress(int total, int done);
    // A process-state request when none was sent for a while; false once
    // the host asked to stop in this pass.
    bool KeepContact();

    EffectSettings settings;
    std::vector<PresetEntry> presets;
    std::vector<GuideEntry> guides;
    RenderSnapshot snapshot;
    int32_t lastProgress = 0;
    int32_t lastReply = 257;
    // When the host last heard from the current pass.
    std::chrono::steady_clock::time_point lastContact{};
    // Strings the Preset item holds, indices 0 up to this, exclusive.
    int32_t presetItemStrings = 0;
    // What tests and benchmarks put in place of parts of each pass.
    PassSeams seams;
};

// The fixed module id, 36 upper-case characters.
extern const char kModuleId[];

}  // namespace velmora
