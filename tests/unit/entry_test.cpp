// The entry point on a bare host: results of the selectors without services.
#include <gtest/gtest.h>

#include "host/host_interface.h"

namespace {

TEST(EntryPoint, NullServerFailsAndCreatesNothing) {
    void* slot = nullptr;
    HostInt result = 123;
    TriglavPluginCall(&result, &slot, kSelectorModuleInitialize, nullptr);
    EXPECT_EQ(result, kResultFailure);
    EXPECT_EQ(slot, nullptr);
}

TEST(EntryPoint, SelectorsBeforeModuleInitialiseFail) {
    HostServer server{};
    void* slot = nullptr;
    const HostInt selectors[] = {kSelectorModuleTerminate, kSelectorFilterInitialize,
                                 kSelectorFilterRun, kSelectorFilterTerminate, 999};
    for (HostInt selector : selectors) {
        HostInt result = 0;
        TriglavPluginCall(&result, &slot, selector, &server);
        EXPECT_EQ(result, kResultFailure) << selector;
        EXPECT_EQ(slot, nullptr) << selector;
    }
}

TEST(EntryPoint, ModuleInitialiseWithoutServicesFailsButStoresTheController) {
    HostServer server{};
    void* slot = nullptr;
    HostInt result = 0;
    TriglavPluginCall(&result, &slot, kSelectorModuleInitialize, &server);
    EXPECT_EQ(result, kResultFailure);
    ASSERT_NE(slot, nullptr);

    TriglavPluginCall(&result, &slot, 0x7777, &server);
    EXPECT_EQ(result, kResultSuccess);  // unknown selector
    TriglavPluginCall(&result, &slot, kSelectorFilterInitialize, &server);
    EXPECT_EQ(result, kResultSuccess);
    TriglavPluginCall(&result, &slot, kSelectorFilterRun, &server);
    EXPECT_EQ(result, kResultSuccess);
    TriglavPluginCall(&result, &slot, kSelectorFilterTerminate, &server);
    EXPECT_EQ(result, kResultSuccess);

    TriglavPluginCall(&result, &slot, kSelectorModuleTerminate, &server);
    EXPECT_EQ(result, kResultSuccess);
    EXPECT_EQ(slot, nullptr);
}

TEST(EntryPoint, NullDataSlotAddressFails) {
    HostServer server{};
    HostInt result = 0;
    TriglavPluginCall(&result, nullptr, kSelectorModuleInitialize, &server);
    EXPECT_EQ(result, kResultFailure);
}

}  // namespace
