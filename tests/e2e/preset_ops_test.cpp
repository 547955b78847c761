// Presets through a host: applying a file sets the settings and the panel's
// items, saving writes the file and adds its name to the Preset item. The
// controller is driven directly, over the host core's services, with the
// panel items the property panel declares.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>

#include "controller/velmora_manager.h"
#include "data/data_folders.h"
#include "tests/e2e/scratch_data_test.h"
#include "tests/expect_settings.h"
#include "tools/host_core/host_core.h"

namespace velmora {
namespace {

using testing::ExpectItems;
using testing::ExpectSettings;
using testing::NamedSettings;

struct ItemDecl {
    int32_t key;
    int32_t kind;
};

constexpr ItemDecl kItems[] = {
    {kItemPreset, kKindEnum}, {kItemSavePreset, kKindBool}, {kItemTemplate, kKindEnum},
    {kItemGuide, kKindEnum}, {kItemCurvature, kKindDouble}, {kItemPoint1, kKindPoint},
    {kItemPoint2, kKindPoint}, {kItemPoint3, kKindPoint}, {kItemSize, kKindDouble},
    {kItemHardness, kKindDouble}, {kItemFluction, kKindDouble}, {kItemIn, kKindInt},
    {kItemOut, kKindInt}, {kItemAsdist, kKindBool}, {kItemEasing, kKindBool},
    {kItemPosition, kKindInt}, {kItemPosfluct, kKindDouble}, {kItemLength, kKindInt},
    {kItemLenfluct, kKindDouble}, {kItemSpacing, kKindInt}, {kItemSpcfluct, kKindDouble},
    {kItemLengain, kKindDouble}, {kItemSpcgain, kKindDouble}, {kItemConnect, kKindBool},
};

class PresetOps : public e2e::ScratchDataTest {
protected:
    void SetUp() override {
        if (!config.redirected()) GTEST_SKIP() << "data root can't be redirected";
        ASSERT_TRUE(EnsureDirectory(PresetFolder()));
        core.SetCanvasSize(1000, 800);
        manager.RefreshServer(core.server());
        manager.propertyObject = manager.host.CreatePropertyObject();
        for (const ItemDecl& item : kItems) {
            const HostStringRef caption = manager.host.MakeString(u"item");
            manager.host.AddItem(manager.propertyObject, item.key, item.kind, 0, 0,
                                 caption.get(), 0);
        }
        manager.guides.push_back({u":S", nullptr});
        manager.guides.push_back({u":C", nullptr});
        manager.guides.push_back({u"\u00C4rger", nullptr});  // Ärger
        manager.presets.push_back({u""});
        {
            const HostStringRef text = manager.host.MakeString(u"Default");
            ASSERT_TRUE(manager.host.AddEnumString(manager.propertyObject, kItemPreset, 0,
                                                   text.get()));
            manager.presetItemStrings = 1;
        }
        core.ClearLogs();
    }

    void WritePreset(const char* name, const std::string& text) {
        std::ofstream(vmplugin() / "preset" / (std::string(name) + ".ini"),
                      std::ios::binary)
            << text;
    }

    std::string ReadPreset(const std::u16string& name) {
        std::ifstream in(PresetPath(name), std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    std::filesystem::path PresetPath(const std::u16string& name) {
        return std::filesystem::path(DataFilePath(name, DataKind::kPreset));
    }

    // Items the controller set a value on.
    int ItemsSet() {
        int n = 0;
        for (const auto& item : core.GetPropertyObject(manager.propertyObject)->items) {
            n += item.valueSet;
        }
        return n;
    }

    hostcore::PropertyItem& Item(int32_t key) {
        return *core.GetPropertyObject(manager.propertyObject)->Find(key);
    }

    hostcore::HostCore core;  // outlives the controller, which releases its items
    VelmoraManager manager;
};

TEST_F(PresetOps, ApplyingSetsOnlyTheKeysTheFileHolds) {
    WritePreset("mine",
                "[guide]\ntype=Circle\np1=0.25, 0.75\nname=\u00E4rger\n"
                "[pen]\nsize=7.5\nin=12px\nasdist=TRUE\neasing=yes\n"
                "[line]\nconnect=false\nspcgain=-0.5\n");
    manager.settings.p2 = {11, 22};
    ASSERT_TRUE(manager.ApplyPreset(u"mine"));

    const EffectSettings& s = manager.settings;
    EXPECT_EQ(s.type, 2);
    EXPECT_EQ(s.p1, (Point32{250, 600}));
    EXPECT_EQ(s.p2, (Point32{11, 22}));  // base points are not reset with the template
    EXPECT_EQ(s.guide, 2);               // matched without regard to case
    EXPECT_EQ(s.size, 7.5);
    EXPECT_EQ(s.in, 12);
    EXPECT_TRUE(s.asdist);
    EXPECT_FALSE(s.easing);
    EXPECT_FALSE(s.connect);
    EXPECT_EQ(s.spcgain, -0.5);
    EXPECT_EQ(s.hardness, 1.0);  // absent keys keep their settings

    EXPECT_EQ(Item(kItemTemplate).enumIndex, 2);
    EXPECT_EQ(Item(kItemPoint1).point.x, 250);
    EXPECT_EQ(Item(kItemPoint1).point.y, 600);
    EXPECT_EQ(Item(kItemGuide).enumIndex, 2);
    EXPECT_EQ(Item(kItemSize).doubleValue, 7.5);
    EXPECT_EQ(Item(kItemIn).intValue, 12);
    EXPECT_TRUE(Item(kItemAsdist).boolValue);
    EXPECT_FALSE(Item(kItemPoint2).valueSet);
    EXPECT_EQ(ItemsSet(), 8);
    EXPECT_TRUE(core.errors().empty()) << core.errors().front();
}

TEST_F(PresetOps, EverySettingKeyReachesItsSettingAndItsItem) {
    WritePreset("all",
                "[guide]\ncurvature=-2.5\n"
                "[pen]\nsize=7.25\nhardness=0.5\nfluction=0.75\nin=12\nout=34\n"
                "asdist=true\neasing=true\n"
                "[line]\nposition=-56\nposfluct=0.25\nlength=78\nlenfluct=0.45\nspacing=9\n"
                "spcfluct=0.65\nlengain=-3.5\nspcgain=4.75\nconnect=false\n");
    ASSERT_TRUE(manager.ApplyPreset(u"all"));

    const NamedSettings expected = {
        {"curvature", -2.5}, {"size", 7.25}, {"hardness", 0.5}, {"fluction", 0.75},
        {"in", 12}, {"out", 34}, {"asdist", true}, {"easing", true},
        {"position", -56}, {"posfluct", 0.25}, {"length", 78}, {"lenfluct", 0.45},
        {"spacing", 9}, {"spcfluct", 0.65}, {"lengain", -3.5}, {"spcgain", 4.75},
        {"connect", false}};
    ExpectSettings(manager.settings, expected);
    ExpectItems(*core.GetPropertyObject(manager.propertyObject), expected);
    EXPECT_EQ(ItemsSet(), 17);  // the template, points and guide untouched
    EXPECT_TRUE(core.errors().empty()) << core.errors().front();

    // Saved again, the file holds the same values under the same keys.
    manager.SavePreset();
    ASSERT_EQ(manager.presets.size(), 2u);
    EXPECT_NE(ReadPreset(manager.presets[1].name)
                  .find("curvature=-2.5\n\n[pen]\nsize=7.25\nhardness=0.5\nfluction=0.75\n"
                        "in=12\nout=34\nasdist=true\neasing=true\n\n[line]\nposition=-56\n"
                        "posfluct=0.25\nlength=78\nlenfluct=0.45\nspacing=9\nspcfluct=0.65\n"
                        "lengain=-3.5\nspcgain=4.75\nconnect=false\n"),
              std::string::npos);
}

TEST_F(PresetOps, UnreadableOrEmptyPresetsChangeNothing) {
    EXPECT_FALSE(manager.ApplyPreset(u"missing"));
    WritePreset("empty", "");
    EXPECT_FALSE(manager.ApplyPreset(u"empty"));
    WritePreset("notes", "; nothing but a comment\n");
    EXPECT_TRUE(manager.ApplyPreset(u"notes"));
    WritePreset("noguide", "[guide]\nname=nowhere\n");
    EXPECT_TRUE(manager.ApplyPreset(u"noguide"));
    EXPECT_EQ(manager.settings.guide, 0);
    EXPECT_EQ(ItemsSet(), 0);
    EXPECT_TRUE(core.errors().empty()) << core.errors().front();
}

TEST_F(PresetOps, ValuesAreAppliedAsReadAndPointsSaturate) {
    WritePreset("wild", "[guide]\np1=1e300,-1e300\np2=nan,2\n[pen]\nsize=nan\nhardness=inf\n"
                        "[line]\nspacing=-5\n");
    ASSERT_TRUE(manager.ApplyPreset(u"wild"));
    const EffectSettings& s = manager.settings;
    EXPECT_EQ(s.p1, (Point32{std::numeric_limits<int32_t>::max(),
                             std::numeric_limits<int32_t>::min()}));
    EXPECT_EQ(s.p2, (Point32{0, 1600}));
    EXPECT_TRUE(std::isnan(s.size));
    EXPECT_TRUE(std::isnan(Item(kItemSize).doubleValue));
    EXPECT_EQ(s.hardness, std::numeric_limits<double>::infinity());
    EXPECT_EQ(s.spacing, -5);
}

TEST_F(PresetOps, SavingWritesTheFileAndListsIt) {
    manager.settings.p1 = {500, 400};
    manager.settings.p2 = {500, 260};
    manager.settings.p3 = {500, 100};
    manager.SavePreset();
    ASSERT_EQ(manager.presets.size(), 2u);
    const std::u16string name = manager.presets[1].name;
    ASSERT_EQ(name.size(), 15u);  // YYYYmmdd-HHMMSS
    EXPECT_EQ(name[8], u'-');
    EXPECT_EQ(ReadPreset(name),
              "[guide]\ntype=radiate\np1=0.5,0.5\np2=0.5,0.325\np3=0.5,0.125\nname=:S\n"
              "curvature=1\n\n[pen]\nsize=2\nhardness=1\nfluction=0\nin=500\nout=500\n"
              "asdist=false\neasing=false\n\n[line]\nposition=0\nposfluct=0\nlength=10\n"
              "lenfluct=0\nspacing=50\nspcfluct=0\nlengain=0\nspcgain=0\nconnect=true\n");
    EXPECT_EQ(Item(kItemPreset).enumStrings.at(1), name);
    EXPECT_EQ(core.liveStrings(), 0u);
    EXPECT_TRUE(core.errors().empty()) << core.errors().front();

    // Saved and applied again, the settings come back.
    manager.settings.p1 = {1, 1};
    ASSERT_TRUE(manager.ApplyPreset(name));
    EXPECT_EQ(manager.settings.p1, (Point32{500, 400}));
}

TEST_F(PresetOps, SavingOnAnEmptyCanvasOrWithALongGuideName) {
    core.SetCanvasSize(0, 0);
    manager.settings.p1 = {5, 5};
    manager.guides.push_back({std::u16string(130, u'\u00E9'), nullptr});  // 260 bytes
    manager.settings.guide = 3;
    manager.SavePreset();
    ASSERT_EQ(manager.presets.size(), 2u);
    const std::string text = ReadPreset(manager.presets[1].name);
    EXPECT_NE(text.find("\np1=0,0\n"), std::string::npos);
    EXPECT_NE(text.find("\nname=\n"), std::string::npos);
}

TEST_F(PresetOps, AFailedSaveChangesNothing) {
    std::filesystem::remove_all(vmplugin() / "preset");
    manager.SavePreset();
    EXPECT_EQ(manager.presets.size(), 1u);
    EXPECT_EQ(Item(kItemPreset).enumStrings.size(), 1u);
    EXPECT_EQ(core.liveStrings(), 0u);
}

}  // namespace
}  // namespace velmora
