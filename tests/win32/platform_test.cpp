// The Win32 platform layer against the real API (run under Wine on the
// build machine): known folder, directories with non-ASCII names, wide
// opens, UTF-8 conversion and lowercasing.
#include "platform/platform.h"

#include <gtest/gtest.h>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace velmora::platform {
namespace {

std::u16string FromWide(const wchar_t* text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text));
}

// A fresh folder under the temporary folder, removed with its files after
// the test.
class Win32Folder : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH + 1];
        const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
        ASSERT_GT(length, 0u);
        root_ = FromWide(temp) + u"velmora-" +
                Utf8ToUtf16(std::to_string(GetCurrentProcessId()) + "-" +
                            std::to_string(GetTickCount64())) +
                u"-\u30c6\u30b9\u30c8";  // テスト
        ASSERT_EQ(CreateOneDirectory(root_), CreateResult::kCreated);
    }
    void TearDown() override { Remove(root_); }

    static void Remove(const std::u16string& path) {
        std::vector<DirectoryEntry> entries;
        if (ListDirectory(path, entries)) {
            for (const DirectoryEntry& entry : entries) {
                if (entry.name == u"." || entry.name == u"..") continue;
                const std::u16string child = path + u"\\" + entry.name;
                if (entry.isDirectory) {
                    Remove(child);
                } else {
                    DeleteFileW(reinterpret_cast<const wchar_t*>(child.c_str()));
                }
            }
        }
        RemoveDirectoryW(reinterpret_cast<const wchar_t*>(path.c_str()));
    }

    void WriteFile(const std::u16string& path, const std::string& bytes) {
        std::FILE* file = OpenFile(Utf16ToUtf8(path), "wb");
        ASSERT_NE(file, nullptr);
        ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
        std::fclose(file);
    }

    std::u16string root_;
};

TEST(Win32Platform, RoamingDataFolderIsTheUsersAppData) {
    const std::u16string folder = RoamingDataFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), u'\\');
    EXPECT_TRUE(IsDirectory(folder));
    const wchar_t* appData = _wgetenv(L"APPDATA");
    ASSERT_NE(appData, nullptr);
    EXPECT_EQ(folder, FromWide(appData));
}

TEST_F(Win32Folder, CreatesOneDirectoryAndTellsExistingFromFailed) {
    const std::u16string child = root_ + u"\\\u30d7\u30ea\u30bb\u30c3\u30c8";  // プリセット
    EXPECT_FALSE(IsDirectory(child));
    EXPECT_EQ(CreateOneDirectory(child), CreateResult::kCreated);
    EXPECT_TRUE(IsDirectory(child));
    EXPECT_EQ(CreateOneDirectory(child), CreateResult::kAlreadyExists);
    // The parent must exist: one level at a time.
    EXPECT_EQ(CreateOneDirectory(root_ + u"\\missing\\child"), CreateResult::kFailed);
    EXPECT_FALSE(IsDirectory(root_ + u"\\missing"));
}

TEST_F(Win32Folder, AFileIsNotADirectory) {
    WriteFile(root_ + u"\\plain.ini", "x");
    EXPECT_FALSE(IsDirectory(root_ + u"\\plain.ini"));
    EXPECT_FALSE(IsDirectory(root_ + u"\\absent"));
    // A file in the way counts as existing for the creation.
    EXPECT_EQ(CreateOneDirectory(root_ + u"\\plain.ini"), CreateResult::kAlreadyExists);
}

TEST_F(Win32Folder, ListsFilesAndFoldersWithTheirKinds) {
    const std::u16string japanese = u"\u96c6\u4e2d\u7dda.svg";  // 集中線.svg
    WriteFile(root_ + u"\\" + japanese, "<svg/>");
    WriteFile(root_ + u"\\a.ini", "");
    ASSERT_EQ(CreateOneDirectory(root_ + u"\\d.ini"), CreateResult::kCreated);

    for (const std::u16string& folder : {root_, root_ + u"\\", root_ + u"/"}) {
        std::vector<DirectoryEntry> entries;
        ASSERT_TRUE(ListDirectory(folder, entries));
        auto kindOf = [&](const std::u16string& name) {
            auto found = std::find_if(entries.begin(), entries.end(),
                                      [&](const DirectoryEntry& e) { return e.name == name; });
            return found == entries.end() ? std::string("absent")
                                          : found->isDirectory ? "dir" : "file";
        };
        EXPECT_EQ(entries.size(), 5u);  // ".", "..", two files, one folder
        EXPECT_EQ(kindOf(u"."), "dir");
        EXPECT_EQ(kindOf(u".."), "dir");
        EXPECT_EQ(kindOf(japanese), "file");
        EXPECT_EQ(kindOf(u"a.ini"), "file");
        EXPECT_EQ(kindOf(u"d.ini"), "dir");
    }
}

TEST_F(Win32Folder, ListingAMissingFolderFails) {
    std::vector<DirectoryEntry> entries;
    EXPECT_FALSE(ListDirectory(root_ + u"\\absent", entries));
    EXPECT_TRUE(entries.empty());
}

TEST_F(Win32Folder, OpensFilesByTheirUtf8PathWithNonAsciiNames) {
    const std::u16string path = root_ + u"\\\u5e73\u884c\u7dda \u00e9\U0001F600.ini";
    WriteFile(path, "line=1\n");
    // The name on disk is the UTF-16 name, not a code-page rendering of it.
    EXPECT_NE(GetFileAttributesW(reinterpret_cast<const wchar_t*>(path.c_str())),
              INVALID_FILE_ATTRIBUTES);

    std::FILE* file = OpenFile(Utf16ToUtf8(path), "rb");
    ASSERT_NE(file, nullptr);
    char buffer[16] = {};
    // Binary mode: the LF stays one byte.
    EXPECT_EQ(std::fread(buffer, 1, sizeof buffer, file), 7u);
    std::fclose(file);
    EXPECT_STREQ(buffer, "line=1\n");

    EXPECT_EQ(OpenFile(Utf16ToUtf8(root_ + u"\\absent.ini"), "rb"), nullptr);
    EXPECT_EQ(OpenFile("", "rb"), nullptr);
}

TEST(Win32Platform, ConvertsUtf8BothWays) {
    const std::string utf8 = "\xe3\x83\xb4\xe3\x82\xa7 a\xc3\xa9 \xf0\x9f\x98\x80";  // ヴェ aé 😀
    const std::u16string utf16 = u"\u30f4\u30a7 a\u00e9 \U0001F600";
    EXPECT_EQ(Utf8ToUtf16(utf8), utf16);
    EXPECT_EQ(Utf16ToUtf8(utf16), utf8);
    EXPECT_EQ(Utf8ToUtf16(""), u"");
    EXPECT_EQ(Utf16ToUtf8(u""), "");
    // Embedded zeros are text like any other.
    EXPECT_EQ(Utf8ToUtf16(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
}

TEST(Win32Platform, LowercasesEachCodeUnit) {
    std::u16string text = u"Radial LINES \u00c4\u00d6 \uff21 \u96c6\u4e2d\u7dda";
    LowercaseInPlace(text);
    EXPECT_EQ(text, u"radial lines \u00e4\u00f6 \uff41 \u96c6\u4e2d\u7dda");
    // A surrogate pair is two code units, each its own: Deseret stays upper.
    std::u16string pair = {char16_t(0xD801), char16_t(0xDC00)};
    LowercaseInPlace(pair);
    EXPECT_EQ(pair, (std::u16string{char16_t(0xD801), char16_t(0xDC00)}));
    std::u16string empty;
    LowercaseInPlace(empty);
    EXPECT_TRUE(empty.empty());
}

}  // namespace
}  // namespace velmora::platform
