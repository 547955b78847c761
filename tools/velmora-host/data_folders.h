// The module's data folders as this host finds them, and a private data
// folder for one run: the user's presets and guides plus the files given
// for the run, which the module then sees in place of the user's folders.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/velmora-host/system.h"

namespace velmora::cli {

// The folders below a data root where the module keeps its files.
std::filesystem::path PresetFolderUnder(const std::filesystem::path& root);
std::filesystem::path GuideFolderUnder(const std::filesystem::path& root);

// A data file given for one run: its file name ("rings.ini") and bytes.
struct DataFile {
    std::string name;
    std::string bytes;
};

// Presets (".ini") in a folder, with their write times, to tell new files.
struct FolderSnapshot {
    std::vector<std::filesystem::path> files;
    std::filesystem::file_time_type taken{};
};
FolderSnapshot SnapshotPresets(const std::filesystem::path& folder);
// Files made or rewritten since the snapshot.
std::vector<std::filesystem::path> NewPresets(const std::filesystem::path& folder,
                                              const FolderSnapshot& before);

// The data folder of one run. Without files given the module uses the
// user's folders. Otherwise Open makes a fresh folder holding copies of
// the user's presets and guides, then the given files (which win over a
// user's file of the same name), and points the module's data root at it.
// Where the system can't move the data root, the given files are put into
// the user's folders for the run instead (refusing a different file of the
// same name) and taken out again afterwards. The destructor restores the
// data root and removes what the run made.
class RunDataFolder {
public:
    RunDataFolder() = default;
    ~RunDataFolder();
    RunDataFolder(const RunDataFolder&) = delete;
    RunDataFolder& operator=(const RunDataFolder&) = delete;

    bool Open(const std::vector<DataFile>& presets, const std::vector<DataFile>& guides,
              std::string& error);

    bool isPrivate() const { return !base_.empty(); }
    const std::filesystem::path& presetFolder() const { return presetFolder_; }

    // Presets the module saved during the run, moved into the user's preset
    // folder when the run's folder is private; their final paths.
    std::vector<std::filesystem::path> KeepSavedPresets(const FolderSnapshot& before,
                                                        std::string& error);

private:
    DataRootRedirect redirect_;
    std::filesystem::path userRoot_;  // the user's data root
    std::filesystem::path base_;      // the private folder, removed afterwards
    std::filesystem::path presetFolder_;
    std::vector<std::filesystem::path> placed_;  // files put into the user's folders
};

}  // namespace velmora::cli
