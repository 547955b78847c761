// Preset and guide files nobody should write: empty, huge, with NUL bytes or
// a byte-order mark, unbalanced SVG, unreadable numbers, Japanese names.
// Outcome: an unreadable preset changes nothing; an unusable guide becomes
// the straight guide; everything finishes quickly and leaves nothing behind.
#include <chrono>
#include <fstream>
#include <string>

#include "data/guide_file.h"
#include "data/preset_file.h"
#include "render/path_parser.h"
#include "tests/e2e/hostile_scene.h"
#include "tests/item_keys.h"

namespace velmora::hostcore::hostile {
namespace {

class HostileFiles : public HostileTest {
protected:
    void SetUp() override {
        HostileTest::SetUp();
        std::filesystem::create_directories(vmplugin() / "preset");
        std::filesystem::create_directories(vmplugin() / "guide");
    }

    void Write(const std::filesystem::path& path, const std::string& bytes) {
        std::ofstream out(path, std::ios::binary);
        out.write(bytes.data(), std::streamsize(bytes.size()));
        ASSERT_TRUE(out.good()) << path;
    }
    void WritePreset(const std::u8string& name, const std::string& bytes) {
        Write(vmplugin() / "preset" / (name + u8".ini"), bytes);
    }
    void WriteGuide(const std::u8string& name, const std::string& bytes) {
        Write(vmplugin() / "guide" / (name + u8".svg"), bytes);
    }

    // Index of the enumeration string of that text in an item; -1 when absent.
    static int32_t IndexOf(HostCore& host, int32_t key, std::u16string_view text) {
        const PropertyItem* item = host.Item(key);
        if (item == nullptr) return -1;
        for (const auto& [index, s] : item->enumStrings) {
            if (s == text) return index;
        }
        return -1;
    }

    // Opens a session on a small canvas; the files are listed at filter initialise.
    void OpenSession(HostCore& host) {
        OpenInked(host, 48, 32);
    }

    // Selects the guide of that name and runs; the run answers 0 in time.
    void RunWithGuide(HostCore& host, std::u16string_view name) {
        const int32_t index = IndexOf(host, kItemGuide, name);
        ASSERT_GE(index, 2);
        EXPECT_EQ(host.EditEnum(kItemGuide, index), 2);
        EXPECT_LT(TimedRun(host), kHangSeconds);
    }
};

// The straight guide, as a parser holds it after LoadGuide.
std::vector<PathCommand> StraightCommands() {
    PathParser straight;
    MakeStraightGuide(straight);
    return straight.commands;
}

bool SameCommands(const std::vector<PathCommand>& a, const std::vector<PathCommand>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].kind != b[i].kind || a[i].points.size() != b[i].points.size()) return false;
        for (size_t k = 0; k < a[i].points.size(); ++k) {
            if (a[i].points[k].x != b[i].points[k].x || a[i].points[k].y != b[i].points[k].y) {
                return false;
            }
        }
    }
    return true;
}

TEST_F(HostileFiles, EmptyPresetChangesNothing) {
    WritePreset(u8"empty", "");
    HostCore host;
    OpenSession(host);
    const int32_t index = IndexOf(host, kItemPreset, u"empty");
    ASSERT_GE(index, 1);
    EXPECT_EQ(host.EditEnum(kItemPreset, index), 1);
    EXPECT_EQ(host.Item(kItemSize)->doubleValue, 2.0);
    EXPECT_EQ(host.ModuleTerminate(), 0);
    ExpectNothingLeft(host);
}

TEST_F(HostileFiles, FiftyMegabytePresetIsReadInTime) {
    // One very long line of no use, then many short lines, then the value.
    std::string text = "[pen]\n";
    text.append(40u << 20, 'x');
    text += "\n";
    while (text.size() < (50u << 20)) text += "hardness=0.25\n";
    text += "size=7\n";
    WritePreset(u8"huge", text);
    HostCore host;
    OpenSession(host);
    const int32_t index = IndexOf(host, kItemPreset, u"huge");
    ASSERT_GE(index, 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(host.EditEnum(kItemPreset, index), 2);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
              kHangSeconds);
    EXPECT_EQ(host.Item(kItemSize)->doubleValue, 7.0);
    EXPECT_EQ(host.Item(kItemHardness)->doubleValue, 0.25);
    EXPECT_EQ(host.ModuleTerminate(), 0);
    ExpectNothingLeft(host);
}

TEST_F(HostileFiles, NulBytesSpoilOnlyTheirOwnValues) {
    using namespace std::string_literals;
    WritePreset(u8"nul_bytes", "[pen]\nsize=\0"s "9\nhardness=0.5\0"s "\nfluction=0.75\n[li\0ne]\nspacing=3\n"s);
    HostCore host;
    OpenSession(host);
    EXPECT_EQ(host.EditEnum(kItemPreset, IndexOf(host, kItemPreset, u"nul_bytes")), 2);
    EXPECT_EQ(host.Item(kItemSize)->doubleValue, 2.0);   // "\0" "9" does not read
    EXPECT_EQ(host.Item(kItemHardness)->doubleValue, 0.5);   // a NUL after the number ends it
    EXPECT_EQ(host.Item(kItemFluction)->doubleValue, 0.75);  // the clean line does
    EXPECT_EQ(host.Item(kItemSpacing)->intValue, 50);       // no section "li\0ne"
    EXPECT_EQ(host.ModuleTerminate(), 0);
    ExpectNothingLeft(host);
}

TEST_F(HostileFiles, ByteOrderMarkHidesTheFirstSection) {
    WritePreset(u8"bom", "\xEF\xBB\xBF[pen]\nsize=9\n[line]\nspacing=3\n");
    HostCore host;
    OpenSession(host);
    EXPECT_EQ(host.EditEnum(kItemPreset, IndexOf(host, kItemPreset, u"bom")), 2);
    EXPECT_EQ(host.Item(kItemSize)->doubleValue, 2.0);  // the marked line names no section
    EXPECT_EQ(host.Item(kItemSpacing)->intValue, 3);
    EXPECT_EQ(host.ModuleTerminate(), 0);
    ExpectNothingLeft(host);
}

TEST_F(HostileFiles, JapaneseFileNamesListLoadAndSave) {
    WritePreset(u8"集中線プリセット", "[pen]\nsize=5\n");
    WriteGuide(u8"定規カーブ", "<svg><path d=\"M0 0 Q 50 40 100 0\"/></svg>");
    HostCore host;
    OpenSession(host);
    const int32_t index = IndexOf(host, kItemPreset, u"集中線プリセット");
    EXPECT_EQ(host.EditEnum(kItemPreset, index), 2);
    EXPECT_EQ(host.Item(kItemSize)->doubleValue, 5.0);
    RunWithGuide(host, u"定規カーブ");
    PathParser loaded;
    LoadGuide(loaded, u"定規カーブ");
    EXPECT_EQ(loaded.commands.size(), 2u);
    EXPECT_EQ(loaded.commands[1].kind, kQuadTo);
    EXPECT_EQ(host.ModuleTerminate(), 0);
    ExpectNothingLeft(host);
}

TEST_F(HostileFiles, GuidesOfTooManyCommandsBecomeTheStraightGuide) {
    // 100000 commands parse, but a pass over them would take minutes.
    std::string d = "M0 0";
    for (int i = 0; i < 100000; ++i) d += (i % 2 == 0) ? " C1 2 3 4 5 6" : " Q 7 8 9 0";
    PathParser parser;
    ASSERT_TRUE(ParseSvgGuide(parser, "<path d=\"" + d + "\"/>"));
    EXPECT_EQ(parser.commands.size(), 100001u);
    parser.Flatten(false);
    EXPECT_GT(parser.segments.size(), 100000u);
    WriteGuide(u8"many", "<path d=\"" + d + "\"/>");
    PathParser loaded;
    LoadGuide(loaded, u"many");
    EXPECT_TRUE(SameCommands(loaded.commands, StraightCommands()));
    // 10 MB of path data likewise, and quickly.
    std::string big = "M0 0";
    while (big.size() < (10u << 20)) big += " L 1.25 2.5 L 3.75 0";
    WriteGuide(u8"big", "<svg><path d=\"" + big + "\"/></svg>");
    HostCore host;
    OpenSession(host);
    const auto start = std::chrono::steady_clock::now();
    RunWithGuide(host, u"many");
    RunWithGuide(host, u"big");
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
              kHangSeconds);
    // The largest guide still used: every command of it is followed.
    std::string most = "M0 0";
    for (size_t i = 1; i < kMaxGuideCommands; ++i) most += (i % 2 == 0) ? " L 1 1" : " L 2 0";
    WriteGuide(u8"most", "<path d=\"" + most + "\"/>");
    LoadGuide(loaded, u"most");
    EXPECT_EQ(loaded.commands.size(), kMaxGuideCommands);
    EXPECT_EQ(host.ModuleTerminate(), 0);
    ExpectNothingLeft(host);
}

TEST_F(HostileFiles, UnusableGuidesBecomeTheStraightGuide) {
    const std::pair<std::u8string, std::string> files[] = {
        {u8"unbalanced", "<svg><g><path d=\"M 0 0 L 10"},
        {u8"no_close", "<svg><path d=\"M 0 0 L 10 10\"/"},
        {u8"huge_number", "<svg><path d=\"M 0 0 L 1e999 5\"/></svg>"},
        {u8"minus_nan", "<svg><path d=\"M 0 0 L -nan 5\"/></svg>"},
        {u8"no_d", "<svg><path transform=\"translate(3,4)\"/></svg>"},
        {u8"empty", ""},
        {u8"nul_bytes", std::string("<svg><path d=\"M0 0\0L 5 5\"/></svg>", 33)},
    };
    for (const auto& [name, text] : files) WriteGuide(name, text);
    const std::vector<PathCommand> straight = StraightCommands();
    HostCore host;
    OpenSession(host);
    for (const auto& [name, text] : files) {
        const std::u16string name16(name.begin(), name.end());  // ASCII names
        PathParser loaded;
        LoadGuide(loaded, name16);
        EXPECT_TRUE(SameCommands(loaded.commands, straight) || !loaded.commands.empty())
            << std::string(name.begin(), name.end());
        RunWithGuide(host, name16);
    }
    EXPECT_EQ(host.ModuleTerminate(), 0);
    ExpectNothingLeft(host);
}

TEST_F(HostileFiles, NumbersOutOfRangeOrNotNumbersGiveTheStraightGuide) {
    const std::vector<PathCommand> straight = StraightCommands();
    for (const char* d : {"M 0 0 L 1e999 5", "M 0 0 L -nan 5", "M nan 0", "M 0 0 L inf 1",
                          "M 0 0 L 1e-999 1e-999"}) {
        PathParser parser;
        const bool stored = ParseSvgGuide(parser, std::string("<path d=\"") + d + "\"/>");
        if (!stored) {
            WriteGuide(u8"g", std::string("<path d=\"") + d + "\"/>");
            PathParser loaded;
            LoadGuide(loaded, u"g");
            EXPECT_TRUE(SameCommands(loaded.commands, straight)) << d;
        }
        parser.Flatten(false);
        parser.Advance(10.0);
        parser.Retreat(20.0);
    }
}

}  // namespace
}  // namespace velmora::hostcore::hostile
