// One filter run of the module on a picture, with the settings given as
// edits of its panel.
#include "tools/velmora-host/render_job.h"

#include <algorithm>
#include <system_error>

#include "tools/host_core/host_core.h"
#include "tools/velmora-host/files.h"
#include "tools/velmora-host/module_session.h"
#include "tools/velmora-host/options.h"
#include "tools/velmora-host/panel_items.h"
#include "tools/velmora-host/picture.h"
#include "tools/velmora-host/preset_check.h"
#include "tools/velmora-host/sample.h"

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;

// The source layer, destination layer and selection the host hands over.
bool SetUpLayers(hostcore::HostCore& host, const RenderJob& job, const Picture& source,
                 const Picture* mask) {
    host.SetCanvasSize(source.width, source.height);
    HostOffscreen src = nullptr;
    int32_t kind = 3;
    if (job.gray) {
        std::vector<uint8_t> grey, alpha;
        GreyValues(source, grey, alpha);
        kind = 2;
        src = host.OffscreenFromGrey(source.width, source.height, 2, grey.data(), alpha.data());
    } else {
        src = host.OffscreenFromRgba(source.width, source.height, source.rgba.data());
    }
    const HostOffscreen dst = host.CreateOffscreen(source.width, source.height, kind);
    host.SetSource(src);
    host.SetDestination(dst);
    if (mask != nullptr) {
        const std::vector<uint8_t> values = MaskValues(*mask);
        host.SetSelection(host.OffscreenFromGrey(mask->width, mask->height, 1, values.data()));
    }
    host.SetDrawingColours(job.colour);
    return src != nullptr && dst != nullptr;
}

std::string ValueText(const hostcore::PropertyItem& item) {
    switch (item.kind) {
        case 1: return item.boolValue ? "true" : "false";
        case 17: return std::to_string(item.intValue);
        case 18: return NumberText(item.doubleValue);
        case 33: return std::to_string(item.point.x) + "," + std::to_string(item.point.y);
        case 2: {
            if (item.key == kItemTemplate && item.enumIndex >= 0 && item.enumIndex < 3) {
                return kTemplateNames[item.enumIndex];
            }
            const auto it = item.enumStrings.find(item.enumIndex);
            return it == item.enumStrings.end() ? std::to_string(item.enumIndex)
                                                : hostcore::Utf16ToUtf8(it->second);
        }
        default: return "?";
    }
}

}  // namespace

std::string SettingsText(const hostcore::PropertyObject& panel) {
    std::string text;
    for (const SettingKey& k : SettingKeys()) {
        const hostcore::PropertyItem* item = panel.Find(k.item);
        if (item != nullptr) text += std::string(k.name) + "=" + ValueText(*item) + "\n";
    }
    return text;
}

int RenderPictures(const RenderJob& job, const RenderHooks& hooks, RenderProducts& products,
                   std::string& error) {
    auto warn = [&hooks](const std::string& text) {
        if (hooks.warn) hooks.warn(text);
    };

    // The pictures.
    Picture source;
    const bool read = job.sourcePng
                          ? DecodePng(*job.sourcePng, job.sourceName, source, error)
                          : DecodePng(SamplePng(), "bundled sample", source, error);
    if (!read) return kExitFailed;
    Picture mask;
    const bool masked = job.selectionPng.has_value();
    if (masked) {
        if (!DecodePng(*job.selectionPng, job.selectionName, mask, error)) return kExitFailed;
        if (mask.width != source.width || mask.height != source.height) {
            error = "the selection \"" + job.selectionName + "\" is " + std::to_string(mask.width) +
                    "x" + std::to_string(mask.height) + " but the source is " +
                    std::to_string(source.width) + "x" + std::to_string(source.height) +
                    "; they must be of one size";
            return kExitRefused;
        }
    }

    // The data folder of this run, before the module lists it.
    RunDataFolder data;
    std::vector<DataFile> presets, guides;
    if (job.preset && !job.installed) presets.push_back(*job.preset);
    if (job.guide && !job.installed) guides.push_back(*job.guide);
    if (!data.Open(presets, guides, error)) return kExitFailed;

    // The module, up to filter initialise.
    hostcore::HostOptions hostOptions;
    hostOptions.logCalls = false;
    hostcore::HostCore host(hostOptions);
    if (!OpenModule(host, job.modulePath, error)) return kExitFailed;
    if (!SetUpLayers(host, job, source, masked ? &mask : nullptr)) {
        error = "cannot make the layers";
        return kExitFailed;
    }
    if (host.FilterInitialize() != 0 || host.panel() == nullptr) {
        error = "the module failed to initialise its filter";
        return kExitFailed;
    }

    // The edits, all checked before any is made.
    const std::string presetName = job.preset ? FileStem(job.preset->name) : std::string();
    const std::string guideName = job.guide ? FileStem(job.guide->name) : std::string();
    std::vector<SettingText> settings = job.settings;
    const bool guideSet = std::any_of(settings.begin(), settings.end(),
                                      [](const SettingText& s) { return s.key == "guide"; });
    if (!guideName.empty() && !guideSet) settings.push_back(SettingText{"guide", guideName});
    std::vector<PanelEdit> edits;
    if (!ResolveEdits(settings, *host.panel(), edits, error)) return kExitRefused;
    int32_t presetIndex = -1;
    if (!presetName.empty()) {
        const hostcore::PropertyItem* item = host.Item(kItemPreset);
        // A file's entry, never "Default" (index 0), even for a file named so.
        if (item != nullptr) {
            for (const auto& [index, caption] : item->enumStrings) {
                if (index > 0 && presetIndex < 0 && hostcore::Utf16ToUtf8(caption) == presetName) {
                    presetIndex = index;
                }
            }
            if (presetIndex < 0) presetIndex = FindEnumString(*item, presetName);
        }
        if (presetIndex < 0) {
            error = "the module does not list the preset \"" + presetName + "\"";
            return kExitFailed;
        }
        for (const std::string& w : PresetWarnings(job.preset->bytes, *host.panel())) {
            warn("\"" + job.preset->name + "\": " + w);
        }
    }
    if (job.savePreset && host.Item(kItemSavePreset) == nullptr) {
        error = "the module's panel has no \"Save Preset\" item";
        return kExitFailed;
    }
    if (!guideName.empty() && host.Item(kItemGuide) == nullptr) {
        error = "the module's panel has no \"Guide\" item";
        return kExitFailed;
    }

    // The template is chosen first, as a user does, which places the base
    // points; then the preset, then the settings given (a given template
    // after the preset, so it wins over the preset's).
    const bool typeGiven = std::any_of(edits.begin(), edits.end(),
                                       [](const PanelEdit& e) { return e.item == kItemTemplate; });
    const hostcore::PropertyItem* templateItem = host.Item(kItemTemplate);
    if (!typeGiven && templateItem != nullptr) {
        host.EditEnum(kItemTemplate, templateItem->enumIndex);
    }
    if (presetIndex >= 0) host.EditEnum(kItemPreset, presetIndex);
    ApplyEdits(host, edits);
    const FolderSnapshot presetsBefore = SnapshotPresets(data.presetFolder());
    if (job.savePreset) host.EditBool(kItemSavePreset, true);

    // One filter run.
    if (hooks.beforeRun) hooks.beforeRun(SettingsText(*host.panel()));
    host.progressObserver = hooks.progress;
    host.FilterRun();
    host.progressObserver = nullptr;
    host.FilterTerminate();

    // The pictures, with the source's pixel density.
    const std::string density = job.sourcePng ? PngChunk(*job.sourcePng, "pHYs") : std::string();
    const Picture effect{source.width, source.height, host.ReadRgba(host.destination())};
    products.width = source.width;
    products.height = source.height;
    products.effectPng = WithChunkAfterHeader(EncodePng(effect), density);
    if (job.composite) {
        products.compositePng =
            WithChunkAfterHeader(EncodePng(CompositeOver(effect, source)), density);
    }
    if (products.effectPng.empty() || (job.composite && products.compositePng.empty())) {
        error = "cannot encode the pictures";
        return kExitFailed;
    }
    host.ModuleTerminate();

    if (job.savePreset) {
        products.savedPresets = data.KeepSavedPresets(presetsBefore, error);
        if (products.savedPresets.empty()) {
            if (error.empty()) error = "the module saved no new preset";
            return kExitFailed;
        }
    }
    return kExitOk;
}

}  // namespace velmora::cli
