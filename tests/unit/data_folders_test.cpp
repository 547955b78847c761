// Data folders: where they lie, their creation, file lists, shown names and
// whole-file reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "data/data_folders.h"
#include "data/text.h"
#include "platform/platform.h"
#include "tests/scratch_config_home.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

std::u16string U16(const fs::path& p) { return p.u16string(); }
std::string U8(const fs::path& p) { return ToUtf8(p.u16string()); }

void WriteFile(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

// Every directory below root, relative to it.
std::set<std::string> DirectoriesBelow(const fs::path& root) {
    std::set<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_directory()) found.insert(fs::relative(entry.path(), root).generic_string());
    }
    return found;
}

TEST(DataFolders, FirstStartCreatesTheFourFoldersAndListsNoPreset) {
    VELMORA_SCRATCH_CONFIG_HOME(home);
    EXPECT_EQ(DataRoot(), U16(home.root()));
    EXPECT_TRUE(EnsureDirectory(PresetFolder()));
    EXPECT_TRUE(EnsureDirectory(GuideFolder()));
    EXPECT_EQ(DirectoriesBelow(home.root()),
              (std::set<std::string>{"orvalen", "orvalen/vmplugin", "orvalen/vmplugin/preset",
                                     "orvalen/vmplugin/guide"}));
    EXPECT_TRUE(ListFiles(PresetFolder(), u".ini").empty());
    EXPECT_EQ(PresetFolder(), U16(home.root()) + u"/orvalen/vmplugin/preset/");
    EXPECT_EQ(DataFilePath(u"a", DataKind::kGuide), GuideFolder() + u"a.svg");
    // A name with a separator leads into a subfolder; nothing prevents it.
    EXPECT_EQ(DataFilePath(u"sub/x", DataKind::kPreset), PresetFolder() + u"sub/x.ini");
}

TEST(DataFolders, ExistingFoldersAndTrailingSeparatorsCreateNothingMore) {
    VELMORA_SCRATCH_FOLDER(home);
    fs::create_directories(home.root() / "a" / "b");
    const auto before = DirectoriesBelow(home.root());
    EXPECT_TRUE(EnsureDirectory(U16(home.root() / "a" / "b")));
    EXPECT_TRUE(EnsureDirectory(U16(home.root() / "a" / "b") + u"//"));
    EXPECT_EQ(DirectoriesBelow(home.root()), before);

    EXPECT_TRUE(EnsureDirectory(U16(home.root()) + u"/c/d//"));
    EXPECT_TRUE(fs::is_directory(home.root() / "c" / "d"));
    EXPECT_EQ(DirectoriesBelow(home.root()).size(), before.size() + 2);
}

TEST(DataFolders, AFolderThatCantBeCreatedIsReported) {
    VELMORA_SCRATCH_FOLDER(home);
    WriteFile(home.root() / "file", "x");
    EXPECT_FALSE(EnsureDirectory(U16(home.root() / "file" / "sub")));
    EXPECT_FALSE(EnsureDirectory(u""));
}

TEST(DataFolders, ListingTakesFilesEndingInTheExactExtension) {
    VELMORA_SCRATCH_FOLDER(home);
    const fs::path folder = home.root() / "list";
    fs::create_directories(folder / "d.ini");
    for (const char* name : {"a.ini", "b.INI", "c.ini.bak", "e.ini.ini", ".ini"}) {
        WriteFile(folder / name, "");
    }
    for (const std::u16string& f : {U16(folder), U16(folder) + u"/"}) {
        std::vector<std::u16string> files = ListFiles(f, u".ini");
        std::sort(files.begin(), files.end());
        const std::u16string base = U16(folder) + u"/";
        EXPECT_EQ(files, (std::vector<std::u16string>{base + u".ini", base + u"a.ini",
                                                      base + u"e.ini.ini"}));
        std::vector<std::u16string> stems;
        for (const auto& path : files) stems.push_back(FileStem(path));
        EXPECT_EQ(stems, (std::vector<std::u16string>{u".ini", u"a", u"e.ini"}));
    }
    EXPECT_EQ(ListFiles(U16(folder), u"").size(), 5u);  // every file, no directory
    EXPECT_TRUE(ListFiles(U16(folder / "missing"), u".ini").empty());
}

TEST(DataFolders, StemDropsTheFolderAndTheLastExtension) {
    EXPECT_EQ(FileStem(u"x.y.svg"), u"x.y");
    EXPECT_EQ(FileStem(u".svg"), u".svg");
    EXPECT_EQ(FileStem(u"a/b.c.ini"), u"b.c");
    EXPECT_EQ(FileStem(u"C:\\guides\\wave.svg"), u"wave");
    EXPECT_EQ(FileStem(u"dir.d/notes"), u"notes");
    EXPECT_EQ(FileStem(u"notes"), u"notes");
}

TEST(DataFolders, WholeFileKeepsEveryByte) {
    VELMORA_SCRATCH_FOLDER(home);
    const std::string bytes("a\r\nb\0c\x1a\xff", 8);
    WriteFile(home.root() / "f.bin", bytes);
    EXPECT_EQ(ReadWholeFile(U8(home.root() / "f.bin")), bytes);
    EXPECT_EQ(ReadWholeFile(U8(home.root() / "missing")), "");
    EXPECT_EQ(ReadWholeFile(U8(home.root())), "");  // a directory holds no data
}

#ifndef _WIN32
// The configuration folder: XDG_CONFIG_HOME when absolute, else ~/.config.
class RoamingFolder : public ::testing::Test {
protected:
    void SetUp() override {
        Save("XDG_CONFIG_HOME", xdg_);
        Save("HOME", home_);
    }
    void TearDown() override {
        Restore("XDG_CONFIG_HOME", xdg_);
        Restore("HOME", home_);
    }

private:
    static void Save(const char* name, std::optional<std::string>& slot) {
        if (const char* v = std::getenv(name)) slot = v;
    }
    static void Restore(const char* name, const std::optional<std::string>& slot) {
        if (slot) {
            ::setenv(name, slot->c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }
    std::optional<std::string> xdg_, home_;
};

TEST_F(RoamingFolder, FollowsTheConfigurationVariables) {
    ::setenv("XDG_CONFIG_HOME", "/tmp/conf/", 1);
    ::setenv("HOME", "/home/u", 1);
    EXPECT_EQ(platform::RoamingDataFolder(), u"/tmp/conf");
    ::setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(platform::RoamingDataFolder(), u"/home/u/.config");
    ::setenv("XDG_CONFIG_HOME", "relative/conf", 1);
    EXPECT_EQ(platform::RoamingDataFolder(), u"/home/u/.config");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(platform::RoamingDataFolder(), u"/home/u/.config");
    ::unsetenv("HOME");
    EXPECT_EQ(platform::RoamingDataFolder(), u"");
    EXPECT_EQ(PresetFolder(), u"/orvalen/vmplugin/preset/");
    EXPECT_EQ(GuideFolder(), u"/orvalen/vmplugin/guide/");
}
#endif

}  // namespace
}  // namespace velmora
