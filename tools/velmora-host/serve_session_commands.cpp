// The work that ends the live preview's filter run: a new picture, saving
// or adding a preset, adding a guide, another language.
#include <algorithm>
#include <filesystem>

#include "tools/velmora-host/data_folders.h"
#include "tools/velmora-host/files.h"
#include "tools/velmora-host/guide_import.h"
#include "tools/velmora-host/panel_items.h"
#include "tools/velmora-host/serve_session.h"

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;

// A file name as the page sends it: a name without folders, with the
// extension the module lists.
bool CheckFileName(const std::string& name, const std::string& extension, std::string& error) {
    const bool control = std::any_of(name.begin(), name.end(),
                                     [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    if (name.find_first_of("/\\:") != std::string::npos || control || name.empty() ||
        name[0] == '.') {
        error = "\"" + name + "\" is not a plain file name";
        return false;
    }
    if (!EndsWith(name, extension) || name.size() == extension.size()) {
        error = "\"" + name + "\": the module lists only files ending in \"" + extension + "\"";
        return false;
    }
    return true;
}

// A guide file as it goes into the module's folder: the first path drawn in
// the SVG, imported so that the module reads it as the same curve whatever
// program wrote it. Notes on the curve (several pieces...) go to `notes`.
bool GuideFileBytes(const std::string& svg, const std::string& name, std::string& guide,
                    std::string& notes, std::string& error) {
    std::vector<std::string> remarks;
    if (!ImportGuide(svg, "", guide, error, &remarks)) {
        error = "\"" + name + "\": " + error;
        return false;
    }
    for (const std::string& r : remarks) notes += "; " + r;
    return true;
}

// The module's preset or guide folder in the user's data folder.
bool DataFolder(bool preset, fs::path& folder, std::string& error) {
    const fs::path root = UserDataRoot();
    if (root.empty()) {
        error = "cannot tell where the module keeps its data files";
        return false;
    }
    folder = preset ? PresetFolderUnder(root) : GuideFolderUnder(root);
    return true;
}

}  // namespace

CommandResult ServeSession::Execute(Work& work) {
    switch (work.kind) {
        case WorkKind::kPicture: return DoSetPicture(work);
        case WorkKind::kSavePreset: return DoSavePreset();
        case WorkKind::kAddPreset:
        case WorkKind::kAddGuide: return DoAddFile(work);
        case WorkKind::kLanguage: return DoSetLanguage(work.japanese);
        default: return CommandResult{false, "nothing to do", ""};
    }
}

CommandResult ServeSession::DoSetPicture(Work& work) {
    const std::shared_ptr<const Picture> old = Source();
    const bool sameSize = old->width == work.picture.width && old->height == work.picture.height;
    auto source = std::make_shared<const Picture>(std::move(work.picture));
    {
        std::lock_guard<std::mutex> lock(stateMutex_);
        source_ = source;
        density_ = work.bytes;
        ++state_.pictureId;
        state_.pictureName = work.name;
        state_.width = source->width;
        state_.height = source->height;
        ++state_.version;
    }
    stateCv_.notify_all();
    if (!SetUpLayers()) return CommandResult{false, "cannot make the layers", ""};
    // On a picture of another size the points go back to the template's places.
    if (!sameSize) PlaceTemplatePoints();
    return CommandResult{true,
                         "opened \"" + work.name + "\" (" + std::to_string(source->width) + "x" +
                             std::to_string(source->height) + ")",
                         work.name};
}

CommandResult ServeSession::DoSavePreset() {
    hostcore::PropertyItem* presets = host_->Item(kItemPreset);
    if (presets == nullptr || host_->Item(kItemSavePreset) == nullptr) {
        return CommandResult{false, "the module's panel has no \"Save Preset\" item", ""};
    }
    const size_t before = presets->enumStrings.size();
    // The module writes a preset when a run ends with "Save Preset" checked:
    // a run of no pass, then the box unchecked again.
    host_->EditBool(kItemSavePreset, true);
    host_->SetReplyFunction([](int32_t) { return int32_t(kProcessDone); });
    host_->FilterRun();
    host_->SetReplyFunction(nullptr);
    host_->EditBool(kItemSavePreset, false);
    presets = host_->Item(kItemPreset);
    if (presets == nullptr || presets->enumStrings.size() <= before) {
        return CommandResult{false, "the module saved no new preset", ""};
    }
    const std::string name = hostcore::Utf16ToUtf8(presets->enumStrings.rbegin()->second);
    fs::path folder;
    std::string error;
    if (!DataFolder(true, folder, error)) return CommandResult{true, "saved preset " + name, name};
    return CommandResult{true, "saved preset " + Utf8Path(folder / FsPath(name + ".ini")), name};
}

CommandResult ServeSession::DoAddFile(Work& work) {
    const bool preset = work.kind == WorkKind::kAddPreset;
    const std::string extension = preset ? ".ini" : ".svg";
    std::string error;
    if (!CheckFileName(work.name, extension, error)) return CommandResult{false, error, ""};
    fs::path folder;
    if (!DataFolder(preset, folder, error)) return CommandResult{false, error, ""};
    const fs::path target = folder / FsPath(work.name);
    std::string bytes = work.bytes, notes;
    if (!preset && !GuideFileBytes(work.bytes, work.name, bytes, notes, error)) {
        return CommandResult{false, error, ""};
    }
    const Placement placement = PlaceBytes(target, bytes, error);
    if (placement == Placement::kClash) {
        return CommandResult{false,
                             "\"" + Utf8Path(target) +
                                 "\" already exists with other content; rename the file or "
                                 "remove that one",
                             ""};
    }
    if (placement == Placement::kFailed) return CommandResult{false, error, ""};
    // The module lists its folders when the filter is initialised.
    if (!Restart(japanese_, error)) return CommandResult{false, error, ""};
    const int32_t key = preset ? kItemPreset : kItemGuide;
    const std::string stem = FileStem(work.name);
    const hostcore::PropertyItem* item = host_->Item(key);
    const int32_t index = item != nullptr ? FindEnumString(*item, stem) : -1;
    if (index < 0) {
        return CommandResult{false, "the module does not list \"" + stem + "\"", ""};
    }
    const int32_t changed = host_->EditEnum(key, index);
    if (preset && changed != 2) {
        return CommandResult{false, "the module could not load the preset \"" + stem + "\"", stem};
    }
    return CommandResult{true, (preset ? "loaded preset " : "added guide ") + stem + notes, stem};
}

CommandResult ServeSession::DoSetLanguage(bool japanese) {
    std::string error;
    if (japanese == japanese_) return CommandResult{true, "", ""};
    if (!Restart(japanese, error)) return CommandResult{false, error, ""};
    return CommandResult{true, "", ""};
}

std::vector<PanelEdit> ServeSession::CurrentSettings(std::string& guideName) const {
    std::vector<PanelEdit> settings;
    guideName.clear();
    for (const SettingKey& key : SettingKeys()) {
        const hostcore::PropertyItem* item = host_->panel()->Find(key.item);
        if (item == nullptr) continue;
        PanelEdit e;
        e.item = item->key;
        e.kind = item->kind;
        e.boolValue = item->boolValue;
        e.intValue = item->kind == kKindEnum ? item->enumIndex : item->intValue;
        e.doubleValue = item->doubleValue;
        e.point = item->point;
        if (item->key == kItemGuide && item->enumIndex >= 2) {
            const auto it = item->enumStrings.find(item->enumIndex);
            if (it != item->enumStrings.end()) guideName = hostcore::Utf16ToUtf8(it->second);
        }
        settings.push_back(e);
    }
    return settings;
}

void ServeSession::RestoreSettings(const std::vector<PanelEdit>& settings,
                                   const std::string& guideName) {
    std::vector<PanelEdit> edits = settings;
    for (PanelEdit& e : edits) {
        if (e.item != kItemGuide || guideName.empty()) continue;
        const hostcore::PropertyItem* item = host_->Item(kItemGuide);
        const int32_t index = item != nullptr ? FindEnumString(*item, guideName) : -1;
        e.intValue = index >= 0 ? index : 0;
    }
    ApplyEdits(*host_, edits);
}

bool ServeSession::Restart(bool japanese, std::string& error) {
    std::string guideName;
    const std::vector<PanelEdit> settings = CurrentSettings(guideName);
    const bool wasJapanese = japanese_;
    CloseHost();
    if (!OpenHost(japanese, error)) {
        // Back to the language that worked, so the preview goes on.
        CloseHost();
        std::string again;
        if (!OpenHost(wasJapanese, again)) {
            CloseHost();
            error += "; the module could not be loaded again: " + again;
            return false;
        }
    }
    RestoreSettings(settings, guideName);
    return japanese_ == japanese;
}

}  // namespace velmora::cli
