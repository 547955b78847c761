// Files the command-line host writes and copies: outputs that appear whole
// or not at all, and data files placed into the module's folders.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace velmora::cli {

// A UTF-8 path text as a filesystem path.
std::filesystem::path FsPath(const std::string& utf8);
std::string Utf8Path(const std::filesystem::path& path);

// An output written under a temporary name in its own folder and renamed
// into place by Commit, so no reader ever sees half of it. Destroying an
// uncommitted output removes the temporary file.
class PendingOutput {
public:
    PendingOutput() = default;
    ~PendingOutput();
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;

    bool Write(const std::string& path, std::string_view bytes, std::string& error);
    bool Commit(std::string& error);

private:
    std::filesystem::path target_;
    std::filesystem::path temporary_;
};

// True when the output's folder exists, so a render is not wasted on a
// path that can never be written.
bool OutputFolderExists(const std::string& path, std::string& error);

// Copies a data file into `folder` under its own name. An identical file
// already there is kept; a different one is not replaced (false, with a
// reason). `created` tells whether the copy made a new file.
bool PlaceDataFile(const std::string& file, const std::filesystem::path& folder,
                   bool& created, std::filesystem::path& placed, std::string& error);

// The whole file as bytes; false when it can't be read.
bool ReadFileBytes(const std::filesystem::path& path, std::string& bytes);

}  // namespace velmora::cli
