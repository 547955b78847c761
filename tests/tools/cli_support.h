// Running velmora-host as a user does: a subprocess with arguments, its
// exit status and what it printed; a scratch data folder per test.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/scratch_config_home.h"
#include "tools/velmora-host/picture.h"


namespace velmora::cli::testing {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

inline std::string ShellQuoted(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) q += (c == '\'') ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// A folder of its own for one test, removed afterwards: the data root
// points into its "config" folder, so the module's preset and guide
// folders are fresh, and temporary files of the runs land in its "tmp".
class Scratch {
public:
    Scratch() {
        const char* tmp = std::getenv("TMPDIR");
        hadTmp_ = tmp != nullptr;
        if (tmp != nullptr) previousTmp_ = tmp;
        fs::create_directories(root_ / "tmp");
        ::setenv("TMPDIR", (root_ / "tmp").c_str(), 1);
    }
    ~Scratch() {
        if (hadTmp_) ::setenv("TMPDIR", previousTmp_.c_str(), 1);
        else ::unsetenv("TMPDIR");
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    fs::path operator/(const std::string& name) const { return root_ / name; }
    const fs::path& root() const { return root_; }
    fs::path presetFolder() const { return home_.PresetDir(); }
    fs::path guideFolder() const { return home_.GuideDir(); }
    fs::path tmp() const { return root_ / "tmp"; }

    // Runs velmora-host with the arguments.
    Outcome Run(const std::vector<std::string>& args) const { return RunProgram(VELMORA_HOST_PATH, args); }

    Outcome RunProgram(const std::string& program, const std::vector<std::string>& args) const {
        std::string command = ShellQuoted(program);
        for (const std::string& a : args) command += " " + ShellQuoted(a);
        const fs::path out = root_ / "stdout.txt", err = root_ / "stderr.txt";
        command += " >" + ShellQuoted(out.string()) + " 2>" + ShellQuoted(err.string());
        const int raw = std::system(command.c_str());
        Outcome o;
        o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        o.out = ReadText(out);
        o.err = ReadText(err);
        return o;
    }

    // A shell command line (for redirections and pipes); HOST stands for
    // the program's path in it.
    Outcome Shell(const std::string& line) const {
        std::string expanded = line;
        for (size_t at; (at = expanded.find("HOST")) != std::string::npos;) {
            expanded.replace(at, 4, ShellQuoted(VELMORA_HOST_PATH));
        }
        return RunProgram("/bin/sh", {"-c", expanded});
    }

    // Names of the files in a folder.
    static std::vector<std::string> Files(const fs::path& folder) {
        std::vector<std::string> names;
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            names.push_back(it->path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    ::velmora::testing::ScratchConfigHome home_{"config"};
    const fs::path& root_ = home_.root();
    std::string previousTmp_;
    bool hadTmp_ = false;
};

// The decoded RGBA of a PNG file; empty when it can't be read.
// A PNG chunk with its length and CRC.
inline std::string Chunk(const std::string& type, const std::string& data) {
    auto crc = [](const std::string& bytes) {
        uint32_t c = 0xFFFFFFFFu;
        for (unsigned char b : bytes) {
            c ^= b;
            for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
        }
        return c ^ 0xFFFFFFFFu;
    };
    auto be = [](uint32_t v) {
        return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    };
    return be(uint32_t(data.size())) + type + data + be(crc(type + data));
}

inline Picture LoadPicture(const fs::path& path) {
    Picture p;
    std::string error;
    if (!DecodePng(ReadText(path), path.string(), p, error)) return Picture{};
    return p;
}

// Compares two pictures pixel by pixel; on a mismatch says how many pixels
// differ and by how much at most.
inline ::testing::AssertionResult SamePicture(const Picture& expected, const Picture& actual) {
    if (expected.width != actual.width || expected.height != actual.height) {
        return ::testing::AssertionFailure()
               << "size " << actual.width << "x" << actual.height << ", expected "
               << expected.width << "x" << expected.height;
    }
    size_t differing = 0;
    int largest = 0;
    for (size_t i = 0; i < expected.rgba.size(); i += 4) {
        int d = 0;
        for (int c = 0; c < 4; ++c) d = std::max(d, std::abs(int(expected.rgba[i + c]) - actual.rgba[i + c]));
        if (d > 0) ++differing;
        largest = std::max(largest, d);
    }
    if (differing == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << differing << " pixels differ, by at most " << largest;
}

// Pixels with any coverage in an effect layer.
inline size_t CoveredPixels(const Picture& effect) {
    size_t n = 0;
    for (size_t i = 3; i < effect.rgba.size(); i += 4) n += effect.rgba[i] != 0;
    return n;
}

}  // namespace velmora::cli::testing
