// The module's life as a host drives it: registration, the selectors, the
// filter run loop and its process-state requests, the property callback.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "tests/e2e/controller_fixture.h"
#include "tests/item_keys.h"
#include "tools/host_core/host_core.h"

namespace velmora::hostcore {
namespace {

// Requests of the filter run loop (258 belongs to progress inside a pass).
std::vector<int32_t> LoopRequests(const HostCore& host) {
    std::vector<int32_t> out;
    for (int32_t r : host.processRequests()) {
        if (r != kProcessContinue) out.push_back(r);
    }
    return out;
}

class Lifecycle : public ::velmora::e2e::ControllerTest {};

TEST_F(Lifecycle, ModuleInitialiseRegistersTheIdAndKind) {
    EXPECT_EQ(host.ModuleInitialize(), 0);
    ASSERT_TRUE(host.moduleInitialized());
    ASSERT_TRUE(host.moduleId().has_value());
    const std::string& id = *host.moduleId();
    ASSERT_EQ(id.size(), 36u);
    for (size_t i = 0; i < id.size(); ++i) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            EXPECT_EQ(id[i], '-');
        } else {
            EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(id[i])) ||
                        (id[i] >= 'A' && id[i] <= 'F'))
                << id;
        }
    }
    EXPECT_EQ(host.moduleKind(), 0x4380);
    EXPECT_EQ(host.liveStrings(), 0u);  // the id string went back at once
    EXPECT_EQ(host.ModuleTerminate(), 0);
    EXPECT_FALSE(host.moduleInitialized());
    EXPECT_TRUE(host.errors().empty()) << host.errors().front();
}

TEST_F(Lifecycle, ModuleIdIsTheSameOnEveryLoad) {
    host.ModuleInitialize();
    const std::string first = host.moduleId().value_or("");
    host.ModuleTerminate();
    host.ModuleInitialize();
    EXPECT_EQ(host.moduleId().value_or(""), first);
}

TEST_F(Lifecycle, NullServerFailsAndChangesNothing) {
    EXPECT_EQ(host.CallWithoutServer(kSelectorModuleInitialize), -1);
    EXPECT_FALSE(host.moduleInitialized());

    ASSERT_EQ(host.ModuleInitialize(), 0);
    void* controller = host.pluginData();
    host.ClearLogs();
    for (int32_t selector : {258, 513, 514, 515, 4242}) {
        EXPECT_EQ(host.CallWithoutServer(selector), -1) << selector;
    }
    EXPECT_EQ(host.pluginData(), controller);
    EXPECT_TRUE(host.calls().empty());
}

TEST_F(Lifecycle, SelectorsBeforeModuleInitialiseFail) {
    for (int32_t selector : {258, 513, 514, 515, 4242}) {
        EXPECT_EQ(host.Call(selector), -1) << selector;
    }
    EXPECT_FALSE(host.moduleInitialized());
    EXPECT_TRUE(host.calls().empty());
}

TEST_F(Lifecycle, UnknownSelectorAnswersZeroAndCallsNoService) {
    ASSERT_EQ(host.ModuleInitialize(), 0);
    host.ClearLogs();
    EXPECT_EQ(host.Call(0x300), 0);
    EXPECT_EQ(host.Call(-1), 0);
    EXPECT_TRUE(host.calls().empty());
    EXPECT_TRUE(host.moduleInitialized());
}

TEST_F(Lifecycle, ModuleInitialiseFailsWithoutItsServicesButKeepsTheController) {
    for (Service missing : {Service::kModuleInit, Service::kString}) {
        HostCore bare;
        bare.UseEntryPoint(&TriglavPluginCall);
        bare.OmitService(missing);
        EXPECT_EQ(bare.ModuleInitialize(), -1) << ServiceName(missing);
        EXPECT_TRUE(bare.moduleInitialized()) << ServiceName(missing);
        EXPECT_FALSE(bare.moduleId().has_value());
        EXPECT_EQ(bare.ModuleTerminate(), 0);
        EXPECT_FALSE(bare.moduleInitialized());
    }
}

TEST_F(Lifecycle, HostVersionZeroFailsModuleInitialise) {
    HostOptions options;
    options.hostVersion = 0;
    host.SetOptions(options);
    EXPECT_EQ(host.ModuleInitialize(), -1);
    EXPECT_TRUE(host.moduleInitialized());
    EXPECT_FALSE(host.moduleId().has_value());
    EXPECT_FALSE(host.moduleKind().has_value());
    EXPECT_EQ(host.ModuleTerminate(), 0);
    EXPECT_EQ(host.liveStrings(), 0u);
}

TEST_F(Lifecycle, FilterInitialiseHandsAPropertyObjectAndCallbackToTheHost) {
    ASSERT_EQ(host.ModuleInitialize(), 0);
    EXPECT_EQ(host.FilterInitialize(), 0);
    EXPECT_NE(host.filter().propertyObject, nullptr);
    EXPECT_NE(host.filter().callback, nullptr);
    EXPECT_EQ(host.filter().callbackData, host.pluginData());
    EXPECT_EQ(host.livePropertyObjects(), 1u);
    EXPECT_EQ(host.FilterTerminate(), 0);
    EXPECT_EQ(host.livePropertyObjects(), 1u);  // kept until module terminate
    EXPECT_EQ(host.ModuleTerminate(), 0);
    EXPECT_EQ(host.livePropertyObjects(), 0u);
    EXPECT_TRUE(host.errors().empty()) << host.errors().front();
}

TEST_F(Lifecycle, RepeatedFilterInitialiseLeavesOnePropertyObject) {
    ASSERT_EQ(host.ModuleInitialize(), 0);
    ASSERT_EQ(host.FilterInitialize(), 0);
    ASSERT_EQ(host.FilterInitialize(), 0);
    EXPECT_NE(host.filter().propertyObject, nullptr);
    EXPECT_EQ(host.livePropertyObjects(), 1u);
    host.ModuleTerminate();
    EXPECT_EQ(host.livePropertyObjects(), 0u);
    EXPECT_TRUE(host.errors().empty()) << host.errors().front();
}

TEST_F(Lifecycle, FirstReplyDoneEndsTheRunWithoutAPass) {
    ASSERT_EQ(host.ModuleInitialize(), 0);
    ASSERT_EQ(host.FilterInitialize(), 0);
    host.QueueReplies(kProcessStart, {kProcessDone});
    EXPECT_EQ(host.FilterRun(), 0);
    EXPECT_EQ(LoopRequests(host), (std::vector<int32_t>{257}));
    EXPECT_TRUE(host.areasChanged().empty());
}

TEST_F(Lifecycle, EachPassAsksToStartThenReportsItsEnd) {
    ASSERT_EQ(host.ModuleInitialize(), 0);
    ASSERT_EQ(host.FilterInitialize(), 0);
    // Two more passes after the first, then done.
    host.QueueReplies(kProcessDone, {kProcessContinue, kProcessContinue, kProcessDone});
    EXPECT_EQ(host.FilterRun(), 0);
    EXPECT_EQ(LoopRequests(host), (std::vector<int32_t>{257, 259, 257, 259, 257, 259}));

    // Any reply but 258 after a pass ends the run; the run still succeeds.
    host.ClearLogs();
    host.QueueReplies(kProcessDone, {kProcessStart});
    EXPECT_EQ(host.FilterRun(), 0);
    EXPECT_EQ(LoopRequests(host), (std::vector<int32_t>{257, 259}));
}

TEST_F(Lifecycle, FilterRunAndTerminateRepeatWhileTheModuleStaysLoaded) {
    ASSERT_EQ(host.ModuleInitialize(), 0);
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(host.FilterInitialize(), 0);
        EXPECT_EQ(host.FilterRun(), 0);
        EXPECT_EQ(host.FilterRun(), 0);
        EXPECT_EQ(host.FilterTerminate(), 0);
    }
    EXPECT_EQ(host.ModuleTerminate(), 0);
    EXPECT_EQ(host.liveStrings(), 0u);
    EXPECT_EQ(host.liveBitmaps(), 0u);
    EXPECT_EQ(host.livePropertyObjects(), 0u);
}

TEST_F(Lifecycle, EventNotificationsNeverReportAChange) {
    ASSERT_EQ(host.ModuleInitialize(), 0);
    ASSERT_EQ(host.FilterInitialize(), 0);
    constexpr int32_t kNoItem = 999;
    for (int32_t key : std::initializer_list<int32_t>{kItemPreset, kItemSavePreset, kItemTemplate,
                                                      kItemGuide, kItemPoint1, kItemSize,
                                                      kItemConnect, kNoItem}) {
        EXPECT_EQ(host.SendEvent(key), 1) << key;
        EXPECT_EQ(host.Notify(key, 0x7F), 1) << key;  // unknown kind
    }
}

TEST_F(Lifecycle, CallbackAfterTheStringServiceWentAwayChangesNothing) {
    ASSERT_EQ(host.ModuleInitialize(), 0);
    ASSERT_EQ(host.FilterInitialize(), 0);
    host.OmitService(Service::kString);
    EXPECT_EQ(host.Call(0x300), 0);  // refreshes the controller's services
    host.ClearLogs();
    EXPECT_EQ(host.EditDouble(kItemSize, 7.0), 1);
    EXPECT_EQ(host.EditEnum(kItemTemplate, kTemplateParallel), 1);
    EXPECT_TRUE(host.calls().empty());
}

TEST(ModuleFile, LoadsByPathAndExportsTheEntryPoint) {
    HostCore host;
    std::string error;
    ASSERT_TRUE(host.LoadModule(VELMORA_MODULE_PATH, &error)) << error;
    EXPECT_EQ(host.stringTable().size(), 34u);  // the table beside the module
    EXPECT_EQ(host.ModuleInitialize(), 0);
    EXPECT_EQ(host.moduleId().value_or("").size(), 36u);
    EXPECT_EQ(host.ModuleTerminate(), 0);
}

TEST(ModuleFile, MissingFileReportsWhy) {
    HostCore host;
    std::string error;
    EXPECT_FALSE(host.LoadModule("/nonexistent/Velmora.cpm", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(host.ModuleInitialize(), -1);
}

TEST(ModuleFile, ALibraryWithoutTheEntryPointIsRefused) {
#if defined(_WIN32)
    const std::string library = "kernel32.dll";
#else
    const std::string library = "libm.so.6";
#endif
    HostCore host;
    std::string error;
    EXPECT_FALSE(host.LoadModule(library, &error));
    EXPECT_EQ(error, library + " exports no TriglavPluginCall");
    EXPECT_EQ(host.ModuleInitialize(), -1);
}

}  // namespace
}  // namespace velmora::hostcore
