// Whole-or-nothing outputs and data-file placement.
#include "tools/velmora-host/files.h"

#include <atomic>
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

namespace {

std::string Reason(const std::error_code& ec) { return ec ? ec.message() : "write failed"; }

fs::path TemporaryBeside(const fs::path& target) {
    static std::atomic<int> counter{0};
    fs::path name = target.filename();
    name += ".tmp-" + std::to_string(ProcessId()) + "-" + std::to_string(counter++);
    return target.parent_path() / fs::path(u8"." + name.u8string());
}

bool WriteWhole(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), std::streamsize(bytes.size()));
    out.close();
    return !out.fail();
}

}  // namespace

PendingOutput::~PendingOutput() {
    if (!temporary_.empty()) {
        std::error_code ignored;
        fs::remove(temporary_, ignored);
    }
}

bool PendingOutput::Write(const std::string& path, std::string_view bytes, std::string& error) {
    target_ = FsPath(path);
    temporary_ = TemporaryBeside(target_);
    if (!WriteWhole(temporary_, bytes)) {
        std::error_code ignored;
        fs::remove(temporary_, ignored);
        temporary_.clear();
        error = "cannot write \"" + path + "\"";
        return false;
    }
    return true;
}

bool PendingOutput::Commit(std::string& error) {
    std::error_code ec;
    fs::rename(temporary_, target_, ec);
    if (ec) {
        error = "cannot write \"" + Utf8Path(target_) + "\": " + Reason(ec);
        return false;
    }
    temporary_.clear();
    return true;
}

bool OutputFolderExists(const std::string& path, std::string& error) {
    const fs::path target = FsPath(path);
    std::error_code ec;
    if (fs::is_directory(target, ec)) {
        error = "cannot write \"" + path + "\": it is a folder";
        return false;
    }
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    if (!fs::is_directory(folder, ec)) {
        error = "cannot write \"" + path + "\": no folder \"" + Utf8Path(folder) + "\"";
        return false;
    }
    return true;
}

bool ReadFileBytes(const fs::path& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool PlaceDataFile(const std::string& file, const fs::path& folder, bool& created,
                   fs::path& placed, std::string& error) {
    created = false;
    std::string bytes;
    const fs::path from = FsPath(file);
    std::error_code ec;
    if (!fs::is_regular_file(from, ec) || !ReadFileBytes(from, bytes)) {
        error = "cannot read \"" + file + "\"";
        return false;
    }
    placed = folder / from.filename();
    std::string existing;
    if (fs::exists(placed, ec)) {
        if (ReadFileBytes(placed, existing) && existing == bytes) return true;
        error = "\"" + Utf8Path(placed) + "\" already exists with other content; rename \"" +
                file + "\" or remove that file";
        return false;
    }
    fs::create_directories(folder, ec);
    PendingOutput out;
    std::string reason;
    if (!out.Write(Utf8Path(placed), bytes, reason) || !out.Commit(reason)) {
        error = "cannot copy \"" + file + "\" into \"" + Utf8Path(folder) + "\"";
        return false;
    }
    created = true;
    return true;
}

}  // namespace velmora::cli
