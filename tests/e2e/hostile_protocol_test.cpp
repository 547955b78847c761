// Hosts that call out of order or report what the module never declared.
// Outcome: every call answers (0 or -1, callback 1 or 2), nothing crashes,
// nothing is left with the host.
#include "tests/e2e/hostile_scene.h"
#include "tests/item_keys.h"

namespace velmora::hostcore::hostile {
namespace {

using HostileProtocol = HostileTest;

TEST_F(HostileProtocol, CallbackForUndeclaredKeysChangesNothing) {
    HostCore host;
    OpenInked(host, 20, 20);
    for (const int32_t key : {0, 1, 139, 142, 160, 201, 229, 1000, -1, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(host.Notify(key), 1) << key;
        EXPECT_EQ(host.Notify(key, kNotifyEvent), 1) << key;
    }
    EXPECT_EQ(host.FilterRun(), 0);
    EXPECT_EQ(host.ModuleTerminate(), 0);
    ExpectNothingLeft(host);
}

TEST_F(HostileProtocol, NotifyKindsOtherThanEditAndEventAreIgnored) {
    HostCore host;
    OpenInked(host, 20, 20);
    PropertyItem* size = host.Item(kItemSize);
    ASSERT_NE(size, nullptr);
    size->doubleValue = 9.0;
    for (const int32_t kind : {0, 1, 16, 18, 32, 34, 0x1000, -1, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(host.Notify(kItemSize, kind), 1) << kind;
        EXPECT_EQ(host.Notify(kItemPreset, kind), 1) << kind;
    }
    // Only the edit kind reads the value: the first real edit still changes it.
    EXPECT_EQ(host.Notify(kItemSize, kNotifyValueChanged), 2);
    EXPECT_EQ(host.ModuleTerminate(), 0);
    ExpectNothingLeft(host);
}

TEST_F(HostileProtocol, FilterInitialiseTwiceKeepsOnePanel) {
    HostCore host;
    OpenInked(host, 24, 24);
    EXPECT_EQ(host.FilterInitialize(), 0);
    EXPECT_EQ(host.livePropertyObjects(), 1u);  // the first went back
    EXPECT_EQ(host.EditEnum(kItemTemplate, kTemplateConcentric), 2);
    EXPECT_EQ(host.FilterRun(), 0);
    EXPECT_EQ(host.ModuleTerminate(), 0);
    EXPECT_EQ(host.livePropertyObjects(), 0u);
    ExpectNothingLeft(host);
}

TEST_F(HostileProtocol, FilterRunBeforeFilterInitialiseRunsWithTheDefaults) {
    HostCore host;
    UseModule(host);
    InkedCanvas(host, 24, 24);
    ASSERT_EQ(host.ModuleInitialize(), 0);
    EXPECT_EQ(host.FilterRun(), 0);
    EXPECT_EQ(host.FilterTerminate(), 0);
    EXPECT_EQ(host.ModuleTerminate(), 0);
    ExpectNothingLeft(host);
}

TEST_F(HostileProtocol, SelectorsWithNothingInitialisedFail) {
    HostCore host;
    UseModule(host);
    EXPECT_EQ(host.ModuleTerminate(), -1);
    EXPECT_EQ(host.FilterInitialize(), -1);
    EXPECT_EQ(host.FilterRun(), -1);
    EXPECT_EQ(host.FilterTerminate(), -1);
    EXPECT_EQ(host.Call(0), -1);
    ASSERT_EQ(host.ModuleInitialize(), 0);
    EXPECT_EQ(host.ModuleTerminate(), 0);
    EXPECT_EQ(host.ModuleTerminate(), -1);  // twice
    ExpectNothingLeft(host);
}

TEST_F(HostileProtocol, ModuleInitialiseTwiceKeepsOneController) {
    HostCore host;
    UseModule(host);
    ASSERT_EQ(host.ModuleInitialize(), 0);
    void* first = host.pluginData();
    EXPECT_EQ(host.ModuleInitialize(), 0);
    EXPECT_EQ(host.pluginData(), first);  // the first is not lost
    ASSERT_TRUE(host.moduleId().has_value());
    EXPECT_EQ(host.moduleId()->size(), 36u);
    EXPECT_EQ(host.ModuleTerminate(), 0);
    EXPECT_FALSE(host.moduleInitialized());
    ExpectNothingLeft(host);
}

TEST_F(HostileProtocol, UnknownSelectorsAndServerlessCallsChangeNothing) {
    HostCore host;
    OpenInked(host, 16, 16);
    for (const int32_t selector : {0, 1, 256, 259, 512, 516, -1, INT32_MAX}) host.Call(selector);
    EXPECT_EQ(host.CallWithoutServer(kSelectorFilterRun), -1);
    EXPECT_EQ(host.CallWithoutServer(kSelectorModuleTerminate), -1);
    EXPECT_TRUE(host.moduleInitialized());
    EXPECT_EQ(host.FilterRun(), 0);
    EXPECT_EQ(host.ModuleTerminate(), 0);
    ExpectNothingLeft(host);
}

}  // namespace
}  // namespace velmora::hostcore::hostile
