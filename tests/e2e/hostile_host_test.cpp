// Hosts that misbehave: every service failing now and then, every service
// answering null handles. The module runs, answers and frees its own.
#include "tests/e2e/hostile_scene.h"
#include "tests/item_keys.h"

namespace velmora::hostcore::hostile {
namespace {

using HostileHost = HostileTest;

void FullSession(HostCore& host) {
    host.ModuleInitialize();
    host.FilterInitialize();
    for (int32_t key : kAllItemKeys) host.Notify(key);
    host.EditEnum(kItemTemplate, kTemplateParallel);
    host.EditDouble(kItemSize, 8.0);
    host.QueueReplies(kProcessDone, {kProcessContinue, kProcessContinue, kProcessDone});
    host.FilterRun();
    host.EditEnum(kItemTemplate, kTemplateConcentric);
    host.FilterRun();
    host.FilterInitialize();
    host.FilterRun();
    host.FilterTerminate();
    host.ModuleTerminate();
}

// A failed call leaves the module's handle null; the module must not hand
// that, or a handle it already gave back, to the host again.
void ExpectNoReuse(const HostCore& host, const std::string& what) {
    for (const std::string& e : host.errors()) {
        EXPECT_EQ(e.find("twice"), std::string::npos) << what << ": " << e;
        EXPECT_EQ(e.find("another thread"), std::string::npos) << what << ": " << e;
        EXPECT_EQ(e.find("leaves a gap"), std::string::npos) << what << ": " << e;
        EXPECT_EQ(e.find("pixel sizes differ"), std::string::npos) << what << ": " << e;
    }
}

TEST_F(HostileHost, ServicesFailingAtRandomLeaveTheModuleStanding) {
    for (const double rate : {0.02, 0.1, 0.3, 0.7, 1.0}) {
        for (uint32_t seed = 1; seed <= 8; ++seed) {
            HostOptions options;
            options.failureRate = rate;
            options.failureSeed = seed;
            HostCore host(options);
            UseModule(host);
            InkedCanvas(host, 40, 30);
            FullSession(host);
            const std::string what = "rate " + std::to_string(rate) + " seed " + std::to_string(seed);
            EXPECT_FALSE(host.moduleInitialized()) << what;
            if (rate >= 0.3) {
                EXPECT_GT(host.injectedFailures(), 0u) << what;
            }
            ExpectNoReuse(host, what);
        }
    }
}

TEST_F(HostileHost, EveryServiceAnsweringNullHandles) {
    HostOptions options;
    options.nullHandles = true;
    HostCore host(options);
    UseModule(host);
    InkedCanvas(host, 40, 30);
    FullSession(host);
    EXPECT_FALSE(host.moduleInitialized());
    EXPECT_EQ(host.liveStrings(), 0u);
    EXPECT_EQ(host.liveBitmaps(), 0u);
    ExpectNoReuse(host, "null handles");
}

TEST_F(HostileHost, NullHandlesAndFailuresTogether) {
    for (uint32_t seed = 1; seed <= 8; ++seed) {
        HostOptions options;
        options.nullHandles = true;
        options.failureRate = 0.25;
        options.failureSeed = seed;
        HostCore host(options);
        UseModule(host);
        InkedCanvas(host, 16, 16);
        FullSession(host);
        EXPECT_FALSE(host.moduleInitialized()) << seed;
    }
}

}  // namespace
}  // namespace velmora::hostcore::hostile
