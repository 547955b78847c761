// Files the command-line host reads and writes. Outputs appear whole or not
// at all and never replace what they should write through: a symbolic link
// is written through to its target, a device or pipe is written directly,
// "-" is standard output. Inputs may be "-" for standard input.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tools/velmora-host/system.h"

namespace velmora::cli {

// A UTF-8 path text as a filesystem path.
std::filesystem::path FsPath(const std::string& utf8);
std::string Utf8Path(const std::filesystem::path& path);

// Whether a file name ends in `tail` (".ini").
inline bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}
// The name a data file is listed under: without folders and extension.
std::string FileStem(const std::string& utf8Name);

// "-": standard input or output.
inline bool IsStandardStream(const std::string& path) { return path == "-"; }

// The file a symbolic link finally names (the path itself when it is no link);
// relative links are taken from the link's folder.
std::filesystem::path FollowLinks(const std::filesystem::path& path);

// An output checked before any work is done and written at the end.
// A regular file (or a new one) is written under a temporary name beside the
// file it finally names and renamed over it by Commit, so no reader ever sees
// half of it; an existing device or pipe is written directly. Destroying an
// uncommitted output removes its temporary file.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Checks that the output can be written (its folder exists and takes a
    // new file, an existing file may be written); false with a message
    // carrying the system's reason.
    bool Prepare(const std::string& path, std::string& error);
    // Writes the bytes where they belong: the temporary file, or at Commit
    // time for direct outputs and standard output (`out`).
    bool Commit(std::string_view bytes, std::FILE* out, std::string& error);

    const std::string& path() const { return path_; }
    bool toStandardOutput() const { return kind_ == Kind::kStandardOutput; }

private:
    enum class Kind { kNone, kStandardOutput, kReplaced, kDirect };
    Kind kind_ = Kind::kNone;
    std::string path_;                // as given
    std::filesystem::path target_;    // the file finally written
    std::filesystem::path temporary_; // beside it
};

// One file the command reads or writes, for the same-file check.
struct NamedFile {
    std::string role;  // "the source", "-o"...
    std::string path;  // as given; "-" for a standard stream
};

// Refuses (false, with a message) an output that is the same file as any
// input or as another output, by the system's file identity: links, other
// names and standard streams redirected to a file are seen through.
bool CheckOutputsAreNotInputs(const std::vector<NamedFile>& outputs,
                              const std::vector<NamedFile>& inputs, std::string& error);

// The whole of a file ("-": standard input); false with a message naming the
// file and the system's reason, or that it is a folder.
bool ReadInput(const std::string& path, std::string& bytes, std::string& error);

// The whole file as bytes; false when it can't be read.
bool ReadFileBytes(const std::filesystem::path& path, std::string& bytes);

// Writes a whole new file by a temporary file and a rename; false with a
// message carrying the reason.
bool WriteWholeFile(const std::filesystem::path& path, std::string_view bytes, std::string& error);

// Puts the bytes of a data file at `placed`, making its folder. An identical
// file already there is kept (kKept); a different one is left alone
// (kClash); a failed write is kFailed with the reason.
enum class Placement { kWritten, kKept, kClash, kFailed };
Placement PlaceBytes(const std::filesystem::path& placed, std::string_view bytes,
                     std::string& reason);

// Copies a data file into `folder` under its own name. An identical file
// already there is kept; a different one is not replaced (false, with a
// reason). `created` tells whether the copy made a new file.
bool PlaceDataFile(const std::string& file, const std::filesystem::path& folder,
                   bool& created, std::filesystem::path& placed, std::string& error);

}  // namespace velmora::cli
