// velmora-host render: the files of a render checked and read, the render
// run, the pictures written. Nothing is written over an input, and nothing
// is rendered before every output is known to be writable.
#include <cstdio>
#include <filesystem>

#include "tools/velmora-host/commands.h"
#include "tools/velmora-host/data_folders.h"
#include "tools/velmora-host/files.h"
#include "tools/velmora-host/guide_import.h"
#include "tools/velmora-host/module_session.h"
#include "tools/velmora-host/progress_bar.h"
#include "tools/velmora-host/render_job.h"
#include "tools/velmora-host/self_path.h"

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;

bool CheckExtension(const std::string& file, const char* extension, const char* option,
                    std::string& error) {
    if (file.empty() || EndsWith(file, extension)) return true;
    error = std::string(option) + " \"" + file + "\": the module lists only files ending in \"" +
            extension + "\"";
    return false;
}

// A data file read for the run, named as the module will list it.
bool ReadDataFile(const std::string& path, std::optional<DataFile>& file, std::string& error) {
    DataFile f;
    f.name = Utf8Path(FsPath(path).filename());
    if (!ReadInput(path, f.bytes, error)) return false;
    file = std::move(f);
    return true;
}

}  // namespace

int RunRender(const RenderOptions& o, const Console& console) {
    std::string error;
    if (!CheckSettingNames(o.settings, error)) return console.Fail(kExitRefused, error);
    for (const SettingText& s : o.settings) {
        if (s.key == "guide" && !o.guide.empty()) {
            return console.Fail(kExitRefused, "give the guide by --guide or by --set guide, not both");
        }
    }
    if (!CheckExtension(o.preset, ".ini", "--preset", error) ||
        !CheckExtension(o.guide, ".svg", "--guide", error)) {
        return console.Fail(kExitRefused, error);
    }

    // Outputs: never an input, writable, before any work.
    RenderJob job;
    job.modulePath = ModulePath(o.module);
    std::vector<NamedFile> inputs = {{"the module", job.modulePath}};
    if (!o.source.empty()) inputs.push_back({"the source", o.source});
    if (!o.selection.empty()) inputs.push_back({"the selection", o.selection});
    if (!o.preset.empty()) inputs.push_back({"the preset", o.preset});
    if (!o.guide.empty()) inputs.push_back({"the guide", o.guide});
    std::vector<NamedFile> outputs;
    if (!o.output.empty()) outputs.push_back({"-o", o.output});
    if (!o.composite.empty()) outputs.push_back({"--composite", o.composite});
    if (!CheckOutputsAreNotInputs(outputs, inputs, error)) return console.Fail(kExitRefused, error);
    OutputFile effectOut, compositeOut;
    if ((!o.output.empty() && !effectOut.Prepare(o.output, error)) ||
        (!o.composite.empty() && !compositeOut.Prepare(o.composite, error))) {
        return console.Fail(kExitFailed, error);
    }
    // Standard output carries a picture: every other line goes to standard error.
    const bool pictureOnStdout = IsStandardStream(o.output) || IsStandardStream(o.composite);
    std::FILE* const text = pictureOnStdout ? console.err : console.out;
    if (pictureOnStdout) UseBinaryStandardStreams();

    // Inputs.
    job.sourceName = o.source == "-" ? "standard input" : o.source;
    job.selectionName = o.selection;
    for (const auto& [path, bytes] : {std::pair{&o.source, &job.sourcePng},
                                       std::pair{&o.selection, &job.selectionPng}}) {
        if (path->empty()) continue;
        bytes->emplace();
        if (!ReadInput(*path, **bytes, error)) return console.Fail(kExitFailed, error);
    }
    std::optional<DataFile> preset, guide;
    if ((!o.preset.empty() && !ReadDataFile(o.preset, preset, error)) ||
        (!o.guide.empty() && !ReadDataFile(o.guide, guide, error))) {
        return console.Fail(kExitFailed, error);
    }
    if (guide) {
        const std::string problem = GuideReadingProblem(guide->bytes);
        if (!problem.empty()) {
            console.Warn("\"" + o.guide + "\": " + problem + "; run 'velmora-host guide import " +
                         o.guide + " -o NEW.svg' and give NEW.svg instead");
        }
    }
    if (o.install) {
        // Into the user's folders, where later runs and the painting
        // application find them by name.
        const fs::path root = UserDataRoot();
        for (const auto& [given, folder] : {std::pair{&o.preset, PresetFolderUnder(root)},
                                            std::pair{&o.guide, GuideFolderUnder(root)}}) {
            if (given->empty()) continue;
            bool created = false;
            fs::path placed;
            if (!PlaceDataFile(*given, folder, created, placed, error)) {
                return console.Fail(kExitFailed, error);
            }
            console.Note((created ? "installed " : "already installed ") + Utf8Path(placed));
        }
    }
    job.preset = preset;
    job.guide = guide;
    job.installed = o.install;
    job.settings = o.settings;
    job.colour = o.colour;
    job.gray = o.gray;
    job.savePreset = o.savePreset;
    job.composite = !o.composite.empty();

    // The render.
    ProgressBar bar(console.err, StderrIsTerminal() && !console.quiet);
    RenderHooks hooks;
    hooks.warn = [&console](const std::string& w) { console.Warn(w); };
    hooks.beforeRun = [&](const std::string& settings) {
        if (o.printSettings) {
            std::fputs(settings.c_str(), text);
            std::fflush(text);
        }
        bar.Start();
    };
    hooks.progress = [&bar](int32_t value, int32_t range) { bar.Update(value, range); };
    RenderProducts products;
    const int status = RenderPictures(job, hooks, products, error);
    if (status != kExitOk) return console.Fail(status, error);
    if (!console.quiet) {
        bar.Finish("rendered " + std::to_string(products.width) + "x" +
                   std::to_string(products.height));
    }

    // The outputs.
    if ((!o.output.empty() && !effectOut.Commit(products.effectPng, console.out, error)) ||
        (!o.composite.empty() && !compositeOut.Commit(products.compositePng, console.out, error))) {
        return console.Fail(kExitFailed, error);
    }
    for (const std::string* path : {&o.output, &o.composite}) {
        if (!path->empty() && !IsStandardStream(*path)) console.Note("wrote " + *path);
    }
    for (const fs::path& p : products.savedPresets) {
        std::fprintf(text, "saved preset %s\n", Utf8Path(p).c_str());
    }
    return kExitOk;
}

}  // namespace velmora::cli
