// Data folders: where they are, and a private one for a run.
#include "tools/velmora-host/data_folders.h"

#include <random>
#include <set>
#include <system_error>

#include "tools/velmora-host/files.h"
#include "tools/velmora-host/self_path.h"

namespace velmora::cli {
namespace fs = std::filesystem;

fs::path PresetFolderUnder(const fs::path& root) { return root / "orvalen" / "vmplugin" / "preset"; }
fs::path GuideFolderUnder(const fs::path& root) { return root / "orvalen" / "vmplugin" / "guide"; }

namespace {

std::vector<fs::path> FilesEndingWith(const fs::path& folder, const std::string& extension) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = Utf8Path(it->path().filename());
        if (it->is_regular_file(ec) && EndsWith(name, extension)) {
            files.push_back(it->path());
        }
    }
    return files;
}

// Copies the user's files of one kind, then writes the given ones.
bool FillFolder(const fs::path& from, const fs::path& to, const std::string& extension,
                const std::vector<DataFile>& given, std::string& error) {
    std::error_code ec;
    fs::create_directories(to, ec);
    if (ec) {
        error = "cannot make the folder \"" + Utf8Path(to) + "\": " + ec.message();
        return false;
    }
    for (const fs::path& file : FilesEndingWith(from, extension)) {
        fs::copy_file(file, to / file.filename(), fs::copy_options::overwrite_existing, ec);
    }
    for (const DataFile& f : given) {
        if (!WriteWholeFile(to / FsPath(f.name), f.bytes, error)) return false;
    }
    return true;
}

fs::path FreshFolder(std::string& error) {
    std::error_code ec;
    const fs::path temp = fs::temp_directory_path(ec);
    if (ec) {
        error = "no folder for temporary files: " + ec.message();
        return {};
    }
    std::random_device entropy;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const fs::path candidate = temp / ("velmora-host-" + std::to_string(ProcessId()) + "-" +
                                           std::to_string(entropy() % 1000000));
        if (fs::create_directory(candidate, ec)) return candidate;
    }
    error = "cannot make a private data folder in \"" + Utf8Path(temp) + "\"" +
            (ec ? ": " + ec.message() : "");
    return {};
}

}  // namespace

FolderSnapshot SnapshotPresets(const fs::path& folder) {
    FolderSnapshot s;
    s.files = FilesEndingWith(folder, ".ini");
    s.taken = fs::file_time_type::clock::now();
    return s;
}

std::vector<fs::path> NewPresets(const fs::path& folder, const FolderSnapshot& before) {
    const std::set<fs::path> earlier(before.files.begin(), before.files.end());
    std::vector<fs::path> found;
    for (const fs::path& p : FilesEndingWith(folder, ".ini")) {
        std::error_code ec;
        const bool rewritten = fs::last_write_time(p, ec) >= before.taken && !ec;
        if (earlier.count(p) == 0 || rewritten) found.push_back(p);
    }
    return found;
}

RunDataFolder::~RunDataFolder() {
    redirect_.Restore();
    std::error_code ignored;
    for (const fs::path& p : placed_) fs::remove(p, ignored);
    if (!base_.empty()) fs::remove_all(base_, ignored);
}

bool RunDataFolder::Open(const std::vector<DataFile>& presets, const std::vector<DataFile>& guides,
                         std::string& error) {
    const fs::path userRoot = userRoot_ = UserDataRoot();
    presetFolder_ = PresetFolderUnder(userRoot);
    if (presets.empty() && guides.empty()) return true;  // the user's folders as they are
    base_ = FreshFolder(error);
    if (base_.empty()) return false;
    fs::path root;
    if (redirect_.Redirect(base_, root)) {
        presetFolder_ = PresetFolderUnder(root);
        return FillFolder(PresetFolderUnder(userRoot), presetFolder_, ".ini", presets, error) &&
               FillFolder(GuideFolderUnder(userRoot), GuideFolderUnder(root), ".svg", guides, error);
    }
    // The data root can't be moved: the user's folders for this run.
    std::error_code ignored;
    fs::remove_all(base_, ignored);
    base_.clear();
    for (const auto& [files, folder] : {std::pair{&presets, presetFolder_},
                                        std::pair{&guides, GuideFolderUnder(userRoot)}}) {
        for (const DataFile& f : *files) {
            const fs::path placed = folder / FsPath(f.name);
            switch (PlaceBytes(placed, f.bytes, error)) {
                case Placement::kKept: continue;
                case Placement::kClash:
                    error = "\"" + Utf8Path(placed) +
                            "\" already exists with other content; rename \"" + f.name +
                            "\" or remove that file";
                    return false;
                case Placement::kFailed: return false;
                case Placement::kWritten: placed_.push_back(placed); break;
            }
        }
    }
    return true;
}

std::vector<fs::path> RunDataFolder::KeepSavedPresets(const FolderSnapshot& before,
                                                      std::string& error) {
    std::vector<fs::path> saved = NewPresets(presetFolder_, before);
    if (!isPrivate()) return saved;
    const fs::path userFolder = PresetFolderUnder(userRoot_);
    std::error_code ec;
    fs::create_directories(userFolder, ec);
    std::vector<fs::path> kept;
    for (const fs::path& p : saved) {
        std::string bytes;
        const fs::path to = userFolder / p.filename();
        if (!ReadFileBytes(p, bytes) || !WriteWholeFile(to, bytes, error)) continue;
        kept.push_back(to);
    }
    return kept;
}

}  // namespace velmora::cli
