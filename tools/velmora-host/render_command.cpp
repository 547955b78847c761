// velmora-host render: one filter run of the module on a picture, with the
// settings given as edits of its panel.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <system_error>

#include "tools/host_core/host_core.h"
#include "tools/velmora-host/commands.h"
#include "tools/velmora-host/edits.h"
#include "tools/velmora-host/files.h"
#include "tools/velmora-host/module_session.h"
#include "tools/velmora-host/picture.h"
#include "tools/velmora-host/progress_bar.h"
#include "tools/velmora-host/sample.h"
#include "tools/velmora-host/self_path.h"

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;

constexpr int32_t kItemPreset = 140;
constexpr int32_t kItemSavePreset = 141;
constexpr int32_t kItemGuide = 161;
constexpr int32_t kItemTemplate = 150;

int Fail(std::FILE* err, int status, const std::string& message) {
    std::fprintf(err, "velmora-host: %s\n", message.c_str());
    return status;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The stem under which the module will list a data file.
std::string Stem(const std::string& path) { return Utf8Path(FsPath(path).stem()); }

std::set<fs::path> PresetFiles(const fs::path& folder) {
    std::set<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().extension() == ".ini") files.insert(it->path());
    }
    return files;
}

// A data file copied into a module folder for this run; removed again when
// the run is refused, so a refused command leaves nothing behind.
struct PlacedFile {
    fs::path path;
    bool created = false;
    ~PlacedFile() {
        if (created && !kept) {
            std::error_code ignored;
            fs::remove(path, ignored);
        }
    }
    bool kept = false;
};

bool PlaceFile(const std::string& file, const std::string& extension, const std::string& folder,
               const char* option, PlacedFile& placed, std::string& error, int& status) {
    if (!EndsWith(file, extension)) {
        error = std::string(option) + " \"" + file + "\": the module lists only files ending in \"" +
                extension + "\"";
        status = kExitRefused;
        return false;
    }
    if (!PlaceDataFile(file, FsPath(folder), placed.created, placed.path, error)) {
        status = kExitFailed;
        return false;
    }
    return true;
}

// The source layer, destination layer and selection the host hands over.
bool SetUpLayers(hostcore::HostCore& host, const RenderOptions& o, const Picture& source,
                 const Picture* mask) {
    host.SetCanvasSize(source.width, source.height);
    HostOffscreen src = nullptr;
    int32_t kind = 3;
    if (o.gray) {
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
    host.SetDrawingColours(o.colour);
    return src != nullptr && dst != nullptr;
}

}  // namespace

int RunRender(const RenderOptions& o, std::FILE* out, std::FILE* err) {
    std::string error;
    if (!CheckSettingNames(o.settings, error)) return Fail(err, kExitRefused, error);
    const bool guideSet = std::any_of(o.settings.begin(), o.settings.end(),
                                      [](const SettingText& s) { return s.key == "guide"; });
    if (!o.guide.empty() && guideSet) {
        return Fail(err, kExitRefused, "give the guide by --guide or by --set guide, not both");
    }
    for (const std::string* path : {&o.output, &o.composite}) {
        if (!path->empty() && !OutputFolderExists(*path, error)) {
            return Fail(err, kExitFailed, error);
        }
    }

    // The pictures.
    Picture source;
    const bool read = o.source.empty()
                          ? DecodePng(SamplePng(), "bundled sample", source, error)
                          : ReadPng(o.source, source, error);
    if (!read) return Fail(err, kExitFailed, error);
    Picture mask;
    if (!o.selection.empty()) {
        if (!ReadPng(o.selection, mask, error)) return Fail(err, kExitFailed, error);
        if (mask.width != source.width || mask.height != source.height) {
            return Fail(err, kExitRefused,
                        "the selection \"" + o.selection + "\" is " + std::to_string(mask.width) +
                            "x" + std::to_string(mask.height) + " but the source is " +
                            std::to_string(source.width) + "x" + std::to_string(source.height) +
                            "; they must be of one size");
        }
    }

    // The module, up to module initialise.
    hostcore::HostOptions hostOptions;
    hostOptions.logCalls = false;
    hostcore::HostCore host(hostOptions);
    if (!OpenModule(host, ModulePath(o.module), error)) return Fail(err, kExitFailed, error);
    if (!SetUpLayers(host, o, source, o.selection.empty() ? nullptr : &mask)) {
        return Fail(err, kExitFailed, "cannot make the layers");
    }

    // Data files go into the module's folders before filter initialise lists them.
    PlacedFile presetFile, guideFile;
    int status = kExitFailed;
    if (!o.preset.empty() &&
        !PlaceFile(o.preset, ".ini", PresetFolderPath(), "--preset", presetFile, error, status)) {
        return Fail(err, status, error);
    }
    if (!o.guide.empty() &&
        !PlaceFile(o.guide, ".svg", GuideFolderPath(), "--guide", guideFile, error, status)) {
        return Fail(err, status, error);
    }

    if (host.FilterInitialize() != 0 || host.panel() == nullptr) {
        return Fail(err, kExitFailed, "the module failed to initialise its filter");
    }

    // The edits, all checked before any is made.
    std::vector<SettingText> settings = o.settings;
    if (!o.guide.empty()) settings.push_back(SettingText{"guide", Stem(o.guide)});
    std::vector<PanelEdit> edits;
    if (!ResolveEdits(settings, *host.panel(), edits, error)) return Fail(err, kExitRefused, error);
    int32_t presetIndex = -1;
    if (!o.preset.empty()) {
        const hostcore::PropertyItem* item = host.Item(kItemPreset);
        presetIndex = item ? FindEnumString(*item, Stem(o.preset)) : -1;
        if (presetIndex < 0) {
            return Fail(err, kExitFailed,
                        "the module does not list the preset \"" + Stem(o.preset) + "\"");
        }
    }
    if (o.savePreset && host.Item(kItemSavePreset) == nullptr) {
        return Fail(err, kExitFailed, "the module's panel has no \"Save Preset\" item");
    }
    if (!o.guide.empty() && host.Item(kItemGuide) == nullptr) {
        return Fail(err, kExitFailed, "the module's panel has no \"Guide\" item");
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
    const fs::path presetFolder = FsPath(PresetFolderPath());
    const std::set<fs::path> presetsBefore = PresetFiles(presetFolder);
    const fs::file_time_type runStart = fs::file_time_type::clock::now();
    if (o.savePreset) host.EditBool(kItemSavePreset, true);

    // One filter run.
    ProgressBar bar(err, StderrIsTerminal());
    host.progressObserver = [&bar](int32_t value, int32_t range) { bar.Update(value, range); };
    bar.Start();
    host.FilterRun();
    host.progressObserver = nullptr;
    bar.Finish("rendered " + std::to_string(source.width) + "x" + std::to_string(source.height));
    host.FilterTerminate();

    // The outputs: written under temporary names, renamed into place together.
    Picture effect{source.width, source.height, host.ReadRgba(host.destination())};
    PendingOutput effectOut, compositeOut;
    if (!o.output.empty() && !effectOut.Write(o.output, EncodePng(effect), error)) {
        return Fail(err, kExitFailed, error);
    }
    if (!o.composite.empty() &&
        !compositeOut.Write(o.composite, EncodePng(CompositeOver(effect, source)), error)) {
        return Fail(err, kExitFailed, error);
    }
    if ((!o.output.empty() && !effectOut.Commit(error)) ||
        (!o.composite.empty() && !compositeOut.Commit(error))) {
        return Fail(err, kExitFailed, error);
    }
    presetFile.kept = guideFile.kept = true;
    for (const std::string* path : {&o.output, &o.composite}) {
        if (!path->empty()) std::fprintf(err, "wrote %s\n", path->c_str());
    }

    if (o.savePreset) {
        std::vector<fs::path> saved;
        for (const fs::path& p : PresetFiles(presetFolder)) {
            std::error_code ec;
            const bool rewritten = fs::last_write_time(p, ec) >= runStart && !ec;
            if (presetsBefore.count(p) == 0 || rewritten) saved.push_back(p);
        }
        if (saved.empty()) return Fail(err, kExitFailed, "the module saved no new preset");
        for (const fs::path& p : saved) std::fprintf(out, "saved preset %s\n", Utf8Path(p).c_str());
    }
    host.ModuleTerminate();
    return kExitOk;
}

}  // namespace velmora::cli
