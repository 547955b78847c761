// One render of the module as a function: the pictures, settings and data
// files in, the PNG bytes out. The command line (render_command.cpp) and
// any other front end check their files and call RenderPictures.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/host_interface.h"
#include "tools/velmora-host/data_folders.h"
#include "tools/velmora-host/edits.h"

namespace velmora::cli {

struct RenderJob {
    std::string modulePath;    // the module file to load
    std::optional<std::string> sourcePng;  // PNG bytes; none: the bundled sample
    std::string sourceName;    // for messages
    std::optional<std::string> selectionPng;  // PNG bytes of a mask of the source's size
    std::string selectionName;
    std::vector<SettingText> settings;
    // Data files selected for the run (the guide unless a setting names
    // one): used for this run only, through a private data folder, or,
    // when `installed`, already placed in the user's folders under their names.
    std::optional<DataFile> preset;
    std::optional<DataFile> guide;
    bool installed = false;
    HostRgb colour{0, 0, 0};
    bool gray = false;
    bool savePreset = false;
    bool composite = false;  // also make the effect laid over the source
};

struct RenderHooks {
    // A warning (without the program name).
    std::function<void(const std::string&)> warn;
    // The resolved settings ("key=value" lines) just before the pass starts.
    std::function<void(const std::string&)> beforeRun;
    // Progress reports of the pass: value out of range.
    std::function<void(int32_t, int32_t)> progress;
};

struct RenderProducts {
    int32_t width = 0;
    int32_t height = 0;
    std::string effectPng;
    std::string compositePng;  // when asked for
    // Presets the module saved, in the user's preset folder.
    std::vector<std::filesystem::path> savedPresets;
};

// Runs the job; returns the exit status (0 done, 1 a file, the module or the
// render failed, 2 a value the panel refuses) with a message on failure.
int RenderPictures(const RenderJob& job, const RenderHooks& hooks, RenderProducts& products,
                   std::string& error);

// The settings as --set lines, from the panel's current values.
std::string SettingsText(const hostcore::PropertyObject& panel);

}  // namespace velmora::cli
