// The host core itself: the state its services keep and the rules it checks,
// so that what the module tests see is what a painting host would do.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/item_keys.h"
#include "tools/host_core/host_core.h"

namespace velmora::hostcore {
namespace {

TEST(HostCoreBitmaps, RowsArePaddedAndPixelsAddressable) {
    HostCore host;
    const HostServer* s = host.server();
    HostBitmap b = nullptr;
    ASSERT_EQ(s->bitmap->create(&b, 5, 3, 4, 16), 0);
    HostInt rowBytes = 0, pixelBytes = 0;
    s->bitmap->rowBytes(&rowBytes, b);
    s->bitmap->pixelBytes(&pixelBytes, b);
    EXPECT_EQ(pixelBytes, 4);
    EXPECT_GT(rowBytes, 5 * 4);
    uint8_t* origin = nullptr;
    uint8_t* p = nullptr;
    HostPoint at{0, 0};
    s->bitmap->pixelAddress(&origin, b, &at);
    at = {2, 1};
    s->bitmap->pixelAddress(&p, b, &at);
    EXPECT_EQ(p - origin, rowBytes + 2 * 4);
    at = {5, 0};
    EXPECT_NE(s->bitmap->pixelAddress(&p, b, &at), 0);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(host.liveBitmaps(), 1u);
    EXPECT_EQ(s->bitmap->release(b), 0);
    EXPECT_EQ(host.liveBitmaps(), 0u);
    EXPECT_EQ(host.errors().size(), 1u);  // the point outside
    EXPECT_NE(s->bitmap->release(b), 0);
    EXPECT_EQ(host.errors().size(), 2u);  // released twice
}

TEST(HostCoreOffscreens, CopiesWholePixelsBothWays) {
    HostCore host;
    const HostServer* s = host.server();
    const int32_t bgr[3] = {2, 1, 0};
    const uint8_t rgba[] = {10, 20, 30, 255, 1, 2, 3, 4};
    const HostOffscreen o = host.OffscreenFromRgba(2, 1, rgba, bgr);
    EXPECT_EQ(host.GetOffscreen(o)->pixels, (std::vector<uint8_t>{30, 20, 10, 255, 3, 2, 1, 4}));
    HostInt r = -1, g = -1, b = -1;
    s->offscreen->colourIndices(&r, &g, &b, o);
    EXPECT_EQ(r, 2);
    EXPECT_EQ(b, 0);

    HostBitmap bitmap = nullptr;
    s->bitmap->create(&bitmap, 2, 1, 4, 16);
    const HostPoint origin{0, 0};
    s->offscreen->copyToBitmap(bitmap, &origin, o, &origin, 2, 1, 1);
    uint8_t* px = nullptr;
    s->bitmap->pixelAddress(&px, bitmap, &origin);
    EXPECT_EQ(std::vector<uint8_t>(px, px + 8), (std::vector<uint8_t>{30, 20, 10, 255, 3, 2, 1, 4}));
    px[0] = 99;
    const HostOffscreen back = host.CreateOffscreen(2, 1, 3);
    host.GetOffscreen(back)->colourIndices[0] = 2;
    host.GetOffscreen(back)->colourIndices[2] = 0;
    s->offscreen->copyFromBitmap(back, &origin, bitmap, &origin, 2, 1, 1);
    EXPECT_EQ(host.ReadRgba(back), (std::vector<uint8_t>{10, 20, 99, 255, 1, 2, 3, 4}));
    s->bitmap->release(bitmap);
    EXPECT_TRUE(host.errors().empty());
}

TEST(HostCoreOffscreens, GreyKindsAndChannelCounts) {
    HostCore host;
    const uint8_t values[] = {0, 128, 255};
    const HostOffscreen grey = host.OffscreenFromGrey(3, 1, 2, values);
    EXPECT_EQ(host.GetOffscreen(grey)->pixels, (std::vector<uint8_t>{0, 255, 128, 255, 255, 255}));
    const HostOffscreen mask = host.OffscreenFromGrey(3, 1, 1, values);
    EXPECT_EQ(host.GetOffscreen(mask)->pixels, (std::vector<uint8_t>{0, 128, 255}));
    EXPECT_EQ(ChannelsForKind(3), 4);
    EXPECT_EQ(ChannelsForKind(6), 2);
    EXPECT_EQ(ChannelsForKind(4), 5);
    EXPECT_EQ(ChannelsForKind(1), 1);
}

TEST(HostCoreStrings, TableInBothLanguagesAndLiveCount) {
    StringTable table;
    ASSERT_TRUE(table.Parse("# comment\n101\tOrvalen Works\tOrvalen Works\n"
                            "142\tDefault\t(\xE5\x88\x9D\xE6\x9C\x9F\xE8\xA8\xAD\xE5\xAE\x9A)\r\n"));
    EXPECT_EQ(table.size(), 2u);
    EXPECT_EQ(*table.Find(142, Language::kJapanese), u"(初期設定)");
    EXPECT_EQ(table.Find(143, Language::kEnglish), nullptr);
    EXPECT_FALSE(StringTable().Parse("101 no tabs\n"));

    HostOptions options;
    options.language = Language::kJapanese;
    HostCore host(options);
    host.SetStringTable(table);
    const HostServer* s = host.server();
    HostString str = nullptr;
    ASSERT_EQ(s->string->fromTable(&str, 142, s->hostObject), 0);
    const HostChar16* text = nullptr;
    s->string->utf16Text(&text, str);
    EXPECT_EQ(std::u16string(text), u"(初期設定)");
    HostString narrow = nullptr;
    s->string->fromNarrow(&narrow, "\xE5\x88\x9D!", 4);
    EXPECT_EQ(host.StringText(narrow), u"初!");
    EXPECT_EQ(host.liveStrings(), 2u);
    s->string->release(str);
    s->string->release(narrow);
    EXPECT_EQ(host.liveStrings(), 0u);
    EXPECT_TRUE(host.errors().empty());
    EXPECT_NE(s->string->fromTable(&str, 999, s->hostObject), 0);
    EXPECT_EQ(str, nullptr);
}

TEST(HostCoreStrings, TableFileSitsBesideTheModule) {
    EXPECT_EQ(StringTable::PathBesideModule("/a/b/Velmora.cpm"), "/a/b/Velmora.strings");
    EXPECT_EQ(StringTable::PathBesideModule("/a.b/Velmora"), "/a.b/Velmora.strings");
    StringTable table;
    ASSERT_TRUE(table.LoadFile(StringTable::PathBesideModule(VELMORA_MODULE_PATH)));
    EXPECT_EQ(*table.Find(102, Language::kJapanese), u"ヴェルモラプラグイン");
    EXPECT_EQ(*table.Find(kItemConnect, Language::kEnglish), u"Connect Lines");
    EXPECT_EQ(table.size(), 34u);
}

TEST(HostCoreProcessState, QueuedRepliesThenDefaults) {
    HostCore host;
    host.QueueReplies(259, {258, 258});
    EXPECT_EQ(host.ReplyFor(259), 258);
    EXPECT_EQ(host.ReplyFor(259), 258);
    EXPECT_EQ(host.ReplyFor(259), 259);
    EXPECT_EQ(host.ReplyFor(257), 257);
    EXPECT_EQ(host.ReplyFor(258), 257);
    host.SetDefaultReply(258, 259);
    EXPECT_EQ(host.ReplyFor(258), 259);
    EXPECT_EQ(host.processRequests(), (std::vector<int32_t>{259, 259, 259, 257, 258, 258}));
}

TEST(HostCoreOptions, OmittedTablesAndSlotsAreNull) {
    HostOptions options;
    options.omitServices.insert(Service::kBitmap);
    options.omitSlots.insert({Service::kFilterRun, 16});
    options.omitSlots.insert({Service::kString, 0});
    HostCore host(options);
    EXPECT_EQ(host.server()->bitmap, nullptr);
    ASSERT_NE(host.server()->filterRun, nullptr);
    EXPECT_EQ(host.server()->filterRun->processState, nullptr);
    EXPECT_NE(host.server()->filterRun->progressValue, nullptr);
    EXPECT_EQ(host.server()->string->fromNarrow, nullptr);
    EXPECT_NE(host.server()->string->fromUtf16, nullptr);
    host.RestoreAllServices();
    EXPECT_NE(host.server()->bitmap, nullptr);
    EXPECT_NE(host.server()->filterRun->processState, nullptr);
}

TEST(HostCoreProperties, ItemsKeepWhatTheModuleSetAndUserEditsStayInRange) {
    HostCore host;
    const HostServer* s = host.server();
    HostPropertyObject o = nullptr;
    s->property->create(&o);
    s->property->addItem(o, kItemSpacing, 17, 17, 17, nullptr, 'a');
    s->property->setIntMinimum(o, kItemSpacing, 1);
    s->property->setIntMaximum(o, kItemSpacing, 1000);
    s->property->setIntDefault(o, kItemSpacing, 50);
    s->property->setInt(o, kItemSpacing, 50);
    s->filterInit->setPropertyObject(s->hostObject, o);
    ASSERT_NE(host.Item(kItemSpacing), nullptr);
    EXPECT_EQ(host.Item(kItemSpacing)->intDefault, 50);
    EXPECT_EQ(host.EditInt(kItemSpacing, 5000), 0);  // no callback registered
    EXPECT_EQ(host.Item(kItemSpacing)->intValue, 1000);
    EXPECT_EQ(host.EditInt(kItemSpacing, -3), 0);
    EXPECT_EQ(host.Item(kItemSpacing)->intValue, 1);

    HostDouble d = 7.0;
    EXPECT_NE(s->property->getDouble(&d, o, kItemSpacing), 0);  // wrong kind
    EXPECT_EQ(d, 7.0);
    EXPECT_EQ(host.errors().size(), 1u);
    s->property->release(o);
    EXPECT_NE(s->property->release(o), 0);
    EXPECT_EQ(host.errors().back(), "property object released twice");
}

}  // namespace
}  // namespace velmora::hostcore

namespace velmora::hostcore {
namespace {

TEST(HostCoreOptions, EachOmittedTableIsItsOwnEntryOfTheServerRecord) {
    const auto entries = [](const HostServer& s) {
        return std::vector<const void*>{s.moduleInit, s.filterInit, s.filterRun, s.string,
                                        s.bitmap,     s.offscreen,  s.property,  s.extProperty};
    };
    for (int i = 0; i < kServiceCount; ++i) {
        HostCore host;
        host.OmitService(static_cast<Service>(i));
        const std::vector<const void*> record = entries(*host.server());
        for (int j = 0; j < kServiceCount; ++j) {
            EXPECT_EQ(record[j] == nullptr, i == j) << ServiceName(static_cast<Service>(i));
        }
    }
    HostCore host;
    host.OmitSlot(Service::kExtProperty, 17);
    host.OmitSlot(Service::kExtProperty, 99);  // beyond the table: nothing to clear
    EXPECT_EQ(host.server()->extProperty->addEnumString, nullptr);
    EXPECT_NE(host.server()->extProperty->getEnumDefault, nullptr);
    EXPECT_NE(host.server()->property->setDoubleMaximum, nullptr);
}

// Every value slot of the property table, as the host logs it and where it
// keeps what the module set.
TEST(HostCoreProperties, EachValueSlotKeepsItsOwnField) {
    HostCore host;
    const PropertyService& p = *host.server()->property;
    HostPropertyObject o = nullptr;
    p.create(&o);
    p.addItem(o, kItemAsdist, kKindBool, 17, 17, nullptr, 0);
    p.addItem(o, kItemIn, kKindInt, 17, 17, nullptr, 0);
    p.addItem(o, kItemSize, kKindDouble, 17, 17, nullptr, 0);
    PropertyObject& object = *host.GetPropertyObject(o);
    const PropertyItem& flag = *object.Find(kItemAsdist);
    const PropertyItem& number = *object.Find(kItemIn);
    const PropertyItem& decimal = *object.Find(kItemSize);
    host.ClearLogs();

    p.setBoolDefault(o, kItemAsdist, 1);
    p.setIntDefault(o, kItemIn, 20);
    p.setIntMinimum(o, kItemIn, 1);
    p.setIntMaximum(o, kItemIn, 30);
    p.setDoubleDefault(o, kItemSize, 2.5);
    p.setDoubleMinimum(o, kItemSize, 0.5);
    p.setDoubleMaximum(o, kItemSize, 9.5);
    EXPECT_TRUE(flag.boolDefault && flag.defaultSet && !flag.valueSet);
    EXPECT_EQ(number.intDefault, 20);
    EXPECT_EQ(number.intMinimum, 1);
    EXPECT_EQ(number.intMaximum, 30);
    EXPECT_FALSE(number.valueSet);
    EXPECT_EQ(decimal.doubleDefault, 2.5);
    EXPECT_EQ(decimal.doubleMinimum, 0.5);
    EXPECT_EQ(decimal.doubleMaximum, 9.5);

    p.setBool(o, kItemAsdist, 0);
    p.setInt(o, kItemIn, 7);
    p.setDouble(o, kItemSize, 4.25);
    EXPECT_TRUE(!flag.boolValue && flag.valueSet && flag.boolDefault);
    EXPECT_TRUE(number.intValue == 7 && number.valueSet && number.intDefault == 20);
    EXPECT_TRUE(decimal.doubleValue == 4.25 && decimal.valueSet && decimal.doubleDefault == 2.5);

    HostBool b = 9, bd = 9;
    HostInt i = 0, id = 0;
    HostDouble d = 0.0, dd = 0.0;
    EXPECT_EQ(p.getBool(&b, o, kItemAsdist) + p.getBoolDefault(&bd, o, kItemAsdist), 0);
    EXPECT_EQ(p.getInt(&i, o, kItemIn) + p.getIntDefault(&id, o, kItemIn), 0);
    EXPECT_EQ(p.getDouble(&d, o, kItemSize) + p.getDoubleDefault(&dd, o, kItemSize), 0);
    EXPECT_EQ(std::vector<HostInt>({b, bd, i, id}), std::vector<HostInt>({0, 1, 7, 20}));
    EXPECT_EQ(d, 4.25);
    EXPECT_EQ(dd, 2.5);

    const std::vector<std::string> expected = {
        "Property.setBoolDefault 207",   "Property.setIntDefault 205",
        "Property.setIntMinimum 205",    "Property.setIntMaximum 205",
        "Property.setDoubleDefault 202", "Property.setDoubleMinimum 202",
        "Property.setDoubleMaximum 202", "Property.setBool 207",
        "Property.setInt 205",           "Property.setDouble 202",
        "Property.getBool 207",          "Property.getBoolDefault 207",
        "Property.getInt 205",           "Property.getIntDefault 205",
        "Property.getDouble 202",        "Property.getDoubleDefault 202"};
    EXPECT_EQ(host.calls(), expected);
    EXPECT_TRUE(host.errors().empty());
}

TEST(HostCoreProperties, UserEditsOfDecimalsStayInRangeAndUnknownItemsAreFaults) {
    HostCore host;
    const HostServer* s = host.server();
    HostPropertyObject o = nullptr;
    s->property->create(&o);
    s->property->addItem(o, kItemSize, kKindDouble, 17, 17, nullptr, 0);
    s->property->setDoubleMinimum(o, kItemSize, 0.5);
    s->property->setDoubleMaximum(o, kItemSize, 9.5);
    s->filterInit->setPropertyObject(s->hostObject, o);
    host.EditDouble(kItemSize, 12.0);
    EXPECT_EQ(host.Item(kItemSize)->doubleValue, 9.5);
    host.EditDouble(kItemSize, -1.0);
    EXPECT_EQ(host.Item(kItemSize)->doubleValue, 0.5);
    host.EditDouble(kItemSize, 3.0);
    EXPECT_EQ(host.Item(kItemSize)->doubleValue, 3.0);
    EXPECT_TRUE(host.errors().empty());

    EXPECT_EQ(host.EditInt(kItemIn, 3), 0);  // no such item, no callback
    EXPECT_EQ(host.errors(), std::vector<std::string>({"edit of unknown item " +
                                                       std::to_string(kItemIn)}));
}

TEST(HostCoreOptions, FailingServicesWriteNothingAndRepeatWithTheSeed) {
    HostOptions options;
    options.failureRate = 0.5;
    options.failureSeed = 42;
    auto outcomes = [&options] {
        HostCore host(options);
        std::vector<HostInt> results;
        for (int i = 0; i < 64; ++i) {
            HostInt width = -777;
            results.push_back(host.server()->filterRun->canvasWidth(&width, host.server()->hostObject));
            if (results.back() != 0) {
                EXPECT_EQ(width, -777);  // untouched
            }
        }
        EXPECT_GT(host.injectedFailures(), 10u);
        EXPECT_LT(host.injectedFailures(), 54u);
        return results;
    };
    EXPECT_EQ(outcomes(), outcomes());
}

TEST(HostCoreOptions, NullHandlesAnswerSuccessWithNull) {
    HostOptions options;
    options.nullHandles = true;
    HostCore host(options);
    host.SetSource(host.CreateOffscreen(4, 4, 3));
    const HostServer* s = host.server();
    HostString text = reinterpret_cast<HostString>(1);
    EXPECT_EQ(s->string->fromNarrow(&text, "abc", 3), 0);
    EXPECT_EQ(text, nullptr);
    HostBitmap bitmap = reinterpret_cast<HostBitmap>(1);
    EXPECT_EQ(s->bitmap->create(&bitmap, 4, 4, 4, 16), 0);
    EXPECT_EQ(bitmap, nullptr);
    HostOffscreen source = reinterpret_cast<HostOffscreen>(1);
    EXPECT_EQ(s->filterRun->sourceOffscreen(&source, s->hostObject), 0);
    EXPECT_EQ(source, nullptr);
    HostPropertyObject object = reinterpret_cast<HostPropertyObject>(1);
    EXPECT_EQ(s->property->create(&object), 0);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(host.liveStrings() + host.liveBitmaps() + host.livePropertyObjects(), 0u);
}

}  // namespace
}  // namespace velmora::hostcore
