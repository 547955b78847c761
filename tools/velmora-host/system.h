// What the command-line host asks of the operating system beyond the
// standard library: file identity, write permission, the user's data root,
// binary standard streams. One implementation per platform
// (system_posix.cpp, system_win32.cpp).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace velmora::cli {

// A file as the system knows it: two names of one file share it.
struct FileId {
    uint64_t device = 0;
    uint64_t index = 0;
    bool operator==(const FileId&) const = default;
};

// The regular file a path names, following symbolic links; false when it is
// missing, can't be asked, or is no regular file (a folder, device, pipe).
bool IdentifyFile(const std::filesystem::path& path, FileId& id);
// The regular file behind standard input (0) or standard output (1), if any.
bool IdentifyStandardStream(int stream, FileId& id);

// Empty when this user may write the existing file or folder; else the
// system's reason ("Permission denied").
std::string WriteRefusal(const std::filesystem::path& path);

// The system's text for the last failed call (errno or its equivalent).
std::string LastSystemReason();

// Standard input and output carry bytes unchanged (no line-end translation).
void UseBinaryStandardStreams();

// The user's roaming data folder under which the module keeps its folders
// ("orvalen/vmplugin/..."), as the module finds it; empty when the system
// can't tell. And a sentence on what moves it.
std::filesystem::path UserDataRoot();
const char* DataRootExplanation();

// Points the module's data root into the folder `base` for the rest of this
// process, so a module loaded into it reads and writes its data files there;
// `root` is the data root it then uses. False when this system can't move
// it; Restore undoes a redirection.
class DataRootRedirect {
public:
    DataRootRedirect() = default;
    ~DataRootRedirect() { Restore(); }
    DataRootRedirect(const DataRootRedirect&) = delete;
    DataRootRedirect& operator=(const DataRootRedirect&) = delete;

    bool Redirect(const std::filesystem::path& base, std::filesystem::path& root);
    void Restore();

private:
    bool active_ = false;
    // The environment variables changed, with their earlier values.
    struct Saved {
        std::string name;
        bool had = false;
        std::string value;
    };
    std::vector<Saved> saved_;
};

}  // namespace velmora::cli
