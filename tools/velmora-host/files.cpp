// Outputs that never replace what they should write through, inputs from
// files or standard input, data-file placement.
#include "tools/velmora-host/files.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

#include "tools/velmora-host/self_path.h"

namespace velmora::cli {
namespace fs = std::filesystem;

fs::path FsPath(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Path(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string FileStem(const std::string& utf8Name) { return Utf8Path(FsPath(utf8Name).stem()); }

namespace {

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

std::string Reason(const std::error_code& ec) { return ec ? ec.message() : "write failed"; }

fs::path TemporaryBeside(const fs::path& target) {
    static std::atomic<int> counter{0};
    fs::path name = target.filename();
    name += ".tmp-" + std::to_string(ProcessId()) + "-" + std::to_string(counter++);
    return target.parent_path() / fs::path(u8"." + name.u8string());
}

// Writes the bytes to the file, replacing its content; empty on success,
// else the system's reason.
std::string WriteBytes(const fs::path& path, std::string_view bytes) {
    errno = 0;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return errno != 0 ? std::strerror(errno) : "cannot open";
    out.write(bytes.data(), std::streamsize(bytes.size()));
    out.close();
    if (out.fail()) return errno != 0 ? std::strerror(errno) : "write failed";
    return {};
}

}  // namespace

fs::path FollowLinks(const fs::path& path) {
    fs::path p = path;
    std::error_code ec;
    for (int hops = 0; hops < 40 && fs::is_symlink(p, ec); ++hops) {
        const fs::path next = fs::read_symlink(p, ec);
        if (ec) break;
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    return p;
}

OutputFile::~OutputFile() {
    if (!temporary_.empty()) {
        std::error_code ignored;
        fs::remove(temporary_, ignored);
    }
}

bool OutputFile::Prepare(const std::string& path, std::string& error) {
    path_ = path;
    if (IsStandardStream(path)) {
        kind_ = Kind::kStandardOutput;
        return true;
    }
    const fs::path given = FsPath(path);
    const std::string cannot = "cannot write " + Quoted(path) + ": ";
    std::error_code ec;
    const fs::file_status status = fs::status(given, ec);
    if (fs::is_directory(status)) {
        error = cannot + "it is a folder";
        return false;
    }
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        // A device or a pipe: written as it is, never replaced.
        const std::string refusal = WriteRefusal(given);
        if (!refusal.empty()) {
            error = cannot + refusal;
            return false;
        }
        kind_ = Kind::kDirect;
        target_ = given;
        return true;
    }
    // A regular file or a new one, through any links to the file they name.
    target_ = fs::exists(status) ? fs::canonical(given, ec) : FollowLinks(given);
    if (ec) target_ = FollowLinks(given);
    if (fs::exists(status)) {
        const std::string refusal = WriteRefusal(target_);
        if (!refusal.empty()) {
            error = cannot + refusal;
            return false;
        }
    }
    // The temporary file now, so a folder that is missing or takes no new
    // file is found before the work rather than after it.
    temporary_ = TemporaryBeside(target_);
    const std::string reason = WriteBytes(temporary_, {});
    if (!reason.empty()) {
        fs::remove(temporary_, ec);
        temporary_.clear();
        const fs::path folder = target_.parent_path().empty() ? fs::path(".") : target_.parent_path();
        error = cannot + reason;
        if (!fs::exists(folder, ec)) error += " (no folder " + Quoted(Utf8Path(folder)) + ")";
        return false;
    }
    if (fs::exists(status)) {
        fs::permissions(temporary_, fs::status(target_, ec).permissions(), ec);
    }
    kind_ = Kind::kReplaced;
    return true;
}

bool OutputFile::Commit(std::string_view bytes, std::FILE* out, std::string& error) {
    const std::string cannot =
        "cannot write " + Quoted(IsStandardStream(path_) ? "standard output" : path_) + ": ";
    switch (kind_) {
        case Kind::kStandardOutput:
            if (std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() ||
                std::fflush(out) != 0) {
                error = cannot + LastSystemReason();
                return false;
            }
            return true;
        case Kind::kDirect: {
            const std::string reason = WriteBytes(target_, bytes);
            if (!reason.empty()) error = cannot + reason;
            return reason.empty();
        }
        case Kind::kReplaced: {
            const std::string reason = WriteBytes(temporary_, bytes);
            if (!reason.empty()) {
                error = cannot + reason;
                return false;
            }
            std::error_code ec;
            fs::rename(temporary_, target_, ec);
            if (ec) {
                error = cannot + Reason(ec);
                return false;
            }
            temporary_.clear();
            return true;
        }
        case Kind::kNone: break;
    }
    error = cannot + "not prepared";
    return false;
}

namespace {

// The identity of a named file or standard stream, when it is a regular file.
bool Identify(const std::string& path, int stream, FileId& id) {
    return IsStandardStream(path) ? IdentifyStandardStream(stream, id) : IdentifyFile(FsPath(path), id);
}

// Where an output that does not exist yet will be made.
fs::path WouldWrite(const std::string& path) {
    std::error_code ec;
    const fs::path target = FollowLinks(FsPath(path));
    const fs::path absolute = fs::absolute(target, ec);
    return (ec ? target : absolute).lexically_normal();
}

}  // namespace

bool CheckOutputsAreNotInputs(const std::vector<NamedFile>& outputs,
                              const std::vector<NamedFile>& inputs, std::string& error) {
    for (size_t i = 0; i < outputs.size(); ++i) {
        const NamedFile& o = outputs[i];
        FileId oid;
        const bool known = Identify(o.path, 1, oid);
        for (const NamedFile& in : inputs) {
            FileId iid;
            if (known && Identify(in.path, 0, iid) && iid == oid) {
                error = o.role + " " + Quoted(o.path) + " is the same file as " + in.role + " " +
                        Quoted(in.path) + "; writing it would lose " + in.role +
                        " (choose another output)";
                return false;
            }
        }
        for (size_t j = 0; j < i; ++j) {
            const NamedFile& p = outputs[j];
            FileId pid;
            const bool same =
                (IsStandardStream(o.path) && IsStandardStream(p.path)) ||
                (known && Identify(p.path, 1, pid) && pid == oid) ||
                (!known && !IsStandardStream(o.path) && !IsStandardStream(p.path) &&
                 WouldWrite(o.path) == WouldWrite(p.path));
            if (same) {
                error = p.role + " and " + o.role + " name the same file " + Quoted(o.path);
                return false;
            }
        }
    }
    return true;
}

bool ReadFileBytes(const fs::path& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool ReadInput(const std::string& path, std::string& bytes, std::string& error) {
    const std::string cannot = "cannot read " + Quoted(path == "-" ? "standard input" : path) + ": ";
    if (IsStandardStream(path)) {
        UseBinaryStandardStreams();
        bytes.clear();
        char buffer[65536];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) bytes.append(buffer, n);
        if (std::ferror(stdin)) {
            error = cannot + LastSystemReason();
            return false;
        }
        return true;
    }
    const fs::path file = FsPath(path);
    std::error_code ec;
    if (fs::is_directory(file, ec)) {
        error = cannot + "it is a folder";
        return false;
    }
    errno = 0;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = cannot + (errno != 0 ? std::strerror(errno) : "cannot open");
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = cannot + (errno != 0 ? std::strerror(errno) : "read failed");
        return false;
    }
    return true;
}

bool WriteWholeFile(const fs::path& path, std::string_view bytes, std::string& error) {
    OutputFile out;
    return out.Prepare(Utf8Path(path), error) && out.Commit(bytes, nullptr, error);
}

Placement PlaceBytes(const fs::path& placed, std::string_view bytes, std::string& reason) {
    std::error_code ec;
    if (fs::exists(placed, ec)) {
        std::string existing;
        return ReadFileBytes(placed, existing) && existing == bytes ? Placement::kKept
                                                                    : Placement::kClash;
    }
    fs::create_directories(placed.parent_path(), ec);
    return WriteWholeFile(placed, bytes, reason) ? Placement::kWritten : Placement::kFailed;
}

bool PlaceDataFile(const std::string& file, const fs::path& folder, bool& created,
                   fs::path& placed, std::string& error) {
    created = false;
    std::string bytes;
    if (!ReadInput(file, bytes, error)) return false;
    placed = folder / FsPath(file).filename();
    std::string reason;
    switch (PlaceBytes(placed, bytes, reason)) {
        case Placement::kKept: return true;
        case Placement::kClash:
            error = Quoted(Utf8Path(placed)) + " already exists with other content; rename " +
                    Quoted(file) + " or remove that file";
            return false;
        case Placement::kFailed:
            error = "cannot copy " + Quoted(file) + " into " + Quoted(Utf8Path(folder)) + ": " +
                    reason;
            return false;
        case Placement::kWritten: break;
    }
    created = true;
    return true;
}

}  // namespace velmora::cli
