// The property panel as the host sees it: what filter initialise declares,
// and which edits report a change.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "controller_fixture.h"
#include "data/data_folders.h"

namespace velmora::e2e {
namespace {

using hostcore::PropertyItem;

struct ExpectedItem {
    int32_t key;
    int32_t kind;
    char accessKey;
    std::u16string caption;
};

const std::vector<ExpectedItem> kDeclarationOrder = {
    {kItemPreset, kKindEnum, 'r', u"Preset"},
    {kItemSavePreset, kKindBool, 'v', u"Save Preset"},
    {kItemTemplate, kKindEnum, 't', u"Template"},
    {kItemPoint1, kKindPoint, 'd', u"Point 1"},
    {kItemPoint2, kKindPoint, 'd', u"Point 2"},
    {kItemPoint3, kKindPoint, 'd', u"Point 3"},
    {kItemGuide, kKindEnum, 'r', u"Guide"},
    {kItemCurvature, kKindDouble, 'r', u"Curvature"},
    {kItemSize, kKindDouble, 's', u"Size"},
    {kItemHardness, kKindDouble, 'h', u"Hardness"},
    {kItemFluction, kKindDouble, 'f', u"Pressure Jitter"},
    {kItemIn, kKindInt, 'i', u"Pen Start"},
    {kItemOut, kKindInt, 'o', u"Pen End"},
    {kItemAsdist, kKindBool, 'd', u"Distance-Based"},
    {kItemEasing, kKindBool, 'e', u"Ease In/Out"},
    {kItemPosition, kKindInt, 'p', u"Base Position"},
    {kItemPosfluct, kKindDouble, 'u', u"Position Jitter"},
    {kItemLength, kKindInt, 'l', u"Length"},
    {kItemLenfluct, kKindDouble, 'l', u"Length Jitter"},
    {kItemSpacing, kKindInt, 'a', u"Spacing"},
    {kItemSpcfluct, kKindDouble, 'a', u"Spacing Jitter"},
    {kItemLengain, kKindDouble, 'g', u"Length Gain"},
    {kItemSpcgain, kKindDouble, 'g', u"Spacing Gain"},
    {kItemConnect, kKindBool, 'c', u"Connect Lines"},
};

std::vector<std::u16string> EnumStrings(const PropertyItem& item) {
    std::vector<std::u16string> out;
    for (const auto& [index, text] : item.enumStrings) out.push_back(text);
    return out;
}

void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

class Panel : public ControllerTest {
protected:
    int32_t Edit(int32_t key, double v) { return host.EditDouble(key, v); }
    int32_t Edit(int32_t key, int32_t v) { return host.EditInt(key, v); }
    int32_t Edit(int32_t key, bool v) { return host.EditBool(key, v); }

    // Each item edited to `value` reports a change (2) and sets its member;
    // the same value again reports none (1). `value(member)` picks the value
    // from the member's present one.
    template <class T, class Value>
    void ExpectOnlyRealChanges(std::vector<std::pair<int32_t, T EffectSettings::*>> fields,
                               Value value) {
        for (const auto& [key, field] : fields) {
            const T v = value(manager().settings.*field);
            EXPECT_EQ(Edit(key, v), 2) << key;
            EXPECT_EQ(manager().settings.*field, v) << key;
            EXPECT_EQ(Edit(key, v), 1) << key;
        }
    }
};

TEST_F(Panel, DeclaresTheFilterAndEveryItemInOrder) {
    Start();
    const hostcore::FilterDeclaration& filter = host.filter();
    EXPECT_EQ(filter.categoryName, u"Orvalen Works");
    EXPECT_EQ(filter.categoryAccessKey, 't');
    EXPECT_EQ(filter.filterName, u"Velmora Plugin");
    EXPECT_EQ(filter.filterAccessKey, 's');
    EXPECT_EQ(filter.firstSwitch, std::optional<bool>(true));
    EXPECT_EQ(filter.secondSwitch, std::optional<bool>(true));
    EXPECT_EQ(filter.targetKinds, (std::vector<int32_t>{257, 258, 262}));

    const hostcore::PropertyObject* panel = host.panel();
    ASSERT_NE(panel, nullptr);
    ASSERT_EQ(panel->items.size(), kDeclarationOrder.size());
    for (size_t i = 0; i < kDeclarationOrder.size(); ++i) {
        const PropertyItem& item = panel->items[i];
        const ExpectedItem& want = kDeclarationOrder[i];
        SCOPED_TRACE(want.key);
        EXPECT_EQ(item.key, want.key);
        EXPECT_EQ(item.kind, want.kind);
        EXPECT_EQ(item.codeA, 17);
        EXPECT_EQ(item.codeB, want.kind == kKindPoint ? 49 : 17);
        EXPECT_EQ(item.caption, want.caption);
        EXPECT_EQ(item.accessKey, want.accessKey);
    }
    EXPECT_EQ(host.liveStrings(), 0u);  // every string went back at once
    EXPECT_TRUE(host.errors().empty()) << host.errors().front();
}

TEST_F(Panel, ItemsStartAtTheSettingsWithTheirRanges) {
    Start();
    struct Range {
        int32_t key;
        double minimum, maximum, value;
    };
    for (const Range& r : std::vector<Range>{{kItemCurvature, -10, 10, 1.0},
                                             {kItemSize, 1, 50, 2.0},
                                             {kItemHardness, 0, 1, 1.0},
                                             {kItemFluction, 0, 1, 0.0},
                                             {kItemPosfluct, 0, 1, 0.0},
                                             {kItemLenfluct, 0, 1, 0.0},
                                             {kItemSpcfluct, 0, 1, 0.0},
                                             {kItemLengain, -100, 100, 0.0},
                                             {kItemSpcgain, -100, 100, 0.0}}) {
        const PropertyItem* item = host.Item(r.key);
        ASSERT_NE(item, nullptr) << r.key;
        EXPECT_EQ(item->doubleMinimum, std::optional<double>(r.minimum)) << r.key;
        EXPECT_EQ(item->doubleMaximum, std::optional<double>(r.maximum)) << r.key;
        EXPECT_EQ(item->doubleDefault, r.value) << r.key;
        EXPECT_EQ(item->doubleValue, r.value) << r.key;
        EXPECT_TRUE(item->valueSet && item->defaultSet) << r.key;
    }
    struct IntRange {
        int32_t key, minimum, value;
    };
    for (const IntRange& r : std::vector<IntRange>{
             {kItemIn, 0, 500},
             {kItemOut, 0, 500},
             {kItemPosition, -1000, 0},
             {kItemLength, 0, 10},
             {kItemSpacing, 1, 50}}) {
        const PropertyItem* item = host.Item(r.key);
        ASSERT_NE(item, nullptr) << r.key;
        EXPECT_EQ(item->intMinimum, std::optional<int32_t>(r.minimum)) << r.key;
        EXPECT_EQ(item->intMaximum, std::optional<int32_t>(1000)) << r.key;
        EXPECT_EQ(item->intDefault, r.value) << r.key;
        EXPECT_EQ(item->intValue, r.value) << r.key;
    }
    for (auto [key, value] : std::vector<std::pair<int32_t, bool>>{
             {kItemSavePreset, false},
             {kItemAsdist, false},
             {kItemEasing, false},
             {kItemConnect, true}}) {
        const PropertyItem* item = host.Item(key);
        ASSERT_NE(item, nullptr) << key;
        EXPECT_EQ(item->boolDefault, value) << key;
        EXPECT_EQ(item->boolValue, value) << key;
    }
    for (int32_t key : {kItemPoint1, kItemPoint2, kItemPoint3}) {
        const PropertyItem* item = host.Item(key);
        ASSERT_NE(item, nullptr) << key;
        EXPECT_EQ(item->pointFirstSetting, std::optional<int32_t>(37)) << key;
        EXPECT_EQ(item->pointSecondSetting, std::optional<int32_t>(34)) << key;
        EXPECT_FALSE(item->valueSet || item->defaultSet) << key;
    }
    for (int32_t key : {kItemPreset, kItemTemplate, kItemGuide}) {
        const PropertyItem* item = host.Item(key);
        ASSERT_NE(item, nullptr) << key;
        EXPECT_TRUE(item->defaultSet) << key;
        EXPECT_EQ(item->enumDefault, 0) << key;
        EXPECT_FALSE(item->valueSet) << key;
        EXPECT_EQ(item->enumFlags, std::vector<int32_t>(item->enumStrings.size(), 0)) << key;
    }
    EXPECT_EQ(EnumStrings(*host.Item(kItemTemplate)),
              (std::vector<std::u16string>{u"Radial Lines", u"Parallel Lines", u"Concentric Circles"}));
}

TEST_F(Panel, EmptyFoldersGiveDefaultAndTheTwoBuiltInGuides) {
    Start();
    EXPECT_EQ(EnumStrings(*host.Item(kItemPreset)), std::vector<std::u16string>{u"Default"});
    EXPECT_EQ(EnumStrings(*host.Item(kItemGuide)), (std::vector<std::u16string>{u"Straight", u"Curve"}));
    ASSERT_EQ(manager().presets.size(), 1u);
    EXPECT_EQ(manager().presets[0].name, u"");
    ASSERT_EQ(manager().guides.size(), 2u);
    EXPECT_EQ(manager().guides[0].name, u":S");
    EXPECT_EQ(manager().guides[1].name, u":C");
    EXPECT_TRUE(std::filesystem::is_directory(config.PresetDir()));
    EXPECT_TRUE(std::filesystem::is_directory(config.GuideDir()));
}

TEST_F(Panel, FilesAreListedInTheFoldersOrderAfterTheBuiltInEntries) {
    std::filesystem::create_directories(config.GuideDir());
    std::filesystem::create_directories(config.PresetDir());
    WriteFile(config.GuideDir() / "B.svg", "<path d=\"M 0 0 L 100 0\"/>");
    WriteFile(config.GuideDir() / "A.svg", "<path d=\"M 0 0 L 0 50 L 100 0\"/>");
    WriteFile(config.GuideDir() / "notes.txt", "not a guide");
    WriteFile(config.PresetDir() / "mine.ini", "[pen]\nsize=7.5\n");

    // The folder's own order decides; nothing is sorted.
    std::vector<std::u16string> listed;
    for (const std::u16string& path : ListFiles(GuideFolder(), u".svg")) listed.push_back(FileStem(path));
    ASSERT_EQ(listed.size(), 2u);

    Start();
    EXPECT_EQ(EnumStrings(*host.Item(kItemGuide)),
              (std::vector<std::u16string>{u"Straight", u"Curve", listed[0], listed[1]}));
    EXPECT_EQ(EnumStrings(*host.Item(kItemPreset)), (std::vector<std::u16string>{u"Default", u"mine"}));
    ASSERT_EQ(manager().guides.size(), 4u);
    EXPECT_EQ(manager().guides[3].name, listed[1]);

    // Choosing entry 3 renders with the second listed file's guide.
    host.SetSource(EmptySource(16, 16));
    host.SetDestination(host.CreateOffscreen(16, 16, 3));
    EXPECT_EQ(host.EditEnum(kItemGuide, 3), 2);
    EXPECT_EQ(host.FilterRun(), 0);
    EXPECT_EQ(manager().settings.guide, 3);
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(manager().guides[i].path != nullptr, i == 3) << i;
    const size_t points = listed[1] == u"A" ? 3u : 2u;
    EXPECT_EQ(manager().guides[3].path->commands.size(), points);
}

TEST_F(Panel, ChoosingATemplateMovesThePointsEvenWhenItIsTheSame) {
    Start();
    host.SetCanvasSize(1000, 600);
    EXPECT_EQ(host.EditEnum(kItemTemplate, kTemplateParallel), 2);
    EXPECT_EQ(manager().settings.type, 1);
    EXPECT_EQ(manager().settings.p1, (Point32{250, 525}));
    EXPECT_EQ(manager().settings.p2, (Point32{250, 75}));
    EXPECT_EQ(manager().settings.p3, (Point32{750, 525}));
    EXPECT_EQ(host.Item(kItemPoint3)->point.x, 750);
    EXPECT_EQ(host.Item(kItemPoint3)->point.y, 525);

    EXPECT_EQ(host.EditPoint(kItemPoint1, HostPoint{3, 4}), 2);
    EXPECT_EQ(host.EditEnum(kItemTemplate, kTemplateParallel), 2);
    EXPECT_EQ(manager().settings.p1, (Point32{250, 525}));
    EXPECT_EQ(host.Item(kItemPoint1)->point.x, 250);
}

TEST_F(Panel, SavePresetIsStoredButNeverReportsAChange) {
    Start();
    EXPECT_EQ(host.EditBool(kItemSavePreset, true), 1);
    EXPECT_TRUE(manager().settings.savePreset);
    EXPECT_EQ(host.EditBool(kItemSavePreset, true), 1);
    EXPECT_EQ(host.EditBool(kItemSavePreset, false), 1);
    EXPECT_FALSE(manager().settings.savePreset);
}

TEST_F(Panel, DecimalsReportOnlyRealChangesAndNaNAlways) {
    Start();
    EXPECT_EQ(host.EditDouble(kItemSize, 2.0), 1);  // the value it already holds
    EXPECT_EQ(host.EditDouble(kItemSize, 10.0), 2);
    EXPECT_EQ(manager().settings.size, 10.0);
    EXPECT_EQ(host.EditDouble(kItemSize, 10.0), 1);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(host.EditDouble(kItemCurvature, nan), 2);
    EXPECT_TRUE(std::isnan(manager().settings.curvature));
    EXPECT_EQ(host.EditDouble(kItemCurvature, nan), 2);
    EXPECT_EQ(host.EditDouble(kItemCurvature, 1.0), 2);

    ExpectOnlyRealChanges<double>({{kItemHardness, &EffectSettings::hardness},
                                   {kItemFluction, &EffectSettings::fluction},
                                   {kItemPosfluct, &EffectSettings::posfluct},
                                   {kItemLenfluct, &EffectSettings::lenfluct},
                                   {kItemSpcfluct, &EffectSettings::spcfluct},
                                   {kItemLengain, &EffectSettings::lengain},
                                   {kItemSpcgain, &EffectSettings::spcgain}},
                                  [](double) { return 0.5; });
}

TEST_F(Panel, IntegersBooleansPointsAndTheGuideReportOnlyRealChanges) {
    Start();
    ExpectOnlyRealChanges<int32_t>({{kItemIn, &EffectSettings::in},
                                    {kItemOut, &EffectSettings::out},
                                    {kItemPosition, &EffectSettings::position},
                                    {kItemLength, &EffectSettings::length},
                                    {kItemSpacing, &EffectSettings::spacing}},
                                   [](int32_t) { return 321; });
    ExpectOnlyRealChanges<bool>({{kItemAsdist, &EffectSettings::asdist},
                                 {kItemEasing, &EffectSettings::easing},
                                 {kItemConnect, &EffectSettings::connect}},
                                [](bool now) { return !now; });

    EXPECT_EQ(host.EditPoint(kItemPoint2, HostPoint{0, 0}), 1);
    EXPECT_EQ(host.EditPoint(kItemPoint2, HostPoint{0, 9}), 2);
    EXPECT_EQ(manager().settings.p2, (Point32{0, 9}));
    EXPECT_EQ(host.EditPoint(kItemPoint2, HostPoint{5, 9}), 2);
    EXPECT_EQ(host.EditPoint(kItemPoint2, HostPoint{5, 9}), 1);

    EXPECT_EQ(host.EditEnum(kItemGuide, 0), 1);
    EXPECT_EQ(host.EditEnum(kItemGuide, 1), 2);
    EXPECT_EQ(manager().settings.guide, 1);
    EXPECT_EQ(host.EditEnum(kItemGuide, 1), 1);

    EXPECT_EQ(host.Notify(999), 1);
    EXPECT_EQ(host.SendEvent(kItemSize), 1);
}

TEST_F(Panel, DefaultRestoresTheValuesThePanelWasDeclaredWith) {
    ASSERT_EQ(host.ModuleInitialize(), 0);
    manager().settings.size = 7.0;  // as if a preset had set it before
    manager().settings.length = 40;
    ASSERT_EQ(host.FilterInitialize(), 0);
    host.SetCanvasSize(1000, 600);

    host.EditDouble(kItemSize, 10.0);
    host.EditInt(kItemLength, 5);
    host.EditBool(kItemConnect, false);
    host.EditEnum(kItemTemplate, kTemplateConcentric);
    host.EditEnum(kItemGuide, 1);
    host.EditBool(kItemSavePreset, true);

    EXPECT_EQ(host.EditEnum(kItemPreset, 0), 2);
    const EffectSettings& s = manager().settings;
    EXPECT_EQ(s.size, 7.0);
    EXPECT_EQ(s.length, 40);
    EXPECT_TRUE(s.connect);
    EXPECT_EQ(s.type, 0);
    EXPECT_EQ(s.guide, 0);
    EXPECT_EQ(s.p1, (Point32{500, 300}));
    EXPECT_EQ(s.p2, (Point32{500, 195}));
    EXPECT_EQ(s.p3, (Point32{500, 75}));
    EXPECT_TRUE(s.savePreset);  // not part of the reset
    EXPECT_EQ(host.Item(kItemSize)->doubleValue, 7.0);
    EXPECT_EQ(host.Item(kItemLength)->intValue, 40);
    EXPECT_TRUE(host.Item(kItemConnect)->boolValue);
    EXPECT_EQ(host.Item(kItemTemplate)->enumIndex, 0);
    EXPECT_EQ(host.Item(kItemGuide)->enumIndex, 0);
    EXPECT_EQ(host.Item(kItemPoint2)->point.y, 195);
    EXPECT_TRUE(host.errors().empty()) << host.errors().front();
}

TEST_F(Panel, APresetEntryAppliesItsFileAndAMissingOneChangesNothing) {
    std::filesystem::create_directories(config.PresetDir());
    WriteFile(config.PresetDir() / "mine.ini", "[pen]\nsize=7.5\n");
    Start();
    EXPECT_EQ(host.EditEnum(kItemPreset, 1), 2);
    EXPECT_EQ(manager().settings.size, 7.5);
    EXPECT_EQ(host.Item(kItemSize)->doubleValue, 7.5);

    std::filesystem::remove(config.PresetDir() / "mine.ini");
    host.EditDouble(kItemSize, 3.0);
    EXPECT_EQ(host.EditEnum(kItemPreset, 1), 1);
    EXPECT_EQ(manager().settings.size, 3.0);
}

TEST_F(Panel, APresetIndexOutsideTheListChangesNothing) {
    Start();
    host.EditDouble(kItemSize, 10.0);
    host.Item(kItemPreset)->enumIndex = 5;
    EXPECT_EQ(host.Notify(kItemPreset), 1);
    host.Item(kItemPreset)->enumIndex = -1;
    EXPECT_EQ(host.Notify(kItemPreset), 1);
    EXPECT_EQ(manager().settings.size, 10.0);
}

}  // namespace
}  // namespace velmora::e2e
